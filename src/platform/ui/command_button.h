#pragma once

#include "platform/event.h"
#include "platform/ui/control.h"

namespace chronova::platform::ui {

/// A headless push button.
class CommandButton : public CaptionedControl {
public:
    CommandButton() = default;
    CommandButton(const CommandButton&) = delete;
    CommandButton& operator=(const CommandButton&) = delete;

    /// The user presses the button: raises Click unless the button is disabled or hidden.
    void Press() {
        if (Enabled() && Visible()) {
            Click.Fire();
        }
    }

    /// Raised when the button is pressed.
    Event<> Click;
};

} // namespace chronova::platform::ui
