#include "datetime/calendar_interval.h"

#include <gtest/gtest.h>

#include "datetime/label_format.h"
#include "datetime/mod_date_time.h"
#include "platform/automation_error.h"

namespace chronova::modDateTime {
namespace {

int32_t At(int16_t year, int16_t month, int16_t day, int16_t hour = 0, int16_t minute = 0) {
    return PartsToMinutes(year, month, day, hour, minute);
}

constexpr CalendarInterval kMonth{1, IntervalUnit::Months};
constexpr CalendarInterval kYear{1, IntervalUnit::Years};

TEST(CalendarIntervalTest, MonthsFromTheEndOfJanuaryAreHeldOnTheLastDay) {
    const int32_t jan31_2024 = At(2024, 1, 31, 6, 30);
    EXPECT_EQ(AddMonths(jan31_2024, 1), At(2024, 2, 29, 6, 30)) << "leap year";
    EXPECT_EQ(AddMonths(At(2025, 1, 31), 1), At(2025, 2, 28));
    EXPECT_EQ(AddMonths(jan31_2024, 2), At(2024, 3, 31, 6, 30)) << "counted from the start, not from February";
    EXPECT_EQ(AddMonths(jan31_2024, 3), At(2024, 4, 30, 6, 30));
    EXPECT_EQ(AddMonths(jan31_2024, 11), At(2024, 12, 31, 6, 30));
    EXPECT_EQ(AddMonths(jan31_2024, 13), At(2025, 2, 28, 6, 30)) << "across the year";
    EXPECT_EQ(AddMonths(At(2024, 3, 31), -1), At(2024, 2, 29)) << "backwards";
    EXPECT_EQ(AddMonths(At(2024, 1, 15), -13), At(2022, 12, 15));
    EXPECT_EQ(AddIntervals(At(2024, 2, 29), kYear, 1), At(2025, 2, 28)) << "29 February in a common year";
    EXPECT_EQ(AddIntervals(At(2024, 2, 29), kYear, 4), At(2028, 2, 29));
    EXPECT_EQ(AddIntervals(At(2024, 1, 31), {3, IntervalUnit::Months}, 1), At(2024, 4, 30));
    EXPECT_EQ(AddIntervals(At(2024, 1, 1), {90, IntervalUnit::Minutes}, 2), At(2024, 1, 1, 3, 0));
    EXPECT_EQ(TimeAfterInterval(At(2024, 1, 31), kMonth), At(2024, 2, 29));
}

TEST(CalendarIntervalTest, BeforeDayZeroTheTimeOfDayIsKept) {
    // Minute counts before 30 December 1899 count backwards; the month step must not flip the time of day.
    EXPECT_EQ(AddMonths(At(1899, 11, 30, 23, 30), 1), At(1899, 12, 30, 23, 30));
    EXPECT_EQ(AddMonths(At(1899, 12, 29, 12, 0), 1), At(1900, 1, 29, 12, 0));
}

TEST(CalendarIntervalTest, LeavingTheMinuteScaleRaisesOverflow) {
    try {
        AddMonths(At(2024, 1, 1), 12 * 5000);
        FAIL() << "no error";
    } catch (const platform::AutomationError& e) {
        EXPECT_EQ(e.Number(), platform::error::kOverflow);
    }
}

TEST(CalendarIntervalTest, IntervalsBetweenFindTheStepAtOrBeforeATime) {
    const int32_t start = At(2024, 1, 31);
    EXPECT_EQ(IntervalsBetween(start, kMonth, start), 0);
    EXPECT_EQ(IntervalsBetween(start, kMonth, At(2024, 2, 28, 23, 59)), 0) << "a minute before the step";
    EXPECT_EQ(IntervalsBetween(start, kMonth, At(2024, 2, 29)), 1);
    EXPECT_EQ(IntervalsBetween(start, kMonth, At(2024, 3, 30)), 1) << "the 30th is before the 31st";
    EXPECT_EQ(IntervalsBetween(start, kMonth, At(2024, 3, 31)), 2);
    EXPECT_EQ(IntervalsBetween(start, kMonth, At(2023, 12, 31)), -1);
    EXPECT_EQ(IntervalsBetween(start, kMonth, At(2023, 12, 30)), -2);
    EXPECT_EQ(IntervalsBetween(At(2000, 1, 1), {5, IntervalUnit::Years}, At(2020, 12, 31)), 4);
    EXPECT_EQ(IntervalsBetween(At(2000, 1, 1), {60, IntervalUnit::Minutes}, At(2000, 1, 1, 2, 59)), 2);
    EXPECT_EQ(IntervalsBetween(At(2000, 1, 1), {60, IntervalUnit::Minutes}, At(1999, 12, 31, 23, 30)), -1);
}

TEST(CalendarIntervalTest, IntervalTextsAndTheirErrors) {
    const std::pair<const char*, CalendarInterval> good[] = {
        {"15", {15, IntervalUnit::Minutes}},  {"15min", {15, IntervalUnit::Minutes}},
        {"2h", {120, IntervalUnit::Minutes}}, {"1d", {1440, IntervalUnit::Minutes}},
        {"1mon", {1, IntervalUnit::Months}},  {"3 MON", {3, IntervalUnit::Months}},
        {" 1y ", {1, IntervalUnit::Years}},   {"10y", {10, IntervalUnit::Years}},
    };
    for (const auto& [text, interval] : good) {
        const auto parsed = ParseIntervalText(text);
        ASSERT_TRUE(parsed) << text;
        EXPECT_EQ(*parsed, interval) << text;
        EXPECT_EQ(ParseIntervalText(IntervalToText(*parsed)), parsed) << "written back: " << IntervalToText(*parsed);
    }
    for (const char* bad : {"", "0", "0mon", "-5", "1.5h", "1 week", "mon", "1m", "5y1", "99999999999", "3000000d"}) {
        EXPECT_FALSE(ParseIntervalText(bad)) << bad;
    }
    EXPECT_EQ(UnitOfCode("YYYY"), IntervalUnit::Years);
    EXPECT_EQ(UnitOfCode("m"), IntervalUnit::Months);
    EXPECT_FALSE(UnitOfCode("d")) << "days are minutes for the slider";
    EXPECT_EQ(UnitCode(IntervalUnit::Years), "yyyy");
}

TEST(LabelFormatTest, ConversionsAndDefaultsThatFollowTheStep) {
    const int32_t t = At(2005, 5, 7, 14, 5);
    EXPECT_EQ(FormatMinutes(t, "%Y-%m-%d %H:%M:%S"), "2005-05-07 14:05:00");
    EXPECT_EQ(FormatMinutes(t, "%d %b %y, %I:%M %p"), "07 May 05, 02:05 PM");
    EXPECT_EQ(FormatMinutes(At(2005, 12, 31), "%B %Y day %j"), "December 2005 day 365");
    EXPECT_EQ(FormatMinutes(t, "100%% %q"), "100% %q") << "an unknown conversion is copied";
    EXPECT_EQ(FormatMinutes(At(2005, 1, 1), std::string(DefaultLabelFormat(kYear))), "2005");
    EXPECT_EQ(FormatMinutes(t, std::string(DefaultLabelFormat(kMonth))), "May 2005");
    EXPECT_EQ(DefaultLabelFormat({60, IntervalUnit::Minutes}), "") << "minute steps keep the classic labels";
    EXPECT_TRUE(IsLabelFormat("%Y week"));
    EXPECT_FALSE(IsLabelFormat("%Q"));
    EXPECT_FALSE(IsLabelFormat("50%"));
}

} // namespace
} // namespace chronova::modDateTime
