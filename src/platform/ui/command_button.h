#pragma once

#include "platform/ui/ui_event.h"

#include <string>
#include <string_view>

namespace chronova::platform::ui {

/// A headless push button.
class CommandButton {
public:
    CommandButton() = default;
    CommandButton(const CommandButton&) = delete;
    CommandButton& operator=(const CommandButton&) = delete;

    const std::string& Caption() const noexcept { return caption_; }
    void Caption(std::string_view value) { caption_ = value; }
    bool Enabled() const noexcept { return enabled_; }
    //! A disabled button ignores presses by the user.
    void Enabled(bool value) noexcept { enabled_ = value; }
    bool Visible() const noexcept { return visible_; }
    void Visible(bool value) noexcept { visible_ = value; }

    /// The user presses the button: raises Click unless the button is disabled or hidden.
    void Press() {
        if (enabled_ && visible_) {
            Click.Fire();
        }
    }

    /// Raised when the button is pressed.
    Event<> Click;

private:
    std::string caption_;
    bool enabled_ = true;
    bool visible_ = true;
};

} // namespace chronova::platform::ui
