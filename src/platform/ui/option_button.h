#pragma once

#include "platform/event.h"
#include "platform/ui/control.h"

namespace chronova::platform::ui {

/// A headless option (radio) button. Only selecting raises Click, as with the classic control; the form
/// that groups options clears the others in its Click handler or through SelectOnly.
class OptionButton : public CaptionedControl {
public:
    OptionButton() = default;
    OptionButton(const OptionButton&) = delete;
    OptionButton& operator=(const OptionButton&) = delete;

    bool Value() const noexcept { return value_; }
    //! Selects or clears the option; raises Click when it becomes selected.
    void Value(bool value) {
        if (value == value_) {
            return;
        }
        value_ = value;
        Changed.Fire();
        if (value_) {
            Click.Fire();
        }
    }

    /// The user clicks the option: an enabled option becomes selected.
    void UserClick() {
        if (Enabled() && Visible()) {
            Value(true);
        }
    }

    /// Raised when the option becomes selected.
    Event<> Click;

private:
    bool value_ = false;
};

} // namespace chronova::platform::ui
