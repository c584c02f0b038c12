#include "host/mod_registry.h"

#include <exception>

#include "platform/debug_output.h"

namespace chronova::modRegistry {

std::string RegistryReadString(platform::Hive root_key, std::string_view sub_key,
                               std::string_view value_name) noexcept {
    try {
        const auto value = platform::SettingsStore().ReadValue(root_key, sub_key, value_name);
        if (!value || value->type != platform::ValueType::RegSz) {
            return {};
        }
        return value->text.substr(0, value->text.find('\0'));
    } catch (const std::exception& ex) {
        platform::DebugOutput(std::string("RegistryReadString: ") + ex.what());
    } catch (...) {
        platform::DebugOutput("RegistryReadString: unknown failure");
    }
    return {};
}

bool RegistryWriteString(platform::Hive root_key, std::string_view sub_key, std::string_view value_name,
                         std::string_view text) noexcept {
    try {
        if (sub_key.starts_with('\\')) {
            sub_key.remove_prefix(1);
        }
        if (sub_key.ends_with('\\')) {
            sub_key.remove_suffix(1);
        }
        // "*" names the key's default value, which the store names "".
        const std::string_view name = value_name == "*" ? std::string_view() : value_name;
        return platform::SettingsStore().WriteValue(root_key, sub_key, name, platform::SettingsValue::String(text));
    } catch (const std::exception& ex) {
        platform::DebugOutput(std::string("RegistryWriteString: ") + ex.what());
    } catch (...) {
        platform::DebugOutput("RegistryWriteString: unknown failure");
    }
    return false;
}

} // namespace chronova::modRegistry
