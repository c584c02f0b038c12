#pragma once

#include <string>
#include <string_view>

#include "platform/settings_store.h"

namespace chronova::modRegistry {

/// Reads a text value of the settings store. Returns "" when the key cannot be opened, the value does not exist, is
/// not REG_SZ, or cannot be read, so callers treat "" as "use the default"; text holding a NUL ends before it.
/// Never throws.
std::string RegistryReadString(platform::Hive root_key, std::string_view sub_key, std::string_view value_name) noexcept;

/// Writes text as a REG_SZ value, creating the key when needed. One leading and one trailing backslash of the path
/// are ignored, and the value name "*" writes the key's default value. True when the value was written; never throws.
bool RegistryWriteString(platform::Hive root_key, std::string_view sub_key, std::string_view value_name,
                         std::string_view text) noexcept;

} // namespace chronova::modRegistry
