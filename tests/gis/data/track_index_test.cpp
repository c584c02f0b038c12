// Tracks: each entity's latest fix at a time by binary search, the age limit, and trails of a length.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "gis/data/track_index.h"

namespace chronova::gis {
namespace {

class TrackIndexTest : public ::testing::Test {
protected:
    void SetUp() override {
        Column& ids = table_.AddField({"VAN", "", FieldType::String});
        Column& times = table_.AddField({"T", "", FieldType::Date});
        // Rows out of time order: van A at minutes 0, 10, 20; van B at 5, 15; van C at 30; one row without an id
        // and one without a time.
        const std::pair<const char*, double> rows[] = {{"A", 20}, {"B", 5},  {"A", 0},     {"C", 30},
                                                       {"B", 15}, {"A", 10}, {nullptr, 1}, {"B", -1}};
        for (const auto& [id, minute] : rows) {
            id == nullptr ? ids.AppendNull() : ids.AppendText(id);
            minute < 0 ? times.AppendNull() : times.AppendReal(kDay0 + minute / 1440.0);
        }
    }

    static double Minute(double minute) { return kDay0 + minute / 1440.0; }

    static constexpr double kDay0 = 45000.0;
    ColumnTable table_;
};

TEST_F(TrackIndexTest, EachEntityShowsItsLatestFixAtOrBeforeTheTime) {
    const TrackIndex index(table_.ColumnAt(0), table_.TimesOf(1, {}));
    EXPECT_EQ(index.EntityCount(), 3u);
    EXPECT_TRUE(index.LatestAt(Minute(-1), 0).empty()) << "nothing before the first fix";
    EXPECT_EQ(index.LatestAt(Minute(0), 0), (RowIds{2}));
    EXPECT_EQ(index.LatestAt(Minute(12), 0), (RowIds{1, 5})) << "B at 5, A at 10";
    EXPECT_EQ(index.LatestAt(Minute(100), 0), (RowIds{0, 3, 4}));
    EXPECT_EQ(index.LatestAt(Minute(25), 6 / 1440.0), (RowIds{0})) << "B's fix at 15 is too old";
    EXPECT_EQ(index.LatestAt(Minute(21), 6 / 1440.0), (RowIds{0, 4}));
}

TEST_F(TrackIndexTest, TrailsHoldTheFixesOfTheirLengthOldestFirst) {
    const TrackIndex index(table_.ColumnAt(0), table_.TimesOf(1, {}));
    const auto all = index.TrailsAt(Minute(20), 0.0);
    ASSERT_EQ(all.size(), 2u) << "C has no fix yet";
    EXPECT_EQ(all[0].rows, (std::vector<uint32_t>{2, 5, 0}));
    EXPECT_EQ(all[1].rows, (std::vector<uint32_t>{1, 4}));
    const auto short_trails = index.TrailsAt(Minute(20), 12 / 1440.0);
    ASSERT_EQ(short_trails.size(), 1u) << "B has one fix in the last 12 minutes";
    EXPECT_EQ(short_trails[0].rows, (std::vector<uint32_t>{5, 0})) << "the fix at 0 is older than 12 minutes";
    EXPECT_EQ(short_trails[0].times.front(), Minute(10));
    EXPECT_TRUE(index.TrailsAt(Minute(20), 4 / 1440.0).empty()) << "one fix is no line";
}

TEST_F(TrackIndexTest, NumericIdsGroupByValue) {
    ColumnTable table;
    Column& ids = table.AddField({"ID", "", FieldType::Integer});
    Column& times = table.AddField({"T", "", FieldType::Date});
    for (int row = 0; row < 6; ++row) {
        ids.AppendInteger(row % 2);
        times.AppendReal(kDay0 + row);
    }
    const TrackIndex index(table.ColumnAt(0), table.TimesOf(1, {}));
    EXPECT_EQ(index.EntityCount(), 2u);
    EXPECT_EQ(index.LatestAt(kDay0 + 3.5, 0), (RowIds{2, 3}));
}

} // namespace
} // namespace chronova::gis
