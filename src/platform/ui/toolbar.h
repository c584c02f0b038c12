#pragma once

#include "platform/event.h"
#include "platform/ui/control.h"

#include <deque>
#include <string>
#include <string_view>

namespace chronova::platform::ui {

/// A headless toolbar: buttons found by key, each enabled or not and pressed or not (for check-style
/// buttons such as play/pause). A button's state is set through the button, which tells its toolbar, so that
/// the toolbar's Changed follows every button.
class Toolbar : public Control {
    struct Token {};

public:
    /// One toolbar button; it belongs to its toolbar and lives as long as it.
    class Button {
    public:
        /// Made by Toolbar::Add only.
        Button(Token, Toolbar& toolbar, std::string key, std::string tool_tip_text);
        Button(const Button&) = delete;
        Button& operator=(const Button&) = delete;

        const std::string& Key() const noexcept { return key_; }

        const std::string& ToolTipText() const noexcept { return tool_tip_text_; }
        void ToolTipText(std::string_view value);
        bool Enabled() const noexcept { return enabled_; }
        //! A disabled button ignores presses.
        void Enabled(bool value);
        bool Visible() const noexcept { return visible_; }
        //! A hidden button ignores presses.
        void Visible(bool value);
        /// True while the button shows pressed.
        bool Value() const noexcept { return value_; }
        void Value(bool pressed);

    private:
        friend class Toolbar;
        template <typename T, typename V>
        void Set(T& member, V&& value);

        Toolbar& toolbar_;
        std::string key_;
        std::string tool_tip_text_;
        bool enabled_ = true;
        bool visible_ = true;
        bool value_ = false;
    };

    Toolbar() = default;

    /// Adds a button at the end; error 457 for a key already in use, 5 for an empty key.
    Button& Add(std::string_view key, std::string_view tool_tip_text = {});
    /// The button with the key; error 9 when there is none.
    Button& Buttons(std::string_view key);
    const Button& Buttons(std::string_view key) const;
    /// The button at a 0-based position, in the order added; error 9 outside 0..Count-1.
    const Button& ButtonAt(int32_t index) const;
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
