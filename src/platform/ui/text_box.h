#pragma once

#include "platform/event.h"
#include "platform/ui/control.h"

#include <string>
#include <string_view>

namespace chronova::platform::ui {

/// A headless single-line text box.
class TextBox : public Control {
public:
    TextBox() = default;
    TextBox(const TextBox&) = delete;
    TextBox& operator=(const TextBox&) = delete;

    const std::string& Text() const noexcept { return text_; }
    //! Replaces the text; raises Change only when it really changes, also from code.
    void Text(std::string_view value) {
        if (value == text_) {
            return;
        }
        text_ = value;
        Changed.Fire();
        Change.Fire();
    }

    /// The user types a new text: ignored while the box is disabled or locked.
    void UserType(std::string_view value) {
        if (Enabled() && !locked_) {
            Text(value);
        }
    }

    bool Locked() const noexcept { return locked_; }
    //! A locked box shows its text but the user cannot edit it.
    void Locked(bool value) {
        if (value != locked_) {
            locked_ = value;
            Changed.Fire();
        }
    }
    /// Raised after the text changed.
    Event<> Change;

private:
    std::string text_;
    bool locked_ = false;
};

} // namespace chronova::platform::ui
