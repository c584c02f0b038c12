#pragma once

#include "platform/event.h"
#include "platform/ui/canvas.h"
#include "platform/ui/control.h"
#include "platform/ui/custom_draw.h"

#include <cstdint>

namespace chronova::platform::ui {

class PictureBox;

/// A headless slider control. Value always lies between Min and Max; changing it from code raises Change at
/// once, as a user change would, while a drag by the user raises Scroll for each move and a single Change when
/// the thumb is let go. Changed follows every move of the thumb, the range, the ticks and the selected band. A disabled
/// slider ignores the user but still follows changes made in code.
///
/// It draws itself (Paint) in pixels of its own size: a channel across, the thumb on it at Value and the tick
/// marks under the thumb. While it draws it sends custom-draw notifications to the picture box it sits in
/// (Container), which may draw on the same canvas or skip parts, as a window's parent does.
class Slider : public Control {
public:
    Slider() = default;
    Slider(const Slider&) = delete;
    Slider& operator=(const Slider&) = delete;

    int32_t Min() const noexcept { return min_; }
    //! Lower end of the range; Value is pulled into the new range (raising Change when it moves).
    void Min(int32_t value);
    int32_t Max() const noexcept { return max_; }
    //! Upper end of the range; Value is pulled into the new range (raising Change when it moves).
    void Max(int32_t value);

    int32_t Value() const noexcept { return value_; }
    //! Moves the thumb, clamped into the range; raises Change only when the value really changes.
    void Value(int32_t value);

    int32_t SmallChange() const noexcept { return small_change_; }
    //! Step of the arrow keys; error 380 when negative.
    void SmallChange(int32_t value);
    int32_t LargeChange() const noexcept { return large_change_; }
    //! Step of Page Up/Down and clicks beside the thumb; error 380 when negative.
    void LargeChange(int32_t value);
    int32_t TickFrequency() const noexcept { return tick_frequency_; }
    //! Distance between tick marks in value units; 0 keeps only the end ticks; error 380 when negative.
    void TickFrequency(int32_t value);

    bool SelectRange() const noexcept { return select_range_; }
    //! Shows the SelStart..SelStart+SelLength band (the span of loaded data).
    void SelectRange(bool value);
    int32_t SelStart() const noexcept { return sel_start_; }
    //! Start of the selected band; error 380 outside Min..Max.
    void SelStart(int32_t value);
    int32_t SelLength() const noexcept { return sel_length_; }
    //! Length of the selected band; error 380 when negative.
    void SelLength(int32_t value);

    /// The number of tick marks drawn, both ends included.
    int32_t GetNumTicks() const noexcept;
    /// The x of an interior tick mark in the slider's pixels: index 0 is the first tick after Min's, up to
    /// GetNumTicks() - 3; -1 for any other index. The end ticks are not available this way.
    int32_t GetTicPos(int32_t index) const noexcept;

    /// The picture box the slider sits in, which answers its custom-draw notifications; none by default.
    const PictureBox* Container() const noexcept { return container_; }
    //! The box must outlive the slider or be replaced first.
    void Container(const PictureBox* box);

    bool PositionTip() const noexcept { return position_tip_; }
    //! Whether a tip beside the thumb shows the value while the user drags it.
    void PositionTip(bool value) noexcept { position_tip_ = value; }

    /// The slider's client area: its size in pixels.
    PixelRect ClientRect() const noexcept;
    /// The channel the thumb runs in.
    PixelRect ChannelRect() const noexcept;
    /// The thumb at the present value.
    PixelRect ThumbRect() const noexcept;
    /// The x of the centre of the thumb (and of the tick) of a value, which need not lie in the range.
    int32_t ValueX(int32_t value) const noexcept;

    /// Draws the slider on a canvas that stands for its client area, with the custom-draw notifications at the
    /// whole control's and each part's stages: the tick marks, the channel and the thumb, in that order. The
    /// container's answers decide which parts are drawn and which later notifications it gets. Nothing happens
    /// while the slider has no width or height.
    void Paint(ICanvas& canvas) const;

    /// The user drags the thumb to a value: it is clamped and stored, Scroll is raised, Change is not.
    /// Ignored while the slider is disabled.
    void UserDrag(int32_t value);
    /// The user lets go of the thumb: raises Change once when the drag moved the value.
    void UserRelease();
    /// True between the first UserDrag and UserRelease.
    bool Dragging() const noexcept { return dragging_; }

    /// Raised whenever Value changes, from code or at the end of a user drag.
    Event<> Change;
    /// Raised for each move of a user drag.
    Event<> Scroll;

private:
    int32_t Clamp(int32_t value) const noexcept;
    /// Pulls Value into a new range; raises Changed (and Change when the value moved) once.
    void Reclamp();
    /// The value of tick k counting from Min's tick (0).
    int64_t TickValue(int64_t k) const noexcept;
    int32_t Notify(ICanvas& canvas, DrawStage stage, SliderPart part, const PixelRect& rect) const;
    void DrawTicks(ICanvas& canvas) const;
    void DrawChannel(ICanvas& canvas) const;
    void DrawThumb(ICanvas& canvas) const;

    int32_t min_ = 0;
    int32_t max_ = 10;
    int32_t value_ = 0;
    int32_t small_change_ = 1;
    int32_t large_change_ = 5;
    int32_t tick_frequency_ = 1;
    bool select_range_ = false;
    int32_t sel_start_ = 0;
    int32_t sel_length_ = 0;
    bool dragging_ = false;
    int32_t reported_value_ = 0; // the value Change last told listeners about
    const PictureBox* container_ = nullptr;
    bool position_tip_ = true;
};

} // namespace chronova::platform::ui
