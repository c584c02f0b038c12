#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "datetime/calendar_interval.h"
#include "platform/ole_date.h"

namespace chronova {

/// A time range in minute numbers with its step; interval 0 when the range has no step of its own.
struct LayerSpan {
    int32_t start = 0;
    int32_t finish = 0;
    int32_t interval = 0;

    friend bool operator==(const LayerSpan&, const LayerSpan&) = default;
};

/// A step width fitted to the slider's positions, and the status text that reports a widening (empty if none).
struct FittedInterval {
    int32_t interval = 1;
    std::string status;
};

/// Merges the layers' ranges, taken in registry order, into the axis range: the earliest start, the latest finish
/// and the smallest interval of their own. A first layer without an interval leaves the interval 0, so that the
/// gaps between the layers' starts decide it (TimeAxis::DataSpan).
class LayerSpanMerge {
public:
    /// Takes one more layer; true when it starts before every layer taken so far (the first always does).
    bool Add(const LayerSpan& layer);
    const LayerSpan& Merged() const noexcept { return merged_; }
    int32_t Count() const noexcept { return count_; }

private:
    LayerSpan merged_;
    int32_t count_ = 0;
};

/// The slider's time axis as arithmetic, free of controls and process-wide state: building the axis range from
/// the layers, fitting the step to the slider's 32767 positions, and turning positions into times and back, in
/// both display modes. Minute numbers are those of modDateTime. Results that do not fit a Long raise error 6.
class TimeAxis {
public:
    /// A slider position is a 16-bit integer, so the axis has at most this many steps.
    static constexpr int32_t kMaxSteps = 32767;
    /// The status text of an interval widened to fit the positions.
    static constexpr std::string_view kTooManySteps = "Number of Time Steps Exceeds Limits - Adjusting Interval.";
    /// The interval label in the unique-points display mode.
    static constexpr std::string_view kUniquePointsText = "Unique Data Points";

    // ---- Building the axis ----

    /// The axis span of the merged layers: without an interval, the smallest gap between the starts (see
    /// SmallestStartGap, from the merged start); then at least 1 and widened to fit the positions.
    static LayerSpan DataSpan(const LayerSpan& merged, std::vector<int32_t> starts);
    /// Merges the layers in order and completes the span from their own starts.
    static LayerSpan DataSpan(std::span<const LayerSpan> layers);
    /// The smallest gap along the distinct starts later than from, beginning at from itself; one gap per start
    /// after the earliest at most. 0 when no start is later. Sorts once, so many layers stay cheap.
    static int32_t SmallestStartGap(int32_t from, std::vector<int32_t> starts);
    /// An interval of at least 1, widened when range / interval + 1 would pass kMaxSteps positions.
    static FittedInterval FitInterval(int32_t range, int32_t interval);
    /// The interval label of a fixed interval: " Interval: [d days ]h hrs m mins".
    static std::string IntervalText(int32_t minutes);
    /// The interval label of any interval: the classic text for minutes, " Interval: n months" or " n years".
    static std::string IntervalText(const modDateTime::CalendarInterval& interval);
    /// The number of steps (the highest position) of an axis from start to finish by a calendar interval: the
    /// whole intervals that fit, 1 to kMaxSteps.
    static int32_t CalendarStepCount(int32_t start, int32_t finish, const modDateTime::CalendarInterval& interval);
    /// A calendar interval of at least 1, widened when the axis would pass kMaxSteps positions.
    static FittedInterval FitCalendarInterval(int32_t start, int32_t finish,
                                              const modDateTime::CalendarInterval& interval);
    /// The number of steps of a range (minutes, both ends counted) at a positive interval: 1 to kMaxSteps.
    static int32_t StepCount(int32_t range, int32_t interval);
    /// A layer's first position on an axis from axis_start: its start's steps from there, rounded.
    static int32_t LayerStartPosition(int32_t layer_start, int32_t axis_start, int32_t interval);
    /// A layer's last position on an axis of steps ending at axis_finish: its finish's steps back from there.
    static int32_t LayerFinishPosition(int32_t layer_finish, int32_t axis_finish, int32_t interval, int32_t steps);

    // ---- Range selection ----

    /// The current time kept when another range is chosen: itself inside start..finish, else the range's start.
    static int32_t KeptTime(int32_t minutes, int32_t start, int32_t finish);

    // ---- Positions and times ----

    /// An axis from start stepping by interval minutes. In the unique-points display mode with a step list,
    /// positions index unique_times (sorted, distinct) instead; the list must outlive the axis.
    TimeAxis(int32_t start, int32_t interval, int16_t display_type, std::span<const platform::Date> unique_times);
    /// An axis stepping by any interval: position k is start + k intervals, computed from the start, so a monthly
    /// axis from 31 January stands on the last day of every shorter month and on the 31st of the longer ones.
    TimeAxis(int32_t start, const modDateTime::CalendarInterval& interval, int16_t display_type,
             std::span<const platform::Date> unique_times);

    /// True when positions index the list of distinct steps.
    bool UniquePoints() const noexcept { return !unique_times_.empty(); }
    /// The minute number of a position; in unique-points mode a position off the list gives the list's first.
    int32_t TimeAt(int32_t position) const;
    /// The position of a minute number, unclamped: whole steps from the start (on a calendar interval the position
    /// at or before the time), or in unique-points mode the first list entry equal to it (0 when none is). 0 while
    /// the interval is below 1.
    int32_t PositionOf(int32_t minutes) const;
    /// PositionOf held inside 0..max_position.
    int32_t ClampedPositionOf(int32_t minutes, int32_t max_position) const;

private:
    int32_t start_;
    int32_t interval_;
    modDateTime::IntervalUnit unit_ = modDateTime::IntervalUnit::Minutes;
    std::span<const platform::Date> unique_times_; // empty unless positions index it
};

} // namespace chronova
