#pragma once

#include "platform/event.h"
#include "platform/ui/control.h"

#include <string>
#include <string_view>

namespace chronova::platform::ui {

/// A headless label: a caption that listeners (the desktop binding, forms) follow through Change, raised only
/// when the text really changes. A disabled label is shown greyed and ignores clicks.
class Label : public CaptionedControl {
public:
    Label() = default;
    Label(const Label&) = delete;
    Label& operator=(const Label&) = delete;

    const std::string& ToolTipText() const noexcept { return tool_tip_text_; }
    //! Text shown when the mouse rests on the label.
    void ToolTipText(std::string_view value) {
        if (value != tool_tip_text_) {
            tool_tip_text_ = value;
            Changed.Fire();
        }
    }

    /// The user clicks the label: raises Click unless the label is disabled or hidden.
    void UserClick() {
        if (Enabled() && Visible()) {
            Click.Fire();
        }
    }

    /// Raised after the caption changed.
    Event<> Change;
    /// Raised when the user clicks the label; forms use clickable labels to open a picker.
    Event<> Click;

private:
    void CaptionChanged() override { Change.Fire(); }

    std::string tool_tip_text_;
};

} // namespace chronova::platform::ui
