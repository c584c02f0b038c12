#include "platform/ui/month_calendar.h"

#include "platform/automation_error.h"

#include <algorithm>
#include <cmath>

namespace chronova::platform::ui {
namespace {

constexpr int32_t kInvalidPropertyValue = 380;

[[noreturn]] void RaiseInvalidValue() {
    RaiseError(kInvalidPropertyValue, "Invalid property value");
}

} // namespace

void MonthCalendar::Year(int32_t year) {
    if (year < Date::kMinYear || year > Date::kMaxYear) {
        RaiseInvalidValue();
    }
    SetDate(year, month_, std::min(day_, DaysInMonth(year, month_)));
}

void MonthCalendar::Month(int32_t month) {
    if (month < 1 || month > 12) {
        RaiseInvalidValue();
    }
    SetDate(year_, month, std::min(day_, DaysInMonth(year_, month)));
}

void MonthCalendar::Day(int32_t day) {
    SetDate(year_, month_, day);
}

void MonthCalendar::SetDate(int32_t year, int32_t month, int32_t day) {
    if (year < Date::kMinYear || year > Date::kMaxYear || month < 1 || month > 12 || day < 1 ||
        day > DaysInMonth(year, month)) {
        RaiseInvalidValue();
    }
    if (year == year_ && month == month_ && day == day_) {
        return;
    }
    year_ = year;
    month_ = month;
    day_ = day;
    Changed.Fire();
    Change.Fire();
}

void MonthCalendar::Value(Date value) {
    const DateParts parts = value.Parts();
    SetDate(parts.year, parts.month, parts.day);
}

void MonthCalendar::FirstDayOfWeek(int32_t weekday) {
    if (weekday < kSunday || weekday > kSaturday) {
        RaiseInvalidValue();
    }
    if (weekday != first_day_of_week_) {
        first_day_of_week_ = weekday;
        Changed.Fire();
    }
}

int32_t MonthCalendar::Weekday(Date date) {
    // Day 0, 30 December 1899, was a Saturday.
    const auto day_number = static_cast<int64_t>(std::floor(date.Linear()));
    const int64_t from_sunday = ((day_number + 6) % 7 + 7) % 7;
    return static_cast<int32_t>(from_sunday) + kSunday;
}

Date MonthCalendar::GridDate(int32_t row, int32_t column) const {
    if (row < 0 || row >= kGridRows || column < 0 || column >= kGridColumns) {
        RaiseError(error::kInvalidProcedureCall);
    }
    const int64_t first = CivilToDayNumber(year_, month_, 1);
    const int32_t leading = (Weekday(Date(static_cast<double>(first))) - first_day_of_week_ + 7) % 7;
    const int64_t day_number = first - leading + int64_t{row} * kGridColumns + column;
    return Date(static_cast<double>(day_number));
}

void MonthCalendar::UserSelect(int32_t year, int32_t month, int32_t day) {
    if (Enabled() && Visible()) {
        SetDate(year, month, day);
    }
}

} // namespace chronova::platform::ui
