#pragma once

#include <string_view>

namespace chronova {

// The identities the host knows the extension's classes by.

/// The extension object the host starts and the user switches on and off.
inline constexpr std::string_view kCLSID_ChronovaExt = "{458385E9-9068-4416-AAF6-EBD59F184B86}";
inline constexpr std::string_view kProgID_ChronovaExt = "Chronova.ChronovaExt";

/// The toolbar command that is also the definition of the slider's dockable window.
inline constexpr std::string_view kCLSID_TimeToolbar = "{706B36B3-1CA2-4373-9D75-0EC61E42324E}";
inline constexpr std::string_view kProgID_TimeToolbar = "Chronova.TimeToolbar";

} // namespace chronova
