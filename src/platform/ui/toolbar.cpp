#include "platform/ui/toolbar.h"

#include "platform/automation_error.h"

#include <algorithm>
#include <utility>

namespace chronova::platform::ui {

Toolbar::Button::Button(Token, Toolbar& toolbar, std::string key, std::string tool_tip_text)
    : toolbar_(toolbar), key_(std::move(key)), tool_tip_text_(std::move(tool_tip_text)) {}

template <typename T, typename V>
void Toolbar::Button::Set(T& member, V&& value) {
    if (member == value) {
        return;
    }
    member = std::forward<V>(value);
    toolbar_.Changed.Fire();
}

void Toolbar::Button::ToolTipText(std::string_view value) {
    Set(tool_tip_text_, value);
}

void Toolbar::Button::Enabled(bool value) {
    Set(enabled_, value);
}

void Toolbar::Button::Visible(bool value) {
    Set(visible_, value);
}

void Toolbar::Button::Value(bool pressed) {
    Set(value_, pressed);
}

Toolbar::Button& Toolbar::Add(std::string_view key, std::string_view tool_tip_text) {
    if (key.empty()) {
        RaiseError(error::kInvalidProcedureCall, "A toolbar button needs a key");
    }
    if (Contains(key)) {
        RaiseError(error::kKeyAlreadyAssociated);
    }
    buttons_.emplace_back(Token{}, *this, std::string(key), std::string(tool_tip_text));
    Changed.Fire();
    return buttons_.back();
}

bool Toolbar::Contains(std::string_view key) const noexcept {
    return std::any_of(buttons_.begin(), buttons_.end(), [&](const Button& b) { return b.key_ == key; });
}

const Toolbar::Button& Toolbar::Buttons(std::string_view key) const {
    const auto found = std::find_if(buttons_.begin(), buttons_.end(), [&](const Button& b) { return b.key_ == key; });
    if (found == buttons_.end()) {
        RaiseError(error::kSubscriptOutOfRange);
    }
    return *found;
}

Toolbar::Button& Toolbar::Buttons(std::string_view key) {
    return const_cast<Button&>(std::as_const(*this).Buttons(key));
}

const Toolbar::Button& Toolbar::ButtonAt(int32_t index) const {
    if (index < 0 || index >= Count()) {
        RaiseError(error::kSubscriptOutOfRange);
    }
    return buttons_[static_cast<size_t>(index)];
}

void Toolbar::Press(std::string_view key) {
    const Button& button = Buttons(key);
    if (Enabled() && Visible() && button.enabled_ && button.visible_) {
        // The key is copied: a handler may remove or rename buttons while it runs.
        const std::string pressed = button.key_;
        ButtonClick.Fire(pressed);
    }
}

} // namespace chronova::platform::ui
