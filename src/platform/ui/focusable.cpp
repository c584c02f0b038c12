#include "platform/ui/focusable.h"

namespace chronova::platform::ui {
namespace {

// The control that holds the focus; forms live on the user-interface thread only.
Focusable* g_focused = nullptr;

} // namespace

Focusable::~Focusable() {
    if (g_focused == this) {
        g_focused = nullptr;
    }
}

bool Focusable::HasFocus() const noexcept {
    return g_focused == this;
}

void Focusable::UserFocus() {
    if (g_focused == this || !CanFocus()) {
        return;
    }
    if (g_focused != nullptr) {
        g_focused->UserLeave();
    }
    g_focused = this;
    GotFocus.Fire();
}

void Focusable::UserLeave() {
    if (g_focused != this) {
        return;
    }
    g_focused = nullptr;
    LostFocus.Fire();
}

} // namespace chronova::platform::ui
