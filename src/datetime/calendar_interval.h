#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Steps of the time scale that a fixed number of minutes cannot measure: months and years. A calendar step is
// always counted from a fixed start (start + k months), never chained, so that 31 January + 2 months is 31 March
// even though 31 January + 1 month is the end of February.
namespace chronova::modDateTime {

/// What one count of an interval is. The values are those that automation clients exchange.
enum class IntervalUnit : int16_t {
    Minutes = 0,
    Months = 1,
    Years = 2,
};

/// An interval: count units (a minute interval counts minutes, so it keeps the classic meaning).
struct CalendarInterval {
    int32_t count = 0;
    IntervalUnit unit = IntervalUnit::Minutes;

    bool IsCalendar() const noexcept { return unit != IntervalUnit::Minutes; }
    friend bool operator==(const CalendarInterval&, const CalendarInterval&) = default;
};

/// The classic date-add code of a unit: "n" minutes, "m" months, "yyyy" years.
std::string_view UnitCode(IntervalUnit unit);
/// The unit of a date-add code ("n", "m", "yyyy"; any letter case); nothing for any other text.
std::optional<IntervalUnit> UnitOfCode(std::string_view code);

/// The minute count months calendar months after minutes, keeping the time of day; a day past the end of the
/// target month is held on its last day (31 January + 1 month is 29 February in a leap year). Raises 6 when the
/// result leaves the minute scale.
int32_t AddMonths(int32_t minutes, int64_t months);
/// The time steps whole intervals after start (steps may be negative). Raises 6 on overflow.
int32_t AddIntervals(int32_t start, const CalendarInterval& interval, int64_t steps);
/// The time one interval after minutes: the step a window of one slider interval ends at.
int32_t TimeAfterInterval(int32_t minutes, const CalendarInterval& interval);
/// The number of whole intervals from start up to time: the largest k with AddIntervals(start, interval, k) <= time
/// (negative when time is before start). The interval's count must be at least 1.
int64_t IntervalsBetween(int32_t start, const CalendarInterval& interval, int32_t time);

/// Reads an interval text: a bare whole number is minutes; otherwise a positive whole number followed by a unit,
/// with or without a blank: "min" (minutes), "h" (hours), "d" (days), "mon" (months) or "y" (years), any letter
/// case. Hours and days become minutes. Nothing for any other text or a count of 0.
std::optional<CalendarInterval> ParseIntervalText(std::string_view text);
/// The forms ParseIntervalText accepts, for usage messages.
inline constexpr std::string_view kIntervalForms = "a number of minutes, or 15min, 2h, 1d, 1mon, 1y";

/// The interval as ParseIntervalText reads it back: "15min", "2h", "1d", "3mon", "1y".
std::string IntervalToText(const CalendarInterval& interval);

} // namespace chronova::modDateTime
