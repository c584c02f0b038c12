#include "gis/class_factory.h"

#include <utility>

#include "platform/automation_error.h"

namespace chronova::gis {
namespace {

// The classic "ActiveX component can't create object".
constexpr int32_t kCannotCreateObject = 429;

} // namespace

void ClassRegistry::Register(std::string_view clsid, std::string_view prog_id, ClassFactory factory) {
    auto id = NormalizeGuid(clsid);
    if (!id) {
        platform::RaiseError(platform::error::kInvalidProcedureCall,
                             "'" + std::string(clsid) + "' is not a valid class identifier.");
    }
    if (!factory) {
        platform::RaiseError(platform::error::kInvalidProcedureCall,
                             "The class " + *id + " was registered without a way to create it.");
    }
    RegisterProgId(prog_id, *id);
    classes_[*id] = Class{std::string(prog_id), std::move(factory)};
}

bool ClassRegistry::IsRegistered(const UID& clsid) const {
    return classes_.contains(clsid.Value());
}

std::string ClassRegistry::ProgId(const UID& clsid) const {
    const auto found = classes_.find(clsid.Value());
    return found != classes_.end() ? found->second.prog_id : std::string();
}

platform::ObjectRef ClassRegistry::CreateInstance(const UID& clsid) const {
    const auto found = classes_.find(clsid.Value());
    if (found == classes_.end()) {
        platform::RaiseError(kCannotCreateObject, "The class " + clsid.Value() + " is not available.");
    }
    auto object = found->second.factory();
    if (!object) {
        platform::RaiseError(kCannotCreateObject, "The class " + clsid.Value() + " made no object.");
    }
    return object;
}

} // namespace chronova::gis
