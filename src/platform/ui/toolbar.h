#pragma once

#include "platform/event.h"
#include "platform/ui/control.h"

#include <deque>
#include <string>
#include <string_view>

namespace chronova::platform::ui {

/// A headless toolbar: buttons found by key, each enabled or not and pressed or not (for check-style
/// buttons such as play/pause).
class Toolbar : public Control {
public:
    /// One toolbar button.
    struct Button {
        std::string key;
        std::string tool_tip_text;
        bool enabled = true;
        bool visible = true;
        bool value = false; ///< pressed
    };

    Toolbar() = default;
    Toolbar(const Toolbar&) = delete;
    Toolbar& operator=(const Toolbar&) = delete;

    /// Adds a button at the end; error 457 for a key already in use, 5 for an empty key.
    Button& Add(std::string_view key, std::string_view tool_tip_text = {});
    /// The button with the key; error 9 when there is none.
    Button& Buttons(std::string_view key);
    const Button& Buttons(std::string_view key) const;
    bool Contains(std::string_view key) const noexcept;
    int32_t Count() const noexcept { return static_cast<int32_t>(buttons_.size()); }

    /// The user presses a button: raises ButtonClick with its key when the toolbar and the button are enabled
    /// and visible. Error 9 for an unknown key.
    void Press(std::string_view key);

    /// Raised with the key of the pressed button.
    Event<const std::string&> ButtonClick;

private:
    std::deque<Button> buttons_; // few buttons, searched by key; a deque keeps references from Add valid
};

} // namespace chronova::platform::ui
