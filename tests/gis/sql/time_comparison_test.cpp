// Text and date fields compared with dates are compared as times: ISO texts with mixed offsets order by the
// instant they name once a display zone is set, windows are one range of the time order, and texts that read
// as no time match nothing.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "gis/data/time_values.h"
#include "gis/sql/where_clause.h"
#include "platform/locale.h"

namespace chronova::gis {
namespace {

class TimeComparisonTest : public ::testing::Test {
protected:
    void SetUp() override {
        table_ = std::make_shared<ColumnTable>("fixes");
        Column& texts = table_->AddField({"TS", "", FieldType::String});
        Column& dates = table_->AddField({"DT", "", FieldType::Date});
        // Rows 0..5: the same morning written by loggers in three zones and two forms.
        const char* kTexts[] = {"2024-05-01T08:00:00+02:00", // 06:00 UTC
                                "2024-05-01T06:00:30Z",      // 06:00:30 UTC
                                "2024-05-01T01:01:00-05:00", // 06:01 UTC
                                "5/1/2024 6:02:00 AM",       // naive
                                "2024-05-01 06:03:59.999",   // naive, fraction dropped
                                "not a time"};
        for (const char* text : kTexts) {
            texts.AppendText(text);
        }
        const platform::Date wall = platform::Date::FromParts(2024, 5, 1, 8, 0, 0);
        for (int row = 0; row < 6; ++row) {
            // 08:00, 08:01, ... written in Berlin summer time (+02:00) on every other row.
            const double value = wall.Serial() + row / 1440.0;
            row % 2 == 0 ? dates.AppendZonedReal(value, 120) : dates.AppendReal(value);
        }
    }

    RowIds Select(const std::string& clause, const platform::TimeReading& reading = {}) const {
        return WhereClause::Parse(clause).Select(*table_, reading);
    }

    platform::ScopedLocale us_{"en-US"};
    std::shared_ptr<ColumnTable> table_;
    const platform::TimeReading utc_{std::nullopt, platform::TimeZone::Utc()};
};

TEST_F(TimeComparisonTest, TextsAsStoredCompareByTheirWallClock) {
    EXPECT_EQ(Select("TS = #5/1/2024 8:00:00 AM#"), (RowIds{0}));
    EXPECT_EQ(Select("TS >= #5/1/2024 6:00:00 AM# AND TS < #5/1/2024 6:03:00 AM#"), (RowIds{1, 3}));
    EXPECT_EQ(Select("TS <= #5/1/2024 1:01:00 AM#"), (RowIds{2}));
}

TEST_F(TimeComparisonTest, OffsetsMeetInTheDisplayZone) {
    EXPECT_EQ(Select("TS >= #5/1/2024 6:00:00 AM# AND TS < #5/1/2024 6:01:00 AM#", utc_), (RowIds{0, 1}));
    EXPECT_EQ(Select("TS = #5/1/2024 6:01:00 AM#", utc_), (RowIds{2}));
    EXPECT_EQ(Select("TS < #5/1/2024 6:03:00 AM#", utc_), (RowIds{0, 1, 2, 3}));
    EXPECT_EQ(Select("TS BETWEEN #5/1/2024 6:03:00 AM# AND #5/1/2024 6:03:59 AM#", utc_), (RowIds{4}));
    EXPECT_TRUE(Select("TS <> #1/1/2000#", utc_).size() == 5) << "the text that is no time matches nothing";

    const platform::TimeReading new_york{platform::TimeZone::Parse("America/New_York"), platform::TimeZone::Utc()};
    EXPECT_EQ(Select("TS = #5/1/2024 10:02:00 AM#", new_york), (RowIds{3})) << "naive texts read in the layer's zone";
}

TEST_F(TimeComparisonTest, ZonedDatesConvertOnlyWithADisplayZone) {
    EXPECT_EQ(Select("DT = #5/1/2024 8:00:00 AM#"), (RowIds{0})) << "as stored";
    EXPECT_EQ(Select("DT = #5/1/2024 6:00:00 AM#", utc_), (RowIds{0}));
    EXPECT_EQ(Select("DT >= #5/1/2024 8:00:00 AM#", utc_), (RowIds{1, 3, 5})) << "naive rows stay display time";
    const TimeValues& times = table_->TimesOf(1, utc_);
    EXPECT_EQ(times.Order().front(), 0u);
    EXPECT_EQ(times.Order().size(), 6u);
}

TEST_F(TimeComparisonTest, TimesAreOrderedByInstantForRanges) {
    const TimeValues& times = table_->TimesOf(0, utc_);
    EXPECT_EQ(times.Order(), (std::vector<uint32_t>{0, 1, 2, 3, 4})) << "row 5 reads as no time";
    const TimeValues::Bound from{platform::Date::FromParts(2024, 5, 1, 6, 0, 30).Serial(), true};
    const TimeValues::Bound to{platform::Date::FromParts(2024, 5, 1, 6, 2, 0).Serial(), false};
    EXPECT_EQ(times.Range(&from, &to), (std::pair<size_t, size_t>{1, 3}));
    EXPECT_EQ(&table_->TimesOf(0, utc_), &times) << "kept for the same reading";
    EXPECT_NE(&table_->TimesOf(0, {}), &times);
}

} // namespace
} // namespace chronova::gis
