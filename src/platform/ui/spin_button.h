#pragma once

#include "platform/event.h"
#include "platform/ui/control.h"

namespace chronova::platform::ui {

/// A headless spin button: an up and a down arrow. It holds no value of its own; the form decides what each
/// arrow changes, so one spin button can serve several fields.
class SpinButton : public Control {
public:
    SpinButton() = default;
    SpinButton(const SpinButton&) = delete;
    SpinButton& operator=(const SpinButton&) = delete;

    /// The user presses the up arrow: raises SpinUp unless the button is disabled or hidden.
    void UserSpinUp() {
        if (Enabled() && Visible()) {
            SpinUp.Fire();
        }
    }
    /// The user presses the down arrow: raises SpinDown unless the button is disabled or hidden.
    void UserSpinDown() {
        if (Enabled() && Visible()) {
            SpinDown.Fire();
        }
    }

    Event<> SpinUp;
    Event<> SpinDown;
};

} // namespace chronova::platform::ui
