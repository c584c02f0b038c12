#include <gtest/gtest.h>

#include <vector>

#include "datetime/calendar_interval.h"
#include "datetime/mod_date_time.h"
#include "records/time_codes.h"
#include "slider/time_axis.h"

namespace chronova {
namespace {

using modDateTime::CalendarInterval;
using modDateTime::IntervalUnit;

int32_t At(int16_t year, int16_t month, int16_t day, int16_t hour = 0) {
    return modDateTime::PartsToMinutes(year, month, day, hour, 0);
}

TEST(CalendarAxisTest, AMonthlyAxisOfTwelvePositionsRoundTrips) {
    const int32_t start = At(2024, 1, 31, 12);
    const CalendarInterval month{1, IntervalUnit::Months};
    const TimeAxis axis(start, month, kDisplayInterval, {});
    const int16_t last_days[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const int32_t finish = At(2024, 12, 31, 12);
    EXPECT_EQ(TimeAxis::CalendarStepCount(start, finish, month), 11) << "positions 0..11";
    for (int16_t k = 0; k < 12; ++k) {
        const int32_t time = At(2024, static_cast<int16_t>(k + 1), last_days[k], 12);
        EXPECT_EQ(axis.TimeAt(k), time) << "position " << k;
        EXPECT_EQ(axis.PositionOf(time), k) << "back from position " << k;
        // A time between positions belongs to the position at or before it.
        EXPECT_EQ(axis.PositionOf(time + 1), k);
        EXPECT_EQ(axis.PositionOf(time - 1), k - 1);
    }
    EXPECT_EQ(axis.ClampedPositionOf(At(2030, 1, 1), 11), 11);
    EXPECT_EQ(axis.ClampedPositionOf(At(2000, 1, 1), 11), 0);
}

TEST(CalendarAxisTest, YearsAndMultiMonthSteps) {
    const TimeAxis years(At(2000, 1, 1), CalendarInterval{1, IntervalUnit::Years}, kDisplayInterval, {});
    EXPECT_EQ(years.TimeAt(20), At(2020, 1, 1));
    EXPECT_EQ(years.PositionOf(At(2005, 7, 1)), 5);
    EXPECT_EQ(TimeAxis::CalendarStepCount(At(2000, 1, 1), At(2020, 1, 1), {1, IntervalUnit::Years}), 20);
    EXPECT_EQ(TimeAxis::CalendarStepCount(At(2000, 1, 1), At(2000, 3, 1), {1, IntervalUnit::Years}), 1)
        << "a range shorter than one step still has a step";

    const TimeAxis quarters(At(2024, 1, 31), CalendarInterval{3, IntervalUnit::Months}, kDisplayInterval, {});
    EXPECT_EQ(quarters.TimeAt(1), At(2024, 4, 30));
    EXPECT_EQ(quarters.TimeAt(2), At(2024, 7, 31));
    EXPECT_EQ(quarters.PositionOf(At(2024, 7, 30)), 1);
}

TEST(CalendarAxisTest, AMinuteIntervalKeepsTheClassicArithmetic) {
    const int32_t start = At(2008, 3, 1);
    const TimeAxis classic(start, 60, kDisplayInterval, {});
    const TimeAxis same(start, CalendarInterval{60, IntervalUnit::Minutes}, kDisplayInterval, {});
    for (const int32_t time : {start, start + 59, start + 60, start + 1000, start - 30, start - 90}) {
        EXPECT_EQ(same.PositionOf(time), classic.PositionOf(time)) << time - start;
    }
    EXPECT_EQ(same.TimeAt(7), classic.TimeAt(7));
    EXPECT_EQ(TimeAxis::IntervalText(CalendarInterval{90, IntervalUnit::Minutes}), TimeAxis::IntervalText(90));
    EXPECT_EQ(TimeAxis::IntervalText(CalendarInterval{1, IntervalUnit::Months}), " Interval: 1 month");
    EXPECT_EQ(TimeAxis::IntervalText(CalendarInterval{5, IntervalUnit::Years}), " Interval: 5 years");
}

TEST(CalendarAxisTest, UniquePointsIgnoreTheCalendarUnit) {
    const std::vector<platform::Date> steps = {modDateTime::MinutesToDate(At(2001, 1, 1)),
                                               modDateTime::MinutesToDate(At(2003, 1, 1))};
    const TimeAxis axis(At(2001, 1, 1), CalendarInterval{1, IntervalUnit::Years}, kDisplayUniquePoints, steps);
    EXPECT_EQ(axis.TimeAt(1), At(2003, 1, 1));
    EXPECT_EQ(axis.PositionOf(At(2003, 1, 1)), 1);
}

TEST(CalendarAxisTest, TooManyCalendarStepsWidenTheCount) {
    const CalendarInterval month{1, IntervalUnit::Months};
    const FittedInterval fits = TimeAxis::FitCalendarInterval(At(2000, 1, 1), At(2100, 1, 1), month);
    EXPECT_EQ(fits.interval, 1);
    EXPECT_TRUE(fits.status.empty());
    const FittedInterval widened = TimeAxis::FitCalendarInterval(At(1000, 1, 1), At(4000, 1, 1), month);
    EXPECT_EQ(widened.status, TimeAxis::kTooManySteps);
    EXPECT_LE(modDateTime::IntervalsBetween(At(1000, 1, 1), {widened.interval, IntervalUnit::Months}, At(4000, 1, 1)) +
                  1,
              TimeAxis::kMaxSteps);
}

} // namespace
} // namespace chronova
