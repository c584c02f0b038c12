// Sunrise, sunset and daylight in Universal Time: equinox and solstice cases, polar day and night, almanac times.
#include "slider/mod_sunup.h"

#include <gtest/gtest.h>

namespace chronova::modSunup {
namespace {

using platform::Date;

TEST(SunTimesTest, RiseSetAndStatusAtPlacesAndSeasons) {
    struct Case {
        const char* place;
        int month;
        int day;
        float longitude;
        float latitude;
        int32_t status;
        double rise; // hours UT; sunsets after midnight UT are above 24
        double set;
        double tolerance;
    };
    constexpr double kTwoMinutes = 2.0 / 60;
    const Case cases[] = {
        {"equator, equinox", 3, 21, 0, 0, status::kRiseAndSet, 6.07, 18.18, 0.005},
        {"40 N 120 W, midsummer", 6, 21, -120, 40, status::kRiseAndSet, 12.53, 27.55, 0.005},
        {"80 N, midsummer", 6, 21, 0, 80, status::kAlwaysUp, 0, 0, 0},
        {"80 N, midwinter", 12, 21, 0, 80, status::kAlwaysDown, 0, 0, 0},
        {"80 S, June", 6, 21, 0, -80, status::kAlwaysDown, 0, 0, 0},
        // Almanac times rounded to the minute; the method is good to a minute or two.
        {"London, midsummer", 6, 21, -0.1275F, 51.5072F, status::kRiseAndSet, 3 + 43 / 60.0, 20 + 21 / 60.0,
         kTwoMinutes},
        {"New York, midwinter", 12, 21, -74.006F, 40.7128F, status::kRiseAndSet, 12 + 17 / 60.0, 21 + 32 / 60.0,
         kTwoMinutes},
        {"Sydney, midwinter", 6, 21, 151.2093F, -33.8688F, status::kRiseAndSet, 21.0, 30 + 54 / 60.0, kTwoMinutes},
    };
    for (const Case& c : cases) {
        float rise = -9;
        float set = -9;
        // The time of day of the date asked for does not matter.
        EXPECT_EQ(SunTimes(Date::FromParts(2008, c.month, c.day, 23, 59), c.longitude, c.latitude, rise, set), c.status)
            << c.place;
        EXPECT_NEAR(rise, c.rise, c.tolerance) << c.place;
        EXPECT_NEAR(set, c.set, c.tolerance) << c.place;
    }
}

TEST(IsDaytimeTest, RiseAndSetDecideTheTimeOfDayOtherStatusesDecideAlone) {
    const auto day = [](int hour, int minute, float rise, float set, int32_t status) {
        return IsDaytime(Date::FromParts(2008, 6, 21, hour, minute), rise, set, status);
    };
    // Sunrise 6:04, sunset 18:11: the events themselves are night.
    EXPECT_FALSE(day(6, 0, 6.07F, 18.18F, status::kRiseAndSet));
    EXPECT_TRUE(day(6, 5, 6.07F, 18.18F, status::kRiseAndSet));
    EXPECT_TRUE(day(18, 10, 6.07F, 18.18F, status::kRiseAndSet));
    EXPECT_FALSE(day(18, 11, 6.07F, 18.18F, status::kRiseAndSet));
    // A sunset after midnight UT keeps the early hours before set - 24 in the evening's daylight.
    EXPECT_TRUE(day(2, 0, 12.53F, 27.55F, status::kRiseAndSet));
    EXPECT_FALSE(day(4, 0, 12.53F, 27.55F, status::kRiseAndSet));
    EXPECT_TRUE(day(13, 0, 12.53F, 27.55F, status::kRiseAndSet));
    EXPECT_TRUE(day(0, 0, 0, 0, status::kRiseOnly));
    EXPECT_TRUE(day(0, 0, 0, 0, status::kAlwaysUp));
    for (int32_t night : {status::kSetOnly, status::kAlwaysDown, status::kOnHorizon, 0}) {
        EXPECT_FALSE(day(12, 0, 6, 18, night)) << night;
    }
}

} // namespace
} // namespace chronova::modSunup
