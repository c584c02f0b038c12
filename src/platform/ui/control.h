#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace chronova::platform::ui {

/// Twips per screen pixel: forms lay out their controls in twips (1/1440 inch) on a 96-dpi screen.
inline constexpr int32_t kTwipsPerPixel = 15;

/// What every headless control has, kept in one place: it may be disabled (it then ignores the user but still
/// follows changes made in code) and hidden, and it has a place on its form in twips. Setting the state or the
/// place only stores it; a control that must hear of a new size overrides Resized.
class Control {
public:
    bool Enabled() const noexcept { return enabled_; }
    void Enabled(bool value) noexcept { enabled_ = value; }
    bool Visible() const noexcept { return visible_; }
    void Visible(bool value) noexcept { visible_ = value; }

    int32_t Left() const noexcept { return left_; }
    int32_t Top() const noexcept { return top_; }
    int32_t Width() const noexcept { return width_; }
    int32_t Height() const noexcept { return height_; }
    void Left(int32_t twips) { Move(twips, top_, width_, height_); }
    void Top(int32_t twips) { Move(left_, twips, width_, height_); }
    void Width(int32_t twips) { Move(left_, top_, twips, height_); }
    void Height(int32_t twips) { Move(left_, top_, width_, twips); }
    /// Places the control; a negative width or height counts as 0. Resized runs when the size really changed.
    void Move(int32_t left, int32_t top, int32_t width, int32_t height);

protected:
    Control() = default;
    Control(const Control&) = default;
    Control& operator=(const Control&) = default;
    virtual ~Control() = default;

    /// Runs after the width or height changed.
    virtual void Resized() {}

private:
    bool enabled_ = true;
    bool visible_ = true;
    int32_t left_ = 0;
    int32_t top_ = 0;
    int32_t width_ = 0;
    int32_t height_ = 0;
};

/// A control that shows a caption. A control that tells listeners about a new caption overrides
/// CaptionChanged, so the notification follows also a caption set through this base.
class CaptionedControl : public Control {
public:
    ~CaptionedControl() override = default;

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
