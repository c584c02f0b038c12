#include "gis/data/column_table.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "gis/data/sorted_index.h"
#include "gis/data/statistics.h"
#include "gis/data/table.h"
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

} // namespace
} // namespace chronova::gis
