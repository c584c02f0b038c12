#include "slider/time_axis.h"

#include <algorithm>

#include "datetime/mod_date_time.h"
#include "records/time_codes.h"
#include "slider/checked_arithmetic.h"

namespace chronova {
namespace {

using slider_math::RoundLong;
using slider_math::ToLong;

constexpr int32_t kMinutesPerDay = 1440;

} // namespace

bool LayerSpanMerge::Add(const LayerSpan& layer) {
    ++count_;
    if (count_ == 1) {
        merged_ = layer;
        return true;
    }
    const bool earliest = layer.start < merged_.start;
    if (earliest) {
        merged_.start = layer.start;
    }
    merged_.finish = std::max(merged_.finish, layer.finish);
    // Only a later layer's own interval competes; a first layer without one keeps 0 for the gap search.
    if (layer.interval > 0 && merged_.interval > layer.interval) {
        merged_.interval = layer.interval;
    }
    return earliest;
}

LayerSpan TimeAxis::DataSpan(const LayerSpan& merged, std::vector<int32_t> starts) {
    LayerSpan span = merged;
    if (span.interval < 1 && starts.size() > 1) {
        // Measured even when a negative interval is kept, so a range too wide for minute numbers still fails.
        const int32_t gap = SmallestStartGap(span.start, std::move(starts));
        if (span.interval == 0) {
            span.interval = gap;
        }
    }
    span.interval = FitInterval(ToLong(int64_t{span.finish} - span.start), span.interval).interval;
    return span;
}

LayerSpan TimeAxis::DataSpan(std::span<const LayerSpan> layers) {
    LayerSpanMerge merge;
    std::vector<int32_t> starts;
    starts.reserve(layers.size());
    for (const LayerSpan& layer : layers) {
        merge.Add(layer);
        starts.push_back(layer.start);
    }
    return DataSpan(merge.Merged(), std::move(starts));
}

int32_t TimeAxis::SmallestStartGap(int32_t from, std::vector<int32_t> starts) {
    const size_t most_gaps = starts.empty() ? 0 : starts.size() - 1;
    std::sort(starts.begin(), starts.end());
    starts.erase(std::unique(starts.begin(), starts.end()), starts.end());
    int32_t smallest = 0;
    int32_t previous = from;
    size_t gaps = 0;
    for (auto next = std::upper_bound(starts.begin(), starts.end(), from); next != starts.end() && gaps < most_gaps;
         ++next, ++gaps) {
        const int32_t gap = ToLong(int64_t{*next} - previous);
        if (smallest == 0 || smallest > gap) {
            smallest = gap;
        }
        previous = *next;
    }
    return smallest;
}

FittedInterval TimeAxis::FitInterval(int32_t range, int32_t interval) {
    FittedInterval fitted{std::max(interval, 1), {}};
    if (static_cast<double>(range) / fitted.interval + 1.0 > kMaxSteps) {
        fitted.status = kTooManySteps;
        fitted.interval = std::clamp(RoundLong(range / static_cast<double>(kMaxSteps) + 1.0), 1, kMaxSteps);
    }
    return fitted;
}

std::string TimeAxis::IntervalText(int32_t minutes) {
    const int32_t days = minutes / kMinutesPerDay;
    const int32_t hours = (minutes - days * kMinutesPerDay) / 60;
    const int32_t rest = minutes - days * kMinutesPerDay - hours * 60;
    std::string text = " Interval: ";
    if (days >= 1) {
        text += std::to_string(days) + " days ";
    }
    text += std::to_string(hours) + " hrs " + std::to_string(rest) + " mins";
    return text;
}

std::string TimeAxis::IntervalText(const modDateTime::CalendarInterval& interval) {
    switch (interval.unit) {
    case modDateTime::IntervalUnit::Months:
        return " Interval: " + std::to_string(interval.count) + (interval.count == 1 ? " month" : " months");
    case modDateTime::IntervalUnit::Years:
        return " Interval: " + std::to_string(interval.count) + (interval.count == 1 ? " year" : " years");
    case modDateTime::IntervalUnit::Minutes:
        break;
    }
    return IntervalText(interval.count);
}

int32_t TimeAxis::CalendarStepCount(int32_t start, int32_t finish, const modDateTime::CalendarInterval& interval) {
    const int64_t steps = modDateTime::IntervalsBetween(start, interval, finish);
    return static_cast<int32_t>(std::clamp<int64_t>(steps, 1, kMaxSteps));
}

FittedInterval TimeAxis::FitCalendarInterval(int32_t start, int32_t finish,
                                             const modDateTime::CalendarInterval& interval) {
    FittedInterval fitted{std::max(interval.count, 1), {}};
    const int64_t steps = modDateTime::IntervalsBetween(start, {fitted.interval, interval.unit}, finish);
    if (steps + 1 > kMaxSteps) {
        fitted.status = kTooManySteps;
        // Steps shrink in proportion to the count; one more unit absorbs the rounding.
        fitted.interval =
            static_cast<int32_t>(std::min<int64_t>(steps * fitted.interval / (kMaxSteps - 1) + 1, int64_t{kMaxSteps}));
    }
    return fitted;
}

int32_t TimeAxis::StepCount(int32_t range, int32_t interval) {
    const int32_t steps = std::min(range / interval, kMaxSteps);
    return steps <= 0 ? 1 : steps;
}

int32_t TimeAxis::LayerStartPosition(int32_t layer_start, int32_t axis_start, int32_t interval) {
    if (layer_start == axis_start) {
        return 0;
    }
    return RoundLong(static_cast<double>(ToLong(int64_t{layer_start} - axis_start)) / interval);
}

int32_t TimeAxis::LayerFinishPosition(int32_t layer_finish, int32_t axis_finish, int32_t interval, int32_t steps) {
    if (layer_finish == axis_finish) {
        return steps;
    }
    return RoundLong(steps - static_cast<double>(ToLong(int64_t{axis_finish} - layer_finish)) / interval);
}

int32_t TimeAxis::KeptTime(int32_t minutes, int32_t start, int32_t finish) {
    return minutes < start || minutes > finish ? start : minutes;
}

TimeAxis::TimeAxis(int32_t start, int32_t interval, int16_t display_type, std::span<const platform::Date> unique_times)
    : start_(start), interval_(interval),
      unique_times_(display_type == kDisplayUniquePoints ? unique_times : std::span<const platform::Date>()) {}

TimeAxis::TimeAxis(int32_t start, const modDateTime::CalendarInterval& interval, int16_t display_type,
                   std::span<const platform::Date> unique_times)
    : TimeAxis(start, interval.count, display_type, unique_times) {
    unit_ = interval.unit;
}

int32_t TimeAxis::TimeAt(int32_t position) const {
    if (UniquePoints()) {
        const bool on_list = position >= 0 && static_cast<size_t>(position) < unique_times_.size();
        return modDateTime::DateToMinutes(unique_times_[on_list ? static_cast<size_t>(position) : 0]);
    }
    if (unit_ != modDateTime::IntervalUnit::Minutes) {
        return modDateTime::AddIntervals(start_, {interval_, unit_}, position);
    }
    return ToLong(int64_t{start_} + int64_t{position} * interval_);
}

int32_t TimeAxis::PositionOf(int32_t minutes) const {
    if (interval_ < 1) {
        return 0;
    }
    if (UniquePoints()) {
        const platform::Date date = modDateTime::MinutesToDate(minutes);
        const auto found = std::find(unique_times_.begin(), unique_times_.end(), date);
        return found == unique_times_.end() ? 0 : static_cast<int32_t>(found - unique_times_.begin());
    }
    if (unit_ != modDateTime::IntervalUnit::Minutes) {
        return ToLong(modDateTime::IntervalsBetween(start_, {interval_, unit_}, minutes));
    }
    return ToLong(int64_t{minutes} - start_) / interval_;
}

int32_t TimeAxis::ClampedPositionOf(int32_t minutes, int32_t max_position) const {
    return std::clamp(PositionOf(minutes), 0, std::max(max_position, 0));
}

} // namespace chronova
