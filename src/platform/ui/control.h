#pragma once

#include <string>
#include <string_view>

namespace chronova::platform::ui {

/// What every headless control has, kept in one place: it may be disabled (it then ignores the user but still
/// follows changes made in code) and hidden. Setting either only stores it; nothing is raised.
class Control {
public:
    bool Enabled() const noexcept { return enabled_; }
    void Enabled(bool value) noexcept { enabled_ = value; }
    bool Visible() const noexcept { return visible_; }
    void Visible(bool value) noexcept { visible_ = value; }

protected:
    Control() = default;
    Control(const Control&) = default;
    Control& operator=(const Control&) = default;
    ~Control() = default;

private:
    bool enabled_ = true;
    bool visible_ = true;
};

/// A control that shows a caption. A control that tells listeners about a new caption overrides
/// CaptionChanged, so the notification follows also a caption set through this base.
class CaptionedControl : public Control {
public:
    virtual ~CaptionedControl() = default;

    const std::string& Caption() const noexcept { return caption_; }
    /// Sets the text shown; CaptionChanged runs only when the text really changes.
    void Caption(std::string_view value);

protected:
    CaptionedControl() = default;
    CaptionedControl(const CaptionedControl&) = default;
    CaptionedControl& operator=(const CaptionedControl&) = default;

    /// Runs after the caption changed; raises the control's own notification, if it has one.
    virtual void CaptionChanged() {}

private:
    std::string caption_;
};

} // namespace chronova::platform::ui
