#include "gis/ogr/value_conversion.h"

#include <gtest/gtest.h>

#include "support/error_number.h"

namespace chronova::gis {
namespace {

constexpr int64_t kDay = 86'400'000;

TEST(ValueConversionTest, MillisecondsBecomeOleSerials) {
    const std::pair<int64_t, double> cases[] = {
        {0, 25569.0},                                             // 1 January 1970
        {kDay / 4, 25569.25},                                     // 06:00
        {-25569 * kDay, 0.0},                                     // 30 December 1899
        {-25570 * kDay + kDay / 4, -1.25},                        // 29 December 1899 06:00: negative day, positive time
        {13939 * kDay + 23'415'500, 39508.0 + 23'415.5 / 86'400}, // 1 March 2008 06:30:15.5
    };
    for (const auto& [milliseconds, serial] : cases) {
        EXPECT_DOUBLE_EQ(OleDateFromUnixMilliseconds(milliseconds), serial) << milliseconds;
    }
}

TEST(ValueConversionTest, PartsBecomeMillisecondsAndTimesOfDayText) {
    EXPECT_EQ(UnixMillisecondsFromParts(2008, 3, 1, 6, 30, 15.5F), 1'204'353'015'500);
    EXPECT_EQ(UnixMillisecondsFromParts(1969, 12, 31, 23, 59, 59.0F), -1000);
    // Seconds that round up to the next whole second carry into it rather than dropping it.
    EXPECT_EQ(UnixMillisecondsFromParts(2008, 3, 1, 6, 0, 59.9996F), 1'204'351'260'000);
    EXPECT_EQ(TimeOfDayText(0), "00:00:00");
    EXPECT_EQ(TimeOfDayText(kDay - 500), "23:59:59.500");
    EXPECT_EQ(TimeOfDayText(-1000), "23:59:59"); // the time of day of a moment before 1970
}

TEST(ValueConversionTest, WholeNumbersSuitTheColumn) {
    Column small(FieldType::SmallInteger), integer(FieldType::Integer), real(FieldType::Double);
    Column single(FieldType::Single);
    AppendWholeNumber(small, 70000); // keeps the low 16 bits like a 16-bit store
    AppendWholeNumber(real, 5'000'000'000);
    AppendRealNumber(single, 1.1);
    EXPECT_EQ(small.Integer(0), 4464);
    EXPECT_EQ(real.Real(0), 5e9);
    EXPECT_EQ(single.Real(0), static_cast<double>(1.1F));
    EXPECT_RAISES(AppendWholeNumber(integer, int64_t{1} << 31), 6);
    EXPECT_EQ(integer.Size(), 0u);
}

} // namespace
} // namespace chronova::gis
