#pragma once

#include "platform/event.h"
#include "platform/ui/control.h"

#include <cstdint>

namespace chronova::platform::ui {

/// A headless slider control. Value always lies between Min and Max; changing it from code raises Change at
/// once, as a user change would, while a drag by the user raises Scroll for each move and a single Change when
/// the thumb is let go. A disabled slider ignores the user but still follows changes made in code.
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
    void SelectRange(bool value) noexcept { select_range_ = value; }
    int32_t SelStart() const noexcept { return sel_start_; }
    //! Start of the selected band; error 380 outside Min..Max.
    void SelStart(int32_t value);
    int32_t SelLength() const noexcept { return sel_length_; }
    //! Length of the selected band; error 380 when negative.
    void SelLength(int32_t value);

    /// The number of tick marks drawn, both ends included.
    int32_t GetNumTicks() const noexcept;

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
    void Reclamp();

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
};

} // namespace chronova::platform::ui
