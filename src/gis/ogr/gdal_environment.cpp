#include "gis/ogr/gdal_environment.h"

#include <mutex>
#include <string>

#include <cpl_error.h>
#include <gdal.h>

#include "platform/automation_error.h"
#include "platform/debug_output.h"

namespace chronova::gis {

namespace {

const char* CategoryName(CPLErr category) {
    switch (category) {
    case CE_Debug:
        return "debug";
    case CE_Warning:
        return "warning";
    default:
        return "error";
    }
}

void ToDebugOutput(CPLErr category, const char* message) {
    platform::DebugOutput(std::string("GDAL ") + CategoryName(category) + ": " + (message != nullptr ? message : ""));
}

// GDAL's messages where no trap is set: nothing waits for them, and stderr is for what the user must act on.
void CPL_STDCALL Unheeded(CPLErr category, CPLErrorNum /*number*/, const char* message) {
    ToDebugOutput(category, message);
}

} // namespace

struct GdalErrorTrapAccess {
    static void CPL_STDCALL Record(CPLErr category, CPLErrorNum /*number*/, const char* message) {
        auto* trap = static_cast<GdalErrorTrap*>(CPLGetErrorHandlerUserData());
        if (trap == nullptr || (category != CE_Failure && category != CE_Fatal)) {
            ToDebugOutput(category, message);
            return;
        }
        if (trap->failures_++ == 0 && message != nullptr) {
            trap->message_ = message;
        }
    }
};

void RegisterGdalDrivers() {
    static std::once_flag registered;
    std::call_once(registered, [] {
        CPLSetErrorHandler(&Unheeded);
        GDALAllRegister();
    });
}

GdalErrorTrap::GdalErrorTrap() {
    CPLPushErrorHandlerEx(&GdalErrorTrapAccess::Record, this);
}

GdalErrorTrap::~GdalErrorTrap() {
    CPLPopErrorHandler();
}

void GdalErrorTrap::Forget() noexcept {
    failures_ = 0;
    message_.clear();
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
