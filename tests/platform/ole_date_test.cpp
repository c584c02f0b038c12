#include "platform/ole_date.h"

#include <gtest/gtest.h>

#include "platform/automation_error.h"
#include "support/error_number.h"

using chronova::platform::Date;
using chronova::platform::DateParts;

namespace {

DateParts Parts(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) {
    return {y, mo, d, h, mi, s};
}

TEST(OleDateTest, SerialsOfKnownDates) {
    EXPECT_DOUBLE_EQ(Date::FromParts(1899, 12, 30).Serial(), 0.0);
    EXPECT_DOUBLE_EQ(Date::FromParts(1900, 1, 1).Serial(), 2.0);
    EXPECT_DOUBLE_EQ(Date::FromParts(2008, 3, 1, 6).Serial(), 39508.25);
    // Before day zero the day is negative and the time fraction positive.
    EXPECT_DOUBLE_EQ(Date::FromParts(1899, 12, 29, 6).Serial(), -1.25);
    EXPECT_DOUBLE_EQ(Date::FromParts(1899, 12, 29, 23, 30).Serial(), -1.0 - 23.5 / 24);
}

TEST(OleDateTest, PartsRoundTripAcrossTheWholeRange) {
    for (const DateParts& p : {Parts(100, 1, 1), Parts(1899, 12, 29, 23, 59, 59), Parts(1899, 12, 30, 12),
                               Parts(1899, 12, 31, 6), Parts(2000, 2, 29, 13, 7, 5), Parts(9999, 12, 31, 23, 59, 59)}) {
        EXPECT_EQ(Date::FromParts(p.year, p.month, p.day, p.hour, p.minute, p.second).Parts(), p);
    }
}

TEST(OleDateTest, NegativeSerialsOrderByTheMomentTheyStandFor) {
    const Date early = Date::FromParts(1899, 12, 29, 6);
    const Date late = Date::FromParts(1899, 12, 29, 18);
    EXPECT_LT(late.Serial(), early.Serial()); // raw serials are in the "wrong" order
    EXPECT_LT(early, late);
    EXPECT_EQ(Date::FromLinear(late.Linear()), late);
}

TEST(OleDateTest, PartsRoundToTheNearestSecond) {
    const Date almost_midnight(39508.0 + (86400 - 0.2) / 86400);
    EXPECT_EQ(almost_midnight.Parts(), Parts(2008, 3, 2));
}

TEST(OleDateTest, InvalidPartsRaiseError5) {
    for (const DateParts& p : {Parts(2007, 2, 29), Parts(99, 1, 1), Parts(10000, 1, 1), Parts(2008, 13, 1),
                               Parts(2008, 1, 1, 24), Parts(2008, 1, 1, 0, 60)}) {
        EXPECT_RAISES(Date::FromParts(p.year, p.month, p.day, p.hour, p.minute, p.second), 5)
            << p.year << "-" << p.month << "-" << p.day;
    }
}

} // namespace
