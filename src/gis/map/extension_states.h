#pragma once

#include <string_view>

#include "gis/map/extension.h"

namespace chronova::gis {

// Which extensions the user switched on, remembered per user in the settings store (HKEY_CURRENT_USER
// "Software\Chronova\Extensions", one value per extension name: "1" on, "2" off), so that an extension starts
// each session as the user left it.

/// The state the user last chose for the extension; Disabled for one the user never switched, since a newly
/// installed extension starts switched off until the user turns it on.
ExtensionState RememberedExtensionState(std::string_view name);

/// Remembers the user's choice; a store that cannot be written only costs the memory (reported as a host error).
void RememberExtensionState(std::string_view name, ExtensionState state);

} // namespace chronova::gis
