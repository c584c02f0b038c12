#pragma once

#include <cstdint>

namespace chronova::platform::ui {

/// The first number NewWindowHandle hands out; smaller numbers stay free for windows that bring their own
/// handle (the host's main window), so the two never collide.
inline constexpr int32_t kFirstWindowHandle = 0x10000;

/// A new window handle number, unique in the process and never 0, for forms and picture boxes: the system
/// keeps owner windows and hosted content windows by these numbers. Safe from any thread; error 6 once the
/// 32-bit range is used up.
int32_t NewWindowHandle();

} // namespace chronova::platform::ui
