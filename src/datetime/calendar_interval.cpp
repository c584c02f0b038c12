#include "datetime/calendar_interval.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <limits>

#include "platform/automation_error.h"
#include "platform/ole_date.h"

namespace chronova::modDateTime {

namespace {

constexpr int64_t kMinutesPerDay = 1440;

int32_t ToMinuteCount(int64_t minutes) {
    if (minutes < std::numeric_limits<int32_t>::min() || minutes > std::numeric_limits<int32_t>::max()) {
        platform::RaiseError(platform::error::kOverflow);
    }
    return static_cast<int32_t>(minutes);
}

// Floor division, so that minutes before day zero keep a time of day in 0..1439.
int64_t FloorDiv(int64_t a, int64_t b) {
    const int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

std::string Lower(std::string_view text) {
    std::string lower;
    for (const char c : text) {
        lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return lower;
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) {
        text.remove_prefix(1);
    }
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) {
        text.remove_suffix(1);
    }
    return text;
}

} // namespace

std::string_view UnitCode(IntervalUnit unit) {
    switch (unit) {
    case IntervalUnit::Months:
        return "m";
    case IntervalUnit::Years:
        return "yyyy";
    case IntervalUnit::Minutes:
        break;
    }
    return "n";
}

std::optional<IntervalUnit> UnitOfCode(std::string_view code) {
    const std::string lower = Lower(code);
    if (lower == "n") {
        return IntervalUnit::Minutes;
    }
    if (lower == "m") {
        return IntervalUnit::Months;
    }
    if (lower == "yyyy") {
        return IntervalUnit::Years;
    }
    return std::nullopt;
}

int32_t AddMonths(int32_t minutes, int64_t months) {
    const int64_t day_number = FloorDiv(minutes, kMinutesPerDay);
    const int64_t time_of_day = minutes - day_number * kMinutesPerDay;
    int year = 0;
    int month = 0;
    int day = 0;
    platform::DayNumberToCivil(day_number, year, month, day);
    // Far beyond the minute scale either way; stops the year arithmetic from overflowing first.
    if (months > 12'000'000 || months < -12'000'000) {
        platform::RaiseError(platform::error::kOverflow);
    }
    const int64_t month_index = int64_t{year} * 12 + (month - 1) + months;
    const auto target_year = static_cast<int>(FloorDiv(month_index, 12));
    const auto target_month = static_cast<int>(month_index - int64_t{target_year} * 12 + 1);
    const int target_day = std::min(day, platform::DaysInMonth(target_year, target_month));
    return ToMinuteCount(platform::CivilToDayNumber(target_year, target_month, target_day) * kMinutesPerDay +
                         time_of_day);
}

int32_t AddIntervals(int32_t start, const CalendarInterval& interval, int64_t steps) {
    const int64_t units = steps * interval.count;
    switch (interval.unit) {
    case IntervalUnit::Months:
        return AddMonths(start, units);
    case IntervalUnit::Years:
        return AddMonths(start, units * 12);
    case IntervalUnit::Minutes:
        break;
    }
    return ToMinuteCount(int64_t{start} + units);
}

int32_t TimeAfterInterval(int32_t minutes, const CalendarInterval& interval) {
    return AddIntervals(minutes, interval, 1);
}

int64_t IntervalsBetween(int32_t start, const CalendarInterval& interval, int32_t time) {
    const int64_t count = interval.count < 1 ? 1 : interval.count;
    if (!interval.IsCalendar()) {
        return FloorDiv(int64_t{time} - start, count);
    }
    // A first guess from the calendar months between the two days, then corrected by at most a step or two: the
    // clamping at month ends and the time of day can only move the answer by one.
    const auto month_of = [](int32_t minutes) {
        int year = 0;
        int month = 0;
        int day = 0;
        platform::DayNumberToCivil(FloorDiv(minutes, kMinutesPerDay), year, month, day);
        return int64_t{year} * 12 + month - 1;
    };
    const int64_t months_per_step = count * (interval.unit == IntervalUnit::Years ? 12 : 1);
    int64_t k = FloorDiv(month_of(time) - month_of(start), months_per_step);
    const auto at = [&](int64_t steps) { return int64_t{AddMonths(start, steps * months_per_step)}; };
    while (at(k) > time) {
        --k;
    }
    while (at(k + 1) <= time) {
        ++k;
    }
    return k;
}

std::optional<CalendarInterval> ParseIntervalText(std::string_view text) {
    text = Trimmed(text);
    size_t digits = 0;
    while (digits < text.size() && std::isdigit(static_cast<unsigned char>(text[digits]))) {
        ++digits;
    }
    int64_t count = 0;
    if (digits == 0 || digits > 10 || std::from_chars(text.data(), text.data() + digits, count).ec != std::errc()) {
        return std::nullopt;
    }
    const std::string unit = Lower(Trimmed(text.substr(digits)));
    int64_t minutes_per_unit = 0;
    IntervalUnit kind = IntervalUnit::Minutes;
    if (unit.empty() || unit == "min") {
        minutes_per_unit = 1;
    } else if (unit == "h") {
        minutes_per_unit = 60;
    } else if (unit == "d") {
        minutes_per_unit = kMinutesPerDay;
    } else if (unit == "mon") {
        kind = IntervalUnit::Months;
    } else if (unit == "y") {
        kind = IntervalUnit::Years;
    } else {
        return std::nullopt;
    }
    if (minutes_per_unit != 0) {
        count *= minutes_per_unit;
    }
    if (count < 1 || count > std::numeric_limits<int32_t>::max()) {
        return std::nullopt;
    }
    return CalendarInterval{static_cast<int32_t>(count), kind};
}

std::string IntervalToText(const CalendarInterval& interval) {
    const std::string count = std::to_string(interval.count);
    switch (interval.unit) {
    case IntervalUnit::Months:
        return count + "mon";
    case IntervalUnit::Years:
        return count + "y";
    case IntervalUnit::Minutes:
        break;
    }
    if (interval.count > 0 && interval.count % kMinutesPerDay == 0) {
        return std::to_string(interval.count / kMinutesPerDay) + "d";
    }
    if (interval.count > 0 && interval.count % 60 == 0) {
        return std::to_string(interval.count / 60) + "h";
    }
    return count + "min";
}

} // namespace chronova::modDateTime
