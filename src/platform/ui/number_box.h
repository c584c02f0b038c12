#pragma once

#include "platform/event.h"
#include "platform/ui/control.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace chronova::platform::ui {

/// A headless numeric edit field holding a whole number between Min and Max.
class NumberBox : public Control {
public:
    NumberBox() = default;
    NumberBox(const NumberBox&) = delete;
    NumberBox& operator=(const NumberBox&) = delete;

    int32_t Value() const noexcept { return value_; }
    //! Sets the number, clamped into Min..Max; raises Change only when it really changes, also from code.
    void Value(int32_t value) {
        value = std::clamp(value, min_, max_);
        if (value == value_) {
            return;
        }
        value_ = value;
        Changed.Fire();
        Change.Fire();
    }

    int32_t Min() const noexcept { return min_; }
    int32_t Max() const noexcept { return max_; }
    //! Sets the range the number is kept in (swapped when given backwards) and clamps the number into it.
    void Range(int32_t min, int32_t max) {
        const int32_t low = std::min(min, max);
        const int32_t high = std::max(min, max);
        if (low == min_ && high == max_) {
            return;
        }
        min_ = low;
        max_ = high;
        Changed.Fire();
        Value(value_);
    }

    /// The user enters a number: ignored while the field is disabled or hidden.
    void UserEnter(int32_t value) {
        if (Enabled() && Visible()) {
            Value(value);
        }
    }

    /// Raised after the number changed.
    Event<> Change;

private:
    int32_t value_ = 0;
    int32_t min_ = std::numeric_limits<int32_t>::min();
    int32_t max_ = std::numeric_limits<int32_t>::max();
};

} // namespace chronova::platform::ui
