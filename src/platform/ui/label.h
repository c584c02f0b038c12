#pragma once

#include "platform/ui/ui_event.h"

#include <string>
#include <string_view>

namespace chronova::platform::ui {

/// A headless label: a caption that listeners (the desktop binding, forms) follow through Change.
class Label {
public:
    Label() = default;
    Label(const Label&) = delete;
    Label& operator=(const Label&) = delete;

    const std::string& Caption() const noexcept { return caption_; }
    //! Sets the text shown; raises Change only when the text really changes.
    void Caption(std::string_view value);

    bool Visible() const noexcept { return visible_; }
    void Visible(bool value) noexcept { visible_ = value; }
    bool Enabled() const noexcept { return enabled_; }
    //! A disabled label is shown greyed and ignores clicks.
    void Enabled(bool value) noexcept { enabled_ = value; }

    const std::string& ToolTipText() const noexcept { return tool_tip_text_; }
    //! Text shown when the mouse rests on the label.
    void ToolTipText(std::string_view value) { tool_tip_text_ = value; }

    /// Raised after the caption changed.
    Event<> Change;

private:
    std::string caption_;
    std::string tool_tip_text_;
    bool visible_ = true;
    bool enabled_ = true;
};

} // namespace chronova::platform::ui
