#include "gis/sql/where_clause.h"

#include <gtest/gtest.h>

#include <string>

#include "gis/gis_errors.h"
#include "gis/sql/like_pattern.h"
#include "platform/automation_error.h"
#include "platform/ole_date.h"
#include "support/error_number.h"

namespace chronova::gis {
namespace {

double Serial(int y, int mo, int d, int h = 0, int mi = 0) {
    return platform::Date::FromParts(y, mo, d, h, mi).Serial();
}

// Table T; row 3 is null in every field.
//   row  N    D            S    WHEN              NAME     CODE
//   0    1    39508.25     0.1  3/1/2008 6:00     alpha    10
//   1    2    1.5          0.2  3/1/2008 12:00    Beta     9
//   2    3    2.5          0.3  3/2/2008          beta     abc
//   3    -    -            -    -                 -        -
//   4    42   -1           0.4  12/29/1899        it's     " 42 "
//   5    -5   1e10         0.5  1/1/2000          ""       3/1/2008
const ColumnTable& Sample() {
    static const auto table = [] {
        auto t = std::make_shared<ColumnTable>("T");
        Column& n = t->AddField({"N", "", FieldType::Integer});
        Column& d = t->AddField({"D", "", FieldType::Double});
        Column& s = t->AddField({"S", "", FieldType::Single});
        Column& when = t->AddField({"WHEN", "", FieldType::Date});
        Column& name = t->AddField({"NAME", "", FieldType::String});
        Column& code = t->AddField({"CODE", "", FieldType::String});
        Column& shape = t->AddField({"Shape", "", FieldType::Geometry});
        const int32_t ns[] = {1, 2, 3, 0, 42, -5};
        const double ds[] = {39508.25, 1.5, 2.5, 0, -1, 1e10};
        const float ss[] = {0.1f, 0.2f, 0.3f, 0, 0.4f, 0.5f};
        const double whens[] = {Serial(2008, 3, 1, 6), Serial(2008, 3, 1, 12), Serial(2008, 3, 2), 0, -1,
                                Serial(2000, 1, 1)};
        const char* names[] = {"alpha", "Beta", "beta", "", "it's", ""};
        const char* codes[] = {"10", "9", "abc", "", " 42 ", "3/1/2008"};
        for (int row = 0; row < 6; ++row) {
            if (row == 3) {
                for (Column* column : {&n, &d, &s, &when, &name, &code}) {
                    column->AppendNull();
                }
            } else {
                n.AppendInteger(ns[row]);
                d.AppendReal(ds[row]);
                s.AppendReal(ss[row]);
                when.AppendReal(whens[row]);
                name.AppendText(names[row]);
                code.AppendText(codes[row]);
            }
            shape.AppendNull();
        }
        return t;
    }();
    return *table;
}

// The rows a clause selects, checked against the row-by-row answer so both paths are held to the cases.
void ExpectSelects(std::string_view clause, const RowIds& expected) {
    try {
        const WhereClause parsed = WhereClause::Parse(clause);
        EXPECT_EQ(parsed.Select(Sample()), expected) << clause;
        RowIds matched;
        for (size_t row = 0; row < Sample().RowCount(); ++row) {
            if (parsed.Matches(Sample(), row)) {
                matched.push_back(static_cast<uint32_t>(row));
            }
        }
        EXPECT_EQ(matched, expected) << clause << " row by row";
    } catch (const platform::AutomationError& e) {
        ADD_FAILURE() << clause << ": " << e.Description();
    }
}

void ExpectRaises(std::string_view clause, int32_t number, std::string_view message) {
    const platform::AutomationError raised = testing::ErrorOf([&] { WhereClause::Parse(clause).Select(Sample()); });
    EXPECT_EQ(raised.Number(), number) << clause;
    EXPECT_NE(raised.Description().find(message), std::string::npos) << clause << ": " << raised.Description();
}

TEST(WhereClauseTest, NumberFieldsCompareByValueAndSkipNulls) {
    ExpectSelects("N = 1", {0});
    ExpectSelects("N <> 1", {1, 2, 4, 5});
    ExpectSelects("N < 3", {0, 1, 5});
    ExpectSelects("N >= 3", {2, 4});
    ExpectSelects("N = 2.5", {});
    ExpectSelects("N > -5.5", {0, 1, 2, 4, 5});
    ExpectSelects("3 > N", {0, 1, 5});
    ExpectSelects("N = '42'", {4});
    ExpectSelects("N = ' 1,000 '", {});
    ExpectSelects("D = 1e10", {5});
    ExpectSelects("D >= 1.5E0 AND D < 3", {1, 2});
    ExpectSelects("S = 0.1", {0}); // a single field holds 0.1 as a float; the literal is read the same way
    ExpectSelects("S > 0.3", {4, 5});
}

TEST(WhereClauseTest, DateLiteralsCompareByTheirSerial) {
    ExpectSelects("WHEN = #3/1/2008 6:00:00 AM#", {0});
    ExpectSelects("WHEN <= #2008-03-01 12:00#", {0, 1, 4, 5});
    ExpectSelects("WHEN = #12/29/1899#", {4});
    ExpectSelects("WHEN = '3/2/2008'", {2});
    ExpectSelects("WHEN = '-1'", {4});
    ExpectSelects("WHEN BETWEEN #1/1/2000# AND #3/1/2008 6:00#", {0, 5});
    ExpectSelects("WHEN IN (#1/1/2000#, #3/2/2008#)", {2, 5});
    ExpectSelects("D = #3/1/2008 6:00:00 AM#", {0}); // any numeric field
    ExpectSelects("D = #12/29/1899#", {4});
    ExpectSelects("D = '3/1/2008 6:00 AM'", {0});
    ExpectSelects("N <= #12/31/1899#", {0, 5}); // serial 1
    // A serial between the marks is the date it stands for, as a double step value is written.
    ExpectSelects("WHEN = #39508.25#", {0});
    ExpectSelects("D = # -1 #", {4});
}

TEST(WhereClauseTest, TextComparesByteByByte) {
    ExpectSelects("NAME = 'beta'", {2});
    ExpectSelects("NAME = 'it''s'", {4});
    ExpectSelects("NAME = ''", {5});
    ExpectSelects("NAME < 'a'", {1, 5}); // 'B' sorts before 'a'
    ExpectSelects("NAME >= 'beta'", {2, 4});
    ExpectSelects("NAME IN ('alpha', 'beta', 'alpha')", {0, 2});
    ExpectSelects("NAME NOT IN ('alpha', 'beta')", {1, 4, 5});
    ExpectSelects("NAME BETWEEN 'B' AND 'b'", {0, 1});
    ExpectSelects("CODE = '10'", {0});
    ExpectSelects("CODE < '9'", {0, 4, 5});
}

TEST(WhereClauseTest, TextAgainstNumbersReadsTheTextAndSkipsWhatDoesNotRead) {
    ExpectSelects("CODE = 10", {0});
    ExpectSelects("CODE > 9.5", {0, 4});
    ExpectSelects("CODE <> 10", {1, 4});
    ExpectSelects("NOT CODE = 10", {1, 4});
    ExpectSelects("CODE IN (9, 42)", {1, 4});
    ExpectSelects("CODE = #3/1/2008#", {5});
    ExpectSelects("CODE = N", {4});
    ExpectSelects("CODE > N", {0, 1});
}

TEST(WhereClauseTest, LikeMatchesPercentAndUnderscoreWithCase) {
    ExpectSelects("NAME LIKE 'b%'", {2});
    ExpectSelects("NAME LIKE '_eta'", {1, 2});
    ExpectSelects("NAME LIKE '%'", {0, 1, 2, 4, 5});
    ExpectSelects("NAME LIKE ''", {5});
    ExpectSelects("NAME NOT LIKE '%a'", {4, 5});
    ExpectSelects("CODE LIKE '%/%/2008'", {5});
}

TEST(WhereClauseTest, LogicKeepsNullsOut) {
    ExpectSelects("N = 1 OR NAME = 'beta'", {0, 2});
    ExpectSelects("N > 0 AND NAME LIKE '%eta'", {1, 2});
    ExpectSelects("N = 1 OR N IS NULL", {0, 3});
    ExpectSelects("NOT (N = 1)", {1, 2, 4, 5});
    ExpectSelects("NOT (N = 1 OR N = 2)", {2, 4, 5});
    ExpectSelects("N NOT BETWEEN 2 AND 42", {0, 5});
    ExpectSelects("(N = 1 OR D = 1e10) AND NOT NAME = ''", {0});
    ExpectSelects("N IS NULL", {3});
    ExpectSelects("NOT N IS NULL", {0, 1, 2, 4, 5});
    ExpectSelects("NAME IS NOT NULL AND CODE IS NOT NULL", {0, 1, 2, 4, 5});
    ExpectSelects("Shape IS NULL", {0, 1, 2, 3, 4, 5});
    ExpectSelects("1 = 1", {0, 1, 2, 3, 4, 5});
    ExpectSelects("1 = 0 OR N = 2", {1});
    ExpectSelects("N = N", {0, 1, 2, 4, 5});
    ExpectSelects("N < 3 AND N > 1 AND D < 10", {1});
}

TEST(WhereClauseTest, FieldsAreFoundByAnySpelling) {
    ExpectSelects("n = 1 and name = 'alpha'", {0});
    ExpectSelects("T.N = 1", {0});
    ExpectSelects("\"t.n\" = 1", {0});
}

TEST(WhereClauseTest, MisfitsRaiseClearErrors) {
    ExpectRaises("NOPE = 1", error::kInvalidSqlStatement, "The field 'NOPE' is not in the table 'T'.");
    ExpectRaises("N = 1 OR Other.N = 1", error::kInvalidSqlStatement, "The field 'Other.N' is not in the table 'T'.");
    ExpectRaises("N = 'abc'", 13, "'abc' is neither a number nor a date");
    ExpectRaises("N IN (1, 'x')", 13, "numeric field 'N'");
    ExpectRaises("N LIKE '1%'", 13, "LIKE compares texts, and the field 'N' is not a text");
    ExpectRaises("Shape = 1", 13, "The field 'Shape' holds no values a where clause can compare");
    ExpectRaises("N = ", error::kInvalidSqlStatement, "position 5");
}

TEST(WhereClauseTest, EmptyClauseLetsEveryRowThrough) {
    const WhereClause empty = WhereClause::Parse("  ");
    EXPECT_TRUE(empty.IsEmpty());
    EXPECT_EQ(empty.Select(Sample()), (RowIds{0, 1, 2, 3, 4, 5}));
    EXPECT_TRUE(empty.Matches(Sample(), 3));
    EXPECT_EQ(WhereClause::Parse("N = 1").Text(), "N = 1");
    EXPECT_RAISES(WhereClause::Parse("N = 1").Matches(Sample(), 6), 9);
}

TEST(LikePatternTest, WildcardsBacktrackAndCountCharactersNotBytes) {
    const auto like = [](std::string_view text, std::string_view pattern) { return sql::LikeMatches(text, pattern); };
    EXPECT_TRUE(like("abcbcd", "%bcd"));
    EXPECT_TRUE(like("aXbXc", "a%b%c"));
    EXPECT_FALSE(like("abc", "a%b"));
    EXPECT_FALSE(like("ab", "a_b"));
    EXPECT_TRUE(like("\xC3\xA9t\xC3\xA9", "_t_")); // "été": one '_' per character
    EXPECT_FALSE(like("\xC3\xA9t\xC3\xA9", "__t__"));
    EXPECT_TRUE(like("", "%"));
    EXPECT_FALSE(like("", "_"));
    EXPECT_EQ(sql::LikePrefix("ab%c_"), "ab");
}

} // namespace
} // namespace chronova::gis
