// The month calendar: the selected day across month and year changes, its notifications, and the six-week grid
// that the first day of the week lays out.
#include "platform/ui/month_calendar.h"

#include <gtest/gtest.h>

#include "support/error_number.h"

namespace chronova::platform::ui {
namespace {

using testing::ErrorNumberOf;

Date Day(int year, int month, int day) {
    return Date::FromParts(year, month, day);
}

TEST(MonthCalendarTest, ChangingMonthOrYearKeepsTheDayWithinTheMonth) {
    MonthCalendar calendar;
    calendar.SetDate(2008, 1, 31);
    calendar.Month(2);
    EXPECT_EQ(calendar.Value(), Day(2008, 2, 29)) << "leap year";
    calendar.Year(2009);
    EXPECT_EQ(calendar.Value(), Day(2009, 2, 28));
    calendar.Month(3);
    EXPECT_EQ(calendar.Value(), Day(2009, 3, 28)) << "a day moved back stays where it was moved";
}

TEST(MonthCalendarTest, ChangeOnlyOnARealChangeAndInvalidDatesLeaveTheSelection) {
    MonthCalendar calendar;
    int changes = 0;
    calendar.Change.Connect([&] { ++changes; });
    calendar.SetDate(2008, 3, 15);
    calendar.Value(Date::FromParts(2008, 3, 15, 18, 30));
    EXPECT_EQ(changes, 1) << "the time of day is not part of the selection";

    EXPECT_EQ(ErrorNumberOf([&] { calendar.SetDate(2009, 2, 29); }), 380);
    EXPECT_EQ(ErrorNumberOf([&] { calendar.Year(99); }), 380);
    EXPECT_EQ(ErrorNumberOf([&] { calendar.Month(13); }), 380);
    EXPECT_EQ(ErrorNumberOf([&] { calendar.FirstDayOfWeek(8); }), 380);
    calendar.Enabled(false);
    calendar.UserSelect(2008, 6, 1);
    EXPECT_EQ(calendar.Value(), Day(2008, 3, 15));
    EXPECT_EQ(changes, 1);
}

TEST(MonthCalendarTest, WeekdaysOnBothSidesOfDayZero) {
    EXPECT_EQ(MonthCalendar::Weekday(Day(2008, 3, 1)), MonthCalendar::kSaturday);
    EXPECT_EQ(MonthCalendar::Weekday(Date::FromParts(2008, 3, 2, 23, 59)), MonthCalendar::kSunday);
    EXPECT_EQ(MonthCalendar::Weekday(Date::FromParts(1899, 12, 29, 6, 0)), 6) << "Friday, a negative serial";
    EXPECT_EQ(MonthCalendar::Weekday(Day(1776, 7, 4)), 5) << "Thursday";
}

TEST(MonthCalendarTest, GridStartsOnTheFirstDayOfTheWeek) {
    MonthCalendar calendar;
    calendar.SetDate(2008, 3, 20); // 1 March 2008 is a Saturday
    EXPECT_EQ(calendar.GridDate(0, 0), Day(2008, 2, 24));
    EXPECT_EQ(calendar.GridDate(0, 6), Day(2008, 3, 1));
    EXPECT_EQ(calendar.GridDate(5, 6), Day(2008, 4, 5));

    calendar.FirstDayOfWeek(MonthCalendar::kMonday);
    EXPECT_EQ(calendar.GridDate(0, 0), Day(2008, 2, 25));
    EXPECT_EQ(calendar.GridDate(1, 0), Day(2008, 3, 3));
    calendar.SetDate(2008, 9, 10); // 1 September 2008 is a Monday
    EXPECT_EQ(calendar.GridDate(0, 0), Day(2008, 9, 1)) << "no leading days";
    EXPECT_EQ(ErrorNumberOf([&] { calendar.GridDate(6, 0); }), 5);
}

} // namespace
} // namespace chronova::platform::ui
