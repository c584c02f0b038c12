#include "platform/ui/toolbar.h"

#include "platform/automation_error.h"

#include <algorithm>
#include <utility>

namespace chronova::platform::ui {

Toolbar::Button& Toolbar::Add(std::string_view key, std::string_view tool_tip_text) {
    if (key.empty()) {
        RaiseError(error::kInvalidProcedureCall, "A toolbar button needs a key");
    }
    if (Contains(key)) {
        RaiseError(error::kKeyAlreadyAssociated);
    }
    buttons_.push_back(Button{std::string(key), std::string(tool_tip_text)});
    return buttons_.back();
}

bool Toolbar::Contains(std::string_view key) const noexcept {
    return std::any_of(buttons_.begin(), buttons_.end(), [&](const Button& b) { return b.key == key; });
}

const Toolbar::Button& Toolbar::Buttons(std::string_view key) const {
    const auto found = std::find_if(buttons_.begin(), buttons_.end(), [&](const Button& b) { return b.key == key; });
    if (found == buttons_.end()) {
        RaiseError(error::kSubscriptOutOfRange);
    }
    return *found;
}

Toolbar::Button& Toolbar::Buttons(std::string_view key) {
    return const_cast<Button&>(std::as_const(*this).Buttons(key));
}

void Toolbar::Press(std::string_view key) {
    const Button& button = Buttons(key);
    if (Enabled() && Visible() && button.enabled && button.visible) {
        // The key is copied: a handler may remove or rename buttons while it runs.
        const std::string pressed = button.key;
        ButtonClick.Fire(pressed);
    }
}

} // namespace chronova::platform::ui
