#pragma once

#include "platform/event.h"
#include "platform/ole_date.h"
#include "platform/ui/control.h"

#include <cstdint>

namespace chronova::platform::ui {

/// A headless month calendar: one selected day, shown in a grid of six weeks around its month. Setting the year
/// or the month keeps the day, moved back to the month's last day when the new month is shorter, as a user who
/// flips from 31 January to February expects.
class MonthCalendar : public Control {
public:
    /// The classic day-of-week numbers, for FirstDayOfWeek.
    static constexpr int32_t kSunday = 1;
    static constexpr int32_t kMonday = 2;
    static constexpr int32_t kSaturday = 7;
    static constexpr int32_t kGridRows = 6;
    static constexpr int32_t kGridColumns = 7;

    MonthCalendar() = default;
    MonthCalendar(const MonthCalendar&) = delete;
    MonthCalendar& operator=(const MonthCalendar&) = delete;

    int32_t Year() const noexcept { return year_; }
    int32_t Month() const noexcept { return month_; }
    int32_t Day() const noexcept { return day_; }
    //! Error 380 for a year outside 100..9999.
    void Year(int32_t year);
    //! Error 380 for a month outside 1..12.
    void Month(int32_t month);
    //! Error 380 for a day the month does not have.
    void Day(int32_t day);
    /// Selects a day; raises Change once when it really changes, also from code. Error 380 for a date that does
    /// not exist or lies outside the years 100..9999; the selection then stays.
    void SetDate(int32_t year, int32_t month, int32_t day);

    /// The selected day at midnight.
    Date Value() const { return Date::FromParts(year_, month_, day_); }
    //! Selects the day of a date; its time of day is ignored.
    void Value(Date value);

    int32_t FirstDayOfWeek() const noexcept { return first_day_of_week_; }
    //! The weekday the grid's first column shows (kSunday .. kSaturday); error 380 otherwise.
    void FirstDayOfWeek(int32_t weekday);

    /// The weekday of a date, kSunday .. kSaturday.
    static int32_t Weekday(Date date);
    /// The day a cell of the grid shows (row 0..5, column 0..6): the selected month's days, with the last days
    /// of the month before and the first of the month after filling the rest. Error 5 for a cell outside it.
    Date GridDate(int32_t row, int32_t column) const;

    /// The user picks a day: ignored while the calendar is disabled or hidden.
    void UserSelect(int32_t year, int32_t month, int32_t day);

    /// Raised after the selected day changed.
    Event<> Change;

private:
    int32_t year_ = 2000;
    int32_t month_ = 1;
    int32_t day_ = 1;
    int32_t first_day_of_week_ = kSunday;
};

} // namespace chronova::platform::ui
