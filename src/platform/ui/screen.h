#pragma once

#include <cstdint>

#include "platform/event.h"

namespace chronova::platform::ui {

/// Mouse pointer shapes, with the classic numeric codes.
enum class MousePointerShape : int32_t {
    Default = 0,
    Arrow = 1,
    Cross = 2,
    IBeam = 3,
    Hourglass = 11,
};

/// The screen as the forms see it: the mouse pointer shown over every window of the application. The desktop
/// app follows PointerChanged and shows the shape; headless runs only keep it.
class Screen {
public:
    Screen() = default;
    Screen(const Screen&) = delete;
    Screen& operator=(const Screen&) = delete;

    int32_t MousePointer() const noexcept { return mouse_pointer_; }
    //! Shows a pointer shape (a MousePointerShape code); raises PointerChanged when the shape really changes.
    void MousePointer(int32_t shape);

    /// Raised with the new shape.
    Event<int32_t> PointerChanged;

private:
    int32_t mouse_pointer_ = 0;
};

/// The application's one screen.
Screen& TheScreen();

} // namespace chronova::platform::ui
