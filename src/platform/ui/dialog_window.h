#pragma once

#include "platform/ui/control.h"

#include <cstdint>

namespace chronova::platform::ui {

/// The size of the screen that dialogs are centred on, in twips.
struct ScreenArea {
    int32_t width = 0;
    int32_t height = 0;
};

/// The screen dialogs are placed on: the desktop app sets the real one; headless runs assume 1024 × 768 pixels.
ScreenArea DialogScreen() noexcept;
void SetDialogScreen(ScreenArea area) noexcept;

/// A dialog's window: its place and size on the screen in twips, and the window that owns it, so that the
/// dialog stays above its owner and closes with it. The desktop window takes both from here when it shows the
/// dialog.
class DialogWindow : public Control {
public:
    DialogWindow() = default;
    DialogWindow(const DialogWindow&) = delete;
    DialogWindow& operator=(const DialogWindow&) = delete;

    /// The owner's window handle; 0 for none.
    int32_t OwnerWindow() const noexcept { return owner_window_; }
    void OwnerWindow(int32_t hwnd) noexcept { owner_window_ = hwnd; }

    /// Puts the window in the middle of DialogScreen(): left = (screen width - width) / 2 and top = (screen
    /// height - height) / 2 in whole twips, so a dialog larger than the screen starts above or left of it.
    void CenterOnScreen();

private:
    int32_t owner_window_ = 0;
};

} // namespace chronova::platform::ui
