#include "gis/map/extension_states.h"

#include <string>

#include "gis/host_errors.h"
#include "platform/settings_store.h"

namespace chronova::gis {
namespace {

constexpr std::string_view kStatesKey = "Software\\Chronova\\Extensions";

} // namespace

ExtensionState RememberedExtensionState(std::string_view name) {
    const auto value = platform::SettingsStore().ReadValue(platform::HKEY_CURRENT_USER, kStatesKey, name);
    if (value && value->type == platform::ValueType::RegSz && value->text == "1") {
        return ExtensionState::Enabled;
    }
    return ExtensionState::Disabled;
}

void RememberExtensionState(std::string_view name, ExtensionState state) {
    const std::string text = state == ExtensionState::Enabled ? "1" : "2";
    if (!platform::SettingsStore().WriteValue(platform::HKEY_CURRENT_USER, kStatesKey, name,
                                              platform::SettingsValue::String(text))) {
        ReportHostError("The state of the extension " + std::string(name) + " cannot be remembered.");
    }
}

} // namespace chronova::gis
