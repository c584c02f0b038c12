#include "platform/ui/screen.h"

namespace chronova::platform::ui {

void Screen::MousePointer(int32_t shape) {
    if (shape == mouse_pointer_) {
        return;
    }
    mouse_pointer_ = shape;
    PointerChanged.Fire(shape);
}

Screen& TheScreen() {
    // Never destroyed: forms released during static destruction may still set the pointer.
    static Screen* const screen = new Screen;
    return *screen;
}

} // namespace chronova::platform::ui
