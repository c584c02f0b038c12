#pragma once

#include "platform/ui/ui_event.h"

#include <string>
#include <string_view>

namespace chronova::platform::ui {

/// A headless option (radio) button. Only selecting raises Click, as with the classic control; the form
/// that groups options clears the others in its Click handler or through SelectOnly.
class OptionButton {
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
        if (value_) {
            Click.Fire();
        }
    }

    /// The user clicks the option: an enabled option becomes selected.
    void UserClick() {
        if (enabled_ && visible_) {
            Value(true);
        }
    }

    const std::string& Caption() const noexcept { return caption_; }
    void Caption(std::string_view value) { caption_ = value; }
    bool Enabled() const noexcept { return enabled_; }
    void Enabled(bool value) noexcept { enabled_ = value; }
    bool Visible() const noexcept { return visible_; }
    void Visible(bool value) noexcept { visible_ = value; }

    /// Raised when the option becomes selected.
    Event<> Click;

private:
    bool value_ = false;
    std::string caption_;
    bool enabled_ = true;
    bool visible_ = true;
};

} // namespace chronova::platform::ui
