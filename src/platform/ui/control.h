#pragma once

#include "platform/event.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace chronova::platform::ui {

/// Twips per screen pixel: forms lay out their controls in twips (1/1440 inch) on a 96-dpi screen.
inline constexpr int32_t kTwipsPerPixel = 15;

/// What every headless control has, kept in one place: it may be disabled (it then ignores the user but still
/// follows changes made in code) and hidden, and it has a place on its form in twips. A control that must hear of
/// a new size overrides Resized.
///
/// Changed tells a display (the desktop binding) that something the control shows changed: its state, place,
/// caption, value, entries, range... It is raised after the change is stored and before the control's classic
/// notification (Click, Change...), and only when a value really changes. Controls are not copyable: a display
/// follows one control for its whole life.
class Control {
public:
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    bool Enabled() const noexcept { return enabled_; }
    void Enabled(bool value);
    bool Visible() const noexcept { return visible_; }
    void Visible(bool value);

    int32_t Left() const noexcept { return left_; }
    int32_t Top() const noexcept { return top_; }
    int32_t Width() const noexcept { return width_; }
    int32_t Height() const noexcept { return height_; }
    void Left(int32_t twips) { Move(twips, top_, width_, height_); }
    void Top(int32_t twips) { Move(left_, twips, width_, height_); }
    void Width(int32_t twips) { Move(left_, top_, twips, height_); }
    void Height(int32_t twips) { Move(left_, top_, width_, twips); }
    /// Places the control; a negative width or height counts as 0. Changed is raised when the place or size
    /// really changed, then Resized runs when the size did.
    void Move(int32_t left, int32_t top, int32_t width, int32_t height);

    /// Raised after anything the control shows changed, from code as from the user.
    Event<> Changed;

protected:
    Control() = default;
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
    /// Sets the text shown; Changed is raised, then CaptionChanged runs, only when the text really changes.
    void Caption(std::string_view value);

protected:
    CaptionedControl() = default;

    /// Runs after the caption changed; raises the control's own notification, if it has one.
    virtual void CaptionChanged() {}

private:
    std::string caption_;
};

} // namespace chronova::platform::ui
