// The index path of WhereClause::Select must answer exactly what the row-by-row evaluation answers. Random
// tables and random clauses hold the two against each other.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "gis/data/sorted_index.h"
#include "gis/sql/where_clause.h"
#include "platform/automation_error.h"

namespace chronova::gis {
namespace {

class RandomClauses {
public:
    explicit RandomClauses(uint32_t seed) : random_(seed) {}

    std::shared_ptr<ColumnTable> Table() {
        auto table = std::make_shared<ColumnTable>("R");
        Column& integers = table->AddField({"I", "", FieldType::Integer});
        Column& reals = table->AddField({"D", "", FieldType::Double});
        Column& dates = table->AddField({"DT", "", FieldType::Date});
        Column& texts = table->AddField({"TX", "", FieldType::String});
        Column& singles = table->AddField({"F", "", FieldType::Single});
        const size_t rows = Pick(6) == 0 ? Pick(3) : Pick(400);
        for (size_t row = 0; row < rows; ++row) {
            const bool nulls = Pick(10) == 0;
            nulls ? integers.AppendNull() : integers.AppendInteger(static_cast<int32_t>(Pick(9)) - 4);
            nulls ? reals.AppendNull() : reals.AppendReal(Element(kReals));
            if (nulls) {
                dates.AppendNull();
            } else if (Pick(3) == 0) {
                dates.AppendZonedReal(Element(kDates), static_cast<int>(Pick(5)) * 60 - 120);
            } else {
                dates.AppendReal(Element(kDates));
            }
            nulls ? texts.AppendNull() : texts.AppendText(Element(kTexts));
            nulls ? singles.AppendNull() : singles.AppendReal(static_cast<float>(Element(kReals)));
        }
        return table;
    }

    std::string Clause(int depth = 0) {
        const size_t kind = depth >= 3 ? 0 : Pick(6);
        switch (kind) {
        case 1:
        case 2: {
            std::string clause = "(" + Clause(depth + 1);
            for (size_t i = 0, n = 1 + Pick(3); i < n; ++i) {
                clause += (kind == 1 ? " AND " : " OR ") + Clause(depth + 1);
            }
            return clause + ")";
        }
        case 3:
            return "NOT " + Clause(depth + 1);
        default:
            return Predicate();
        }
    }

    // A bound on a field from above, either way round, alone or after the other terms of an AND.
    std::string UpperBoundClause() {
        static const std::vector<std::string> fields = {"I", "D", "DT", "TX", "F"};
        const std::string field = Element(fields);
        const std::string literal = Literal(field == "TX");
        const std::string bound = Pick(2) == 0 ? field + (Pick(2) == 0 ? " < " : " <= ") + literal
                                               : literal + (Pick(2) == 0 ? " > " : " >= ") + field;
        return Pick(2) == 0 ? bound : Clause(1) + " AND " + bound;
    }

private:
    static constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
    inline static const std::vector<double> kReals = {-1.5, 0, 0.5, 2, 2, 3, 1e10, kNaN, -0.0};
    inline static const std::vector<double> kDates = {39508, 39508.25, 39509, -1, 0, 36526};
    inline static const std::vector<std::string> kTexts = {"",
                                                           "a",
                                                           "ab",
                                                           "b",
                                                           "B",
                                                           "10",
                                                           " 2",
                                                           "2.5",
                                                           "3/1/2008",
                                                           "abc",
                                                           "\xFF",
                                                           "a\xFF",
                                                           "2008-03-01T06:00:00+02:00",
                                                           "2008-03-01T04:00Z",
                                                           "2008-03-01 06:00",
                                                           "3/1/2008 6:00:30 AM"};
    inline static const std::vector<std::string> kNumbers = {"-4", "-1.5", "0",    "0.5",   "2", "2.5",
                                                             "3",  "4",    "1e10", "39508", "-1"};
    inline static const std::vector<std::string> kDateLiterals = {"#3/1/2008#", "#3/1/2008 6:00 AM#", "#12/29/1899#",
                                                                  "#1/1/2000#", "#3/1/2008 4:00 AM#"};
    inline static const std::vector<std::string> kPatterns = {"'a%'", "'%b'",    "'_'",      "'a_'", "'%'",
                                                              "'ab'", "'\xFF%'", "'a\xFF%'", "''"};
    inline static const std::vector<std::string> kOperators = {"=", "<>", "<", "<=", ">", ">="};

    size_t Pick(size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(random_); }
    template <class T>
    const T& Element(const std::vector<T>& values) {
        return values[Pick(values.size())];
    }

    std::string TextLiteral() {
        std::string literal = "'";
        for (const char c : Element(kTexts)) {
            literal += c;
        }
        return literal + "'";
    }

    // A literal that suits the field: a number, a date or a number in quotes for numeric fields; any
    // literal for the text field (texts that do not read as numbers simply do not match).
    std::string Literal(bool text_field) {
        switch (Pick(text_field ? 4 : 3)) {
        case 0:
            return Element(kNumbers);
        case 1:
            return Element(kDateLiterals);
        case 2:
            return "'" + Element(kNumbers) + "'";
        default:
            return TextLiteral();
        }
    }

    std::string Predicate() {
        static const std::vector<std::string> fields = {"I", "D", "DT", "TX", "F"};
        const std::string field = Element(fields);
        const bool text = field == "TX";
        switch (Pick(9)) {
        case 0: {
            std::string list = Literal(text);
            for (size_t i = 0, n = Pick(3); i < n; ++i) {
                list += ", " + Literal(text);
            }
            return field + (Pick(3) == 0 ? " NOT IN (" : " IN (") + list + ")";
        }
        case 1:
            return field + (Pick(3) == 0 ? " NOT BETWEEN " : " BETWEEN ") + Literal(text) + " AND " + Literal(text);
        case 2:
            return text ? field + (Pick(3) == 0 ? " NOT LIKE " : " LIKE ") + Element(kPatterns) : field + " IS NULL";
        case 3:
            return field + (Pick(2) == 0 ? " IS NULL" : " IS NOT NULL");
        case 4:
            return Literal(text) + " " + Element(kOperators) + " " + field;
        default:
            return field + " " + Element(kOperators) + " " + Literal(text);
        }
    }

    std::mt19937 random_;
};

TEST(WhereClauseIndexPathTest, SelectEqualsRowByRowMatchesOnRandomTablesAndClauses) {
    RandomClauses random(20080301);
    // Every other table is read with zones, so that texts and dates compared with dates go through their times.
    const platform::TimeReading readings[] = {
        {}, {platform::TimeZone::Parse("Europe/Berlin"), platform::TimeZone::Parse("-03:30")}};
    for (int table_number = 0; table_number < 150; ++table_number) {
        const auto table = random.Table();
        const platform::TimeReading& reading = readings[table_number % 2];
        for (int clause_number = 0; clause_number < 25; ++clause_number) {
            const std::string clause = random.Clause();
            try {
                const WhereClause parsed = WhereClause::Parse(clause);
                RowIds expected;
                for (size_t row = 0; row < table->RowCount(); ++row) {
                    if (parsed.Matches(*table, row, reading)) {
                        expected.push_back(static_cast<uint32_t>(row));
                    }
                }
                ASSERT_EQ(parsed.Select(*table, reading), expected) << clause << " on " << table->RowCount() << " rows";
            } catch (const platform::AutomationError& e) {
                FAIL() << clause << ": " << e.Description();
            }
        }
    }
}

TEST(WhereClauseIndexPathTest, UpperBoundsHoldTheRowsSelectLetsThroughAsAPrefixOfAnOrder) {
    RandomClauses random(20081231);
    const platform::TimeReading readings[] = {
        {}, {platform::TimeZone::Parse("Europe/Berlin"), platform::TimeZone::Parse("-03:30")}};
    int bounds_seen = 0;
    for (int table_number = 0; table_number < 100; ++table_number) {
        const auto table = random.Table();
        const platform::TimeReading& reading = readings[table_number % 2];
        for (int clause_number = 0; clause_number < 20; ++clause_number) {
            const std::string clause = random.UpperBoundClause();
            const WhereClause parsed = WhereClause::Parse(clause);
            const RowIds expected = parsed.Select(*table, reading);
            for (const WhereClause::UpperBound& bound : parsed.UpperBounds(*table, reading)) {
                ++bounds_seen;
                RowIds prefix(bound.order->begin(), bound.order->begin() + static_cast<std::ptrdiff_t>(bound.end));
                std::sort(prefix.begin(), prefix.end());
                if (!bound.whole) {
                    prefix = parsed.Filter(*table, std::move(prefix), reading);
                }
                ASSERT_EQ(prefix, expected) << clause << " on " << table->RowCount() << " rows";
                EXPECT_NE(bound.shape.find('?'), std::string::npos) << bound.shape;
            }
        }
    }
    EXPECT_GT(bounds_seen, 500);
}

TEST(WhereClauseIndexPathTest, AscendingRowsSortsAndDropsRepeatsBySortOrBitset) {
    std::mt19937 random(7);
    for (const size_t count : {0u, 5u, 63u, 64u, 1000u, 20000u}) {
        std::vector<uint32_t> rows(count);
        for (auto& row : rows) {
            row = std::uniform_int_distribution<uint32_t>(0, 4999)(random);
        }
        std::vector<uint32_t> expected = rows;
        std::sort(expected.begin(), expected.end());
        expected.erase(std::unique(expected.begin(), expected.end()), expected.end());
        EXPECT_EQ(AscendingRows(rows, 5000), expected) << count;
    }
}

} // namespace
} // namespace chronova::gis
