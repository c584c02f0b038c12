#include "gis/data/column_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <limits>
#include <span>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "gis/data/geometry_column.h"
#include "gis/data/sorted_index.h"
#include "gis/data/statistics.h"
#include "gis/data/table.h"
#include "gis/data/time_values.h"
#include "platform/automation_error.h"
#include "support/error_number.h"

namespace chronova::gis {
namespace {

using platform::Variant;

// A table T with a small integer, a double, a date and a text column, with one null in each.
std::shared_ptr<ColumnTable> SampleTable() {
    auto table = std::make_shared<ColumnTable>("T");
    Column& small = table->AddField({"S", "", FieldType::SmallInteger});
    Column& real = table->AddField({"D", "", FieldType::Double});
    Column& date = table->AddField({"WHEN", "", FieldType::Date});
    Column& text = table->AddField({"NAME", "", FieldType::String});
    const int32_t smalls[] = {3, 1, 3, 0};
    const double reals[] = {2.5, -1.0, 2.5, 0.0};
    const char* texts[] = {"b", "a", "b", ""};
    for (int row = 0; row < 4; ++row) {
        if (row == 3) {
            small.AppendNull();
            real.AppendNull();
            date.AppendNull();
            text.AppendNull();
            continue;
        }
        small.AppendInteger(smalls[row]);
        real.AppendReal(reals[row]);
        date.AppendReal(39508.25 + row);
        text.AppendText(texts[row]);
    }
    return table;
}

TEST(ColumnTableTest, ValuesKeepTheHostTypesAndNulls) {
    const auto table = SampleTable();
    EXPECT_EQ(table->RowCount(), 4u);
    EXPECT_EQ(table->ColumnAt(0).Value(0), Variant(int16_t{3}));
    EXPECT_EQ(table->ColumnAt(1).Value(1), Variant(-1.0));
    EXPECT_EQ(table->ColumnAt(2).Value(0), Variant(platform::Date(39508.25)));
    EXPECT_EQ(table->ColumnAt(3).Value(1), Variant("a"));
    for (size_t column = 0; column < table->FieldCount(); ++column) {
        EXPECT_TRUE(table->ColumnAt(column).IsNull(3));
        EXPECT_TRUE(table->ColumnAt(column).Value(3).IsEmpty());
        EXPECT_FALSE(table->ColumnAt(column).IsNull(0));
    }
    EXPECT_RAISES(table->ColumnAt(3).AppendReal(1.0), 13);
}

TEST(ColumnTableTest, TakeCopiesRowsInTheGivenOrder) {
    const auto table = SampleTable();
    const Column taken = table->ColumnAt(3).Take({3, 1, 0});
    ASSERT_EQ(taken.Size(), 3u);
    EXPECT_TRUE(taken.IsNull(0));
    EXPECT_EQ(taken.Text(1), "a");
    EXPECT_EQ(taken.Text(2), "b");
}

TEST(ColumnTableTest, FindsFieldsIgnoringCaseAndByQualifiedName) {
    const auto table = SampleTable();
    EXPECT_EQ(table->FindField("name"), 3);
    EXPECT_EQ(table->FindField("t.when"), 2);
    EXPECT_EQ(table->FindField("Other.WHEN"), -1);
    EXPECT_EQ(table->FindField("MISSING"), -1);
}

TEST(SortedIndexTest, RangesMatchComparisonsAndSkipNullsAndNaN) {
    Column column(FieldType::Double);
    for (double value : {5.0, 1.0, std::numeric_limits<double>::quiet_NaN(), 3.0, 1.0, 9.0}) {
        column.AppendReal(value);
    }
    column.AppendNull();
    const SortedIndex index(column);
    const SortedIndex::Bound one{1.0, true};
    const SortedIndex::Bound five_open{5.0, false};
    EXPECT_EQ(index.Rows(index.NumberRange(&one, &one)), (RowIds{1, 4}));
    EXPECT_EQ(index.Rows(index.NumberRange(nullptr, &five_open)), (RowIds{1, 3, 4}));
    EXPECT_EQ(index.Rows(index.NumberRange(&five_open, nullptr)), (RowIds{5}));
    EXPECT_EQ(index.Rows(index.NumberRange(nullptr, nullptr)), (RowIds{0, 1, 3, 4, 5}));
}

TEST(SortedIndexTest, TextRangesUseByteOrder) {
    Column column(FieldType::String);
    for (const char* text : {"b", "B", "a", "b"}) {
        column.AppendText(text);
    }
    const SortedIndex index(column);
    const SortedIndex::TextBound b{"b", true};
    EXPECT_EQ(index.Rows(index.TextRange(&b, &b)), (RowIds{0, 3}));
    EXPECT_EQ(index.Rows(index.TextRange(nullptr, &b)), (RowIds{0, 1, 2, 3}));
    const SortedIndex::Bound any{0.0, true};
    EXPECT_EQ(index.NumberRange(&any, nullptr), (std::pair<size_t, size_t>{0, 0}));
}

TEST(StatisticsTest, UniqueValuesAreSortedDistinctAndTyped) {
    const auto table = SampleTable();
    const Cursor all(table, {0, 1, 2, 3});
    EXPECT_EQ(UniqueValues(all, "S"), (std::vector<Variant>{int16_t{1}, int16_t{3}}));
    EXPECT_EQ(UniqueValues(all, "NAME"), (std::vector<Variant>{"a", "b"}));
    EXPECT_EQ(UniqueValues(Cursor(table, {2}), "D"), (std::vector<Variant>{2.5}));
    EXPECT_RAISES(UniqueValues(all, "NOPE"), 5);
}

TEST(StatisticsTest, MinimumMaximumAndMeanOverNonNullValues) {
    const auto table = SampleTable();
    const FieldStatistics stats = Statistics(Cursor(table, {0, 1, 2, 3}), "D");
    EXPECT_EQ(stats.Count, 3);
    EXPECT_DOUBLE_EQ(stats.Minimum, -1.0);
    EXPECT_DOUBLE_EQ(stats.Maximum, 2.5);
    EXPECT_DOUBLE_EQ(stats.Mean, 4.0 / 3.0);
    EXPECT_EQ(Statistics(Cursor(table, {3}), "D").Count, 0);
    EXPECT_RAISES(Statistics(Cursor(table, {0}), "NAME"), 13);
}

TEST(ColumnTableTest, AColumnLeftForLaterLoadsOnceAcrossThreadsAndRetriesAfterAFailure) {
    auto table = std::make_shared<ColumnTable>("T");
    table->AddField({"ID", "", FieldType::OID}).AppendInteger(1);
    table->AddField({"NAME", "", FieldType::String});
    std::atomic<int> calls{0};
    std::atomic<bool> fail{true};
    table->LoadLater(
        [&](size_t column, Column& values) {
            ++calls;
            EXPECT_EQ(column, 1u);
            if (fail.exchange(false)) {
                values.AppendText("half");
                platform::RaiseError(platform::error::kPathFileAccess, "the file went away");
            }
            values = Column(FieldType::String);
            values.AppendText("loaded");
        },
        {false, true}, 1);
    EXPECT_TRUE(table->IsLoaded(0));
    EXPECT_FALSE(table->IsLoaded(1));
    EXPECT_EQ(table->RowCount(), 1u);
    EXPECT_RAISES(table->ColumnAt(1), 75);
    EXPECT_FALSE(table->IsLoaded(1));

    std::vector<std::thread> readers;
    std::vector<Variant> seen(4);
    for (size_t i = 0; i < seen.size(); ++i) {
        readers.emplace_back([&, i] { seen[i] = std::as_const(*table).ColumnAt(1).Value(0); });
    }
    for (std::thread& reader : readers) {
        reader.join();
    }
    EXPECT_EQ(seen, std::vector<Variant>(4, Variant("loaded")));
    EXPECT_EQ(calls.load(), 2);
    EXPECT_TRUE(table->IsLoaded(1));
    EXPECT_EQ(table->IndexOf(1).Order().size(), 1u);
}

TEST(ColumnTableTest, ALoaderThatFillsTheWrongNumberOfRowsIsRefused) {
    auto table = std::make_shared<ColumnTable>("T");
    table->AddField({"ID", "", FieldType::OID}).AppendInteger(1);
    table->AddField({"V", "", FieldType::Double});
    table->LoadLater([](size_t, Column& values) { values.GrowReals(2)[0] = 1.0; }, {false, true}, 1);
    EXPECT_RAISES(table->ColumnAt(1), 75);
}

TEST(ColumnTableTest, GrownValuesKeepNullsAndOffsetsInStep) {
    Column dates(FieldType::Date);
    dates.AppendNull();
    dates.AppendZonedReal(1.5, 60);
    const std::span<double> grown = dates.GrowReals(2);
    grown[0] = 2.0;
    grown[1] = 3.0;
    EXPECT_EQ(dates.Size(), 4u);
    EXPECT_TRUE(dates.IsNull(0));
    EXPECT_FALSE(dates.IsNull(3));
    EXPECT_EQ(dates.OffsetAt(1), 60);
    EXPECT_EQ(dates.OffsetAt(3), std::nullopt);
    EXPECT_EQ(dates.Value(3), Variant(platform::Date(3.0)));
    EXPECT_RAISES(dates.GrowIntegers(1), 13);
}

// Time values by ascending time with ties in row order, the plain way.
std::vector<uint32_t> StableOrder(const std::vector<double>& times) {
    std::vector<uint32_t> order;
    for (uint32_t row = 0; row < times.size(); ++row) {
        if (!std::isnan(times[row])) {
            order.push_back(row);
        }
    }
    std::stable_sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) { return times[a] < times[b]; });
    return order;
}

TEST(TimeValuesTest, OrdersFewAndManyDistinctTimesAsAStableSortWould) {
    for (const size_t distinct : {size_t{7}, size_t{100'000}}) {
        Column dates(FieldType::Date);
        std::vector<double> expected;
        uint64_t hash = 12345;
        for (size_t row = 0; row < 150'000; ++row) {
            hash = hash * 6364136223846793005ULL + 1442695040888963407ULL;
            if (row % 1000 == 17) {
                dates.AppendNull();
                expected.push_back(std::numeric_limits<double>::quiet_NaN());
                continue;
            }
            const double time = 39000.0 + static_cast<double>((hash >> 33) % distinct) / 24.0;
            dates.AppendReal(row % 5000 == 3 ? -0.0 : time);
            expected.push_back(row % 5000 == 3 ? -0.0 : time);
        }
        const TimeValues times(dates, platform::TimeReading{});
        EXPECT_EQ(times.Order(), StableOrder(expected)) << distinct;
        ASSERT_EQ(times.SortedTimes().size(), times.Order().size());
        for (size_t i = 0; i < times.Order().size(); ++i) {
            ASSERT_EQ(times.SortedTimes()[i], expected[times.Order()[i]]);
        }
        EXPECT_TRUE(std::isnan(times.At(17)));
        EXPECT_EQ(times.At(18), expected[18]);
    }
}

TEST(TimeValuesTest, DatesWithoutNullsServeAsTheirOwnTimes) {
    Column dates(FieldType::Date);
    dates.AppendReal(2.0);
    dates.AppendReal(1.0);
    const TimeValues times(dates, platform::TimeReading{});
    EXPECT_EQ(times.Times().data(), dates.Reals().data());
    EXPECT_EQ(times.Order(), (std::vector<uint32_t>{1, 0}));
}

TEST(OffsetListTest, StoresNothingUntilAnEntryLeavesItsPosition) {
    GeometryColumn points;
    for (int i = 0; i < 3; ++i) {
        points.AddCoordinate(i, -i);
        points.EndPart();
        points.EndFeature();
    }
    EXPECT_FALSE(points.PartOffsets.Stored());
    EXPECT_FALSE(points.FeatureParts.Stored());
    EXPECT_EQ(points.FeatureParts, (std::vector<uint32_t>{0, 1, 2, 3}));
    EXPECT_EQ(points.PartOffsets[2], 2u);

    points.EndFeature(); // an empty shape: no part
    EXPECT_TRUE(points.FeatureParts.Stored());
    EXPECT_FALSE(points.PartOffsets.Stored());
    EXPECT_EQ(points.FeatureParts, (std::vector<uint32_t>{0, 1, 2, 3, 3}));
    EXPECT_EQ(points.FeatureCount(), 4u);

    OffsetList list;
    list.push_back(1);
    OffsetList stored;
    stored.push_back(1);
    stored.push_back(5);
    stored.resize(2); // {0, 1}, still stored
    EXPECT_TRUE(stored.Stored());
    EXPECT_EQ(list, stored); // the same entries, stored or not
    stored.resize(5);        // never grows
    EXPECT_EQ(stored.size(), 2u);
}

} // namespace
} // namespace chronova::gis
