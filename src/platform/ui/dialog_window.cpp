#include "platform/ui/dialog_window.h"

namespace chronova::platform::ui {
namespace {

ScreenArea g_screen{1024 * kTwipsPerPixel, 768 * kTwipsPerPixel};

} // namespace

ScreenArea DialogScreen() noexcept {
    return g_screen;
}

void SetDialogScreen(ScreenArea area) noexcept {
    g_screen = area;
}

void DialogWindow::CenterOnScreen() {
    const ScreenArea screen = DialogScreen();
    Move((screen.width - Width()) / 2, (screen.height - Height()) / 2, Width(), Height());
}

} // namespace chronova::platform::ui
