// Reading ISO texts with their offsets, and turning wall-clock times into instants and back in fixed and named
// zones, daylight saving included.
#include <gtest/gtest.h>

#include "platform/date_text.h"
#include "platform/iso_date.h"
#include "platform/locale.h"
#include "platform/time_zone.h"

namespace chronova::platform {
namespace {

Date At(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
    return Date::FromParts(year, month, day, hour, minute, second);
}

TEST(IsoDateTest, ReadsDatesTimesFractionsAndOffsets) {
    const std::pair<const char*, ZonedDate> cases[] = {
        {"2024-05-01", {At(2024, 5, 1), std::nullopt}},
        {"2024-05-01T06:02", {At(2024, 5, 1, 6, 2), std::nullopt}},
        {"2024-05-01 06:02:15", {At(2024, 5, 1, 6, 2, 15), std::nullopt}},
        {"2024-05-01T06:02:15.750Z", {At(2024, 5, 1, 6, 2, 15), 0}},
        {"2024-05-01t06:02:15z", {At(2024, 5, 1, 6, 2, 15), 0}},
        {"2024-05-01T06:02:15+02:00", {At(2024, 5, 1, 6, 2, 15), 120}},
        {"2024-05-01T06:02:15-0530", {At(2024, 5, 1, 6, 2, 15), -330}},
        {"2024-05-01T06:02+01", {At(2024, 5, 1, 6, 2), 60}},
        {" 2024-02-29T23:59:59Z ", {At(2024, 2, 29, 23, 59, 59), 0}},
    };
    for (const auto& [text, expected] : cases) {
        const auto read = TryParseIsoDate(text);
        ASSERT_TRUE(read) << text;
        EXPECT_EQ(*read, expected) << text;
    }
    for (const char* bad : {"2024-5-1", "2023-02-29", "2024-05-01T24:00", "2024-05-01T06:02+19:00",
                            "2024-05-01T06:02:15.", "2024-05-01X06:02", "2024-05-01T06:02 PM", "20240501", ""}) {
        EXPECT_FALSE(TryParseIsoDate(bad)) << bad;
    }
}

TEST(IsoDateTest, TheGeneralReaderKeepsTheWallClockAndTheZonedReaderTheOffset) {
    ScopedLocale us("en-US");
    EXPECT_EQ(TryParseDate("2024-05-01T06:02:15+02:00"), At(2024, 5, 1, 6, 2, 15))
        << "an offset used to make the text unreadable";
    const auto zoned = TryParseZonedDate("2024-05-01T06:02:15+02:00");
    ASSERT_TRUE(zoned);
    EXPECT_EQ(zoned->offset_minutes, 120);
    const auto local_form = TryParseZonedDate("5/1/2024 6:02:15 AM");
    ASSERT_TRUE(local_form);
    EXPECT_EQ(local_form->wall, At(2024, 5, 1, 6, 2, 15));
    EXPECT_FALSE(local_form->offset_minutes);
}

TEST(TimeZoneTest, NamesAndOffsetsAreReadOrRefused) {
    const std::pair<const char*, const char*> names[] = {{"UTC", "UTC"},      {"z", "UTC"},
                                                         {"gmt", "UTC"},      {"+02:00", "+02:00"},
                                                         {"-0530", "-05:30"}, {" Europe/Berlin ", "Europe/Berlin"}};
    for (const auto& [text, name] : names) {
        const auto zone = TimeZone::Parse(text);
        ASSERT_TRUE(zone) << text;
        EXPECT_EQ(zone->Name(), name);
    }
    for (const char* bad : {"", "Mars/Olympus", "+25:00", "+2", "CEST-ish"}) {
        EXPECT_FALSE(TimeZone::Parse(bad)) << bad;
    }
}

TEST(TimeZoneTest, NamedZonesFollowDaylightSavingBothWays) {
    const TimeZone berlin = *TimeZone::Parse("Europe/Berlin");
    EXPECT_EQ(berlin.ToUtc(At(2024, 1, 15, 12)), At(2024, 1, 15, 11)) << "winter: UTC+1";
    EXPECT_EQ(berlin.ToUtc(At(2024, 7, 15, 12)), At(2024, 7, 15, 10)) << "summer: UTC+2";
    EXPECT_EQ(berlin.FromUtc(At(2024, 7, 15, 10)), At(2024, 7, 15, 12));
    EXPECT_EQ(berlin.Abbreviation(At(2024, 7, 15, 10)), "CEST");
    EXPECT_EQ(berlin.Abbreviation(At(2024, 1, 15, 10)), "CET");
    // 2:30 on 31 March 2024 never happened in Berlin; it is read with the offset before the change.
    EXPECT_EQ(berlin.ToUtc(At(2024, 3, 31, 2, 30)), At(2024, 3, 31, 1, 30));
    const TimeZone minus = *TimeZone::Parse("-05:30");
    EXPECT_EQ(minus.ToUtc(At(2024, 1, 1, 0, 0)), At(2024, 1, 1, 5, 30));
    EXPECT_EQ(minus.FromUtc(At(2024, 1, 1, 5, 30)), At(2024, 1, 1));
}

TEST(TimeReadingTest, OffsetsAndLayerZonesMeetInTheDisplayZone) {
    TimeReading as_stored;
    EXPECT_TRUE(as_stored.IsIdentity());
    EXPECT_EQ(as_stored.Show(At(2024, 5, 1, 6), 120), At(2024, 5, 1, 6)) << "no display zone: values as stored";

    TimeReading utc{std::nullopt, TimeZone::Utc()};
    EXPECT_EQ(utc.Show(At(2024, 5, 1, 8), 120), At(2024, 5, 1, 6)) << "08:00+02:00 is 06:00 UTC";
    EXPECT_EQ(utc.Show(At(2024, 5, 1, 6), std::nullopt), At(2024, 5, 1, 6)) << "naive values are display time";

    TimeReading berlin_logger{TimeZone::Parse("Europe/Berlin"), TimeZone::Utc()};
    EXPECT_EQ(berlin_logger.Show(At(2024, 5, 1, 8), std::nullopt), At(2024, 5, 1, 6));
    EXPECT_EQ(berlin_logger.Show(At(2024, 5, 1, 6), 0), At(2024, 5, 1, 6)) << "an offset wins over the zone";
    EXPECT_EQ(berlin_logger.Show(At(2024, 5, 1, 8), std::nullopt), utc.Show(At(2024, 5, 1, 8), 120))
        << "two loggers in different zones agree";
}

} // namespace
} // namespace chronova::platform
