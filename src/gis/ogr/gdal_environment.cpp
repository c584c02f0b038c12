#include "gis/ogr/gdal_environment.h"

#include <mutex>

#include <cpl_error.h>
#include <gdal.h>

#include "platform/automation_error.h"

namespace chronova::gis {

struct GdalErrorTrapAccess {
    static void CPL_STDCALL Record(CPLErr category, CPLErrorNum /*number*/, const char* message) {
        if (category != CE_Failure && category != CE_Fatal) {
            return;
        }
        auto* trap = static_cast<GdalErrorTrap*>(CPLGetErrorHandlerUserData());
        if (trap != nullptr && message != nullptr) {
            trap->message_ = message;
        }
    }
};

void RegisterGdalDrivers() {
    static std::once_flag registered;
    std::call_once(registered, [] { GDALAllRegister(); });
}

GdalErrorTrap::GdalErrorTrap() {
    CPLPushErrorHandlerEx(&GdalErrorTrapAccess::Record, this);
}

GdalErrorTrap::~GdalErrorTrap() {
    CPLPopErrorHandler();
}

void GdalErrorTrap::Raise(int32_t number, std::string_view context) const {
    std::string description(context);
    if (!message_.empty()) {
        description += description.empty() ? message_ : ": " + message_;
    } else if (!description.empty()) {
        description += '.';
    }
    platform::RaiseError(number, description);
}

} // namespace chronova::gis
