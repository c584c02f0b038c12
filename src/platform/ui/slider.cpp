#include "platform/ui/slider.h"

#include "platform/automation_error.h"

#include <algorithm>
#include <cstdlib>

namespace chronova::platform::ui {
namespace {

constexpr int32_t kInvalidPropertyValue = 380;

void RequireNotNegative(int32_t value) {
    if (value < 0) {
        RaiseError(kInvalidPropertyValue, "Invalid property value");
    }
}

} // namespace

int32_t Slider::Clamp(int32_t value) const noexcept {
    // A slider may run backwards (Min above Max); the value still lies between the two ends.
    return std::clamp(value, std::min(min_, max_), std::max(min_, max_));
}

void Slider::Reclamp() {
    const int32_t clamped = Clamp(value_);
    const bool moved = clamped != value_;
    value_ = clamped;
    if (moved) {
        reported_value_ = clamped;
    }
    Changed.Fire();
    if (moved) {
        Change.Fire();
    }
}

void Slider::Min(int32_t value) {
    if (value == min_) {
        return;
    }
    min_ = value;
    Reclamp();
}

void Slider::Max(int32_t value) {
    if (value == max_) {
        return;
    }
    max_ = value;
    Reclamp();
}

void Slider::Value(int32_t value) {
    const int32_t clamped = Clamp(value);
    if (clamped == value_) {
        return;
    }
    value_ = clamped;
    reported_value_ = clamped;
    Changed.Fire();
    Change.Fire();
}

void Slider::SmallChange(int32_t value) {
    RequireNotNegative(value);
    small_change_ = value;
}

void Slider::LargeChange(int32_t value) {
    RequireNotNegative(value);
    large_change_ = value;
}

void Slider::TickFrequency(int32_t value) {
    RequireNotNegative(value);
    if (value == tick_frequency_) {
        return;
    }
    tick_frequency_ = value;
    Changed.Fire();
}

void Slider::SelectRange(bool value) {
    if (value == select_range_) {
        return;
    }
    select_range_ = value;
    Changed.Fire();
}

void Slider::SelStart(int32_t value) {
    if (value != Clamp(value)) {
        RaiseError(kInvalidPropertyValue, "Invalid property value");
    }
    if (value == sel_start_) {
        return;
    }
    sel_start_ = value;
    Changed.Fire();
}

void Slider::SelLength(int32_t value) {
    RequireNotNegative(value);
    if (value == sel_length_) {
        return;
    }
    sel_length_ = value;
    Changed.Fire();
}

void Slider::Container(const PictureBox* box) {
    if (box == container_) {
        return;
    }
    container_ = box;
    Changed.Fire();
}

int32_t Slider::GetNumTicks() const noexcept {
    const int64_t span = std::abs(static_cast<int64_t>(max_) - min_);
    if (span == 0) {
        return 1;
    }
    if (tick_frequency_ == 0) {
        return 2;
    }
    // Ticks every TickFrequency from Min, plus the tick at Max when the range is not a whole multiple.
    const int64_t inner = span / tick_frequency_;
    return static_cast<int32_t>(inner + 1 + (span % tick_frequency_ != 0 ? 1 : 0));
}

void Slider::UserDrag(int32_t value) {
    if (!Enabled()) {
        return;
    }
    if (!dragging_) {
        dragging_ = true;
        reported_value_ = value_;
    }
    const int32_t clamped = Clamp(value);
    const bool moved = clamped != value_;
    value_ = clamped;
    if (moved) {
        Changed.Fire();
    }
    Scroll.Fire();
}

void Slider::UserRelease() {
    if (!dragging_) {
        return;
    }
    dragging_ = false;
    if (value_ != reported_value_) {
        reported_value_ = value_;
        Change.Fire();
    }
}

} // namespace chronova::platform::ui
