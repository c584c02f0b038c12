#include "gis/sql/parser.h"

#include <gtest/gtest.h>

#include <string>

#include "gis/gis_errors.h"
#include "platform/automation_error.h"
#include "support/error_number.h"

namespace chronova::gis::sql {
namespace {

void ExpectParses(std::string_view clause, std::string_view canonical) {
    try {
        EXPECT_EQ(Describe(Parse(clause)), canonical) << clause;
        // The canonical spelling reads back as itself.
        EXPECT_EQ(Describe(Parse(canonical)), canonical) << clause;
    } catch (const platform::AutomationError& e) {
        ADD_FAILURE() << clause << ": " << e.Description();
    }
}

void ExpectSyntaxError(std::string_view clause, size_t position, std::string_view what) {
    const platform::AutomationError raised = testing::ErrorOf([&] { Parse(clause); });
    EXPECT_EQ(raised.Number(), error::kInvalidSqlStatement) << clause;
    const std::string start = "Syntax error in the where clause at position " + std::to_string(position) + ": ";
    EXPECT_EQ(raised.Description().rfind(start, 0), 0u) << clause << ": " << raised.Description();
    EXPECT_NE(raised.Description().find(what), std::string::npos) << clause << ": " << raised.Description();
}

TEST(WhereClauseParserTest, ClausesTheSystemBuilds) {
    ExpectParses("TIME <= #3/1/2008 6:00:00 AM#", "TIME <= #2008-03-01 06:00:00#");
    ExpectParses("D = #12/29/1899#", "D = #1899-12-29 00:00:00#");
    ExpectParses("STEP = 'value'", "STEP = 'value'");
    ExpectParses("DTG = '051407Z MAR 2008'", "DTG = '051407Z MAR 2008'");
    ExpectParses("N = 42", "N = 42");
}

TEST(WhereClauseParserTest, LiteralsAndNames) {
    ExpectParses("x = 1.5e3", "x = 1500");
    ExpectParses("x >= .5", "x >= 0.5");
    ExpectParses("x < +2.", "x < 2");
    ExpectParses("x > - 7E-1", "x > -0.7");
    ExpectParses("x = 1e-400", "x = 0");
    ExpectParses("x = 'it''s'", "x = 'it''s'");
    ExpectParses("x = #2008-03-01T06:00:00Z#", "x = #2008-03-01 06:00:00#");
    ExpectParses("x = #March 1, 2008 6:05 PM#", "x = #2008-03-01 18:05:00#");
    ExpectParses("[My Field] = 1", "\"My Field\" = 1");
    ExpectParses("\"a\"\"b\" = 1", "\"a\"\"b\" = 1");
    ExpectParses("[and] = 1", "\"and\" = 1");
    ExpectParses("Times_QUERY.TIME = 1", "Times_QUERY.TIME = 1");
    ExpectParses("5 < N", "5 < N");
    ExpectParses("\tx\r\n=\n1 ", "x = 1");
}

TEST(WhereClauseParserTest, PredicatesAndKeywordsInAnyCase) {
    ExpectParses("a in (1,2 , -3)", "a IN (1, 2, -3)");
    ExpectParses("a NOT IN ('x')", "a NOT IN ('x')");
    ExpectParses("a between -1.5e2 and +2", "a BETWEEN -150 AND 2");
    ExpectParses("a Not Between #1/1/2008# AND #1/2/2008#",
                 "a NOT BETWEEN #2008-01-01 00:00:00# AND #2008-01-02 00:00:00#");
    ExpectParses("a like 'x%'", "a LIKE 'x%'");
    ExpectParses("a not like '_'", "a NOT LIKE '_'");
    ExpectParses("a is null", "a IS NULL");
    ExpectParses("a IS NOT NULL", "a IS NOT NULL");
    ExpectParses("a <> 1 or a <= 2 or a >= 3 or a > 4", "(a <> 1 OR a <= 2 OR a >= 3 OR a > 4)");
}

TEST(WhereClauseParserTest, PrecedenceIsOrThenAndThenNot) {
    ExpectParses("a = 1 AND b = 2 OR c = 3", "((a = 1 AND b = 2) OR c = 3)");
    ExpectParses("a = 1 OR b = 2 AND c = 3", "(a = 1 OR (b = 2 AND c = 3))");
    ExpectParses("a = 1 AND b = 2 AND c = 3", "(a = 1 AND b = 2 AND c = 3)");
    ExpectParses("NOT a = 1 AND b = 2", "(NOT a = 1 AND b = 2)");
    ExpectParses("not not a=1", "NOT NOT a = 1");
    ExpectParses("NOT (a = 1 OR b = 2)", "NOT (a = 1 OR b = 2)");
    ExpectParses("((a = 1))", "a = 1");
    ExpectParses("(a = 1 OR b = 2) AND (c = 3 OR d IS NULL)", "((a = 1 OR b = 2) AND (c = 3 OR d IS NULL))");
}

TEST(WhereClauseParserTest, ClausesThatDoNotParseNameThePlaceAndWhatWasExpected) {
    ExpectSyntaxError("TIME = ", 8, "expected a value after '=', found the end of the clause");
    ExpectSyntaxError("TIME", 5, "expected =, <>, <, <=, >, >=, IN, BETWEEN, LIKE or IS after 'TIME'");
    ExpectSyntaxError("= 5", 1, "expected a condition, found '='");
    ExpectSyntaxError("a = 1 AND", 10, "expected a condition after 'AND'");
    ExpectSyntaxError("a = 1 OR ()", 11, "expected a condition after '('");
    ExpectSyntaxError("a = 1 AND NOT", 14, "expected a condition after 'NOT'");
    ExpectSyntaxError("(a = 1", 7, "expected ')' to close the '(' at position 1");
    ExpectSyntaxError("a = 1)", 6, "')' has no matching '('");
    ExpectSyntaxError("a = 1 b = 2", 7, "expected AND, OR or the end of the clause, found 'b'");
    ExpectSyntaxError("a = 'abc", 5, "the text has no closing quote");
    ExpectSyntaxError("[abc = 1", 1, "the field name has no closing ']'");
    ExpectSyntaxError("[] = 1", 1, "the field name is empty");
    ExpectSyntaxError("a = #3/1/2008", 5, "the date has no closing '#'");
    ExpectSyntaxError("a = #3/45/2008#", 5, "#3/45/2008# is not a date");
    ExpectSyntaxError("a IN ()", 7, "expected a value after '('");
    ExpectSyntaxError("a IN (1 2)", 9, "expected ',' or ')' in the IN list");
    ExpectSyntaxError("a IN 1", 6, "expected '(' after 'IN'");
    ExpectSyntaxError("a BETWEEN 1", 12, "expected AND after the lower bound of BETWEEN");
    ExpectSyntaxError("a BETWEEN b AND 2", 11, "expected a value after 'BETWEEN'");
    ExpectSyntaxError("a LIKE 5", 8, "expected a 'text' pattern after LIKE");
    ExpectSyntaxError("a IS 5", 6, "expected NULL or NOT NULL after IS");
    ExpectSyntaxError("a NOT = 1", 7, "expected IN, BETWEEN or LIKE after NOT");
    ExpectSyntaxError("a = - 'x'", 7, "expected a number after '-'");
    ExpectSyntaxError("a == 1", 4, "expected a value after '='");
    ExpectSyntaxError("a = NULL", 5, "expected a value after '=', found 'NULL'");
    ExpectSyntaxError("a != 1", 3, "unexpected character '!'");
    ExpectSyntaxError("a = 12abc", 7, "unexpected 'a' in a number");
    ExpectSyntaxError("a = 1e999", 5, "the number 1e999 is out of range");
    ExpectSyntaxError(std::string_view("a = \x01", 5), 5, "unexpected character 0x01");
}

TEST(WhereClauseParserTest, NestingIsLimitedWithAClearError) {
    const auto nots = [](size_t n) {
        std::string clause;
        for (size_t i = 0; i < n; ++i) {
            clause += "NOT ";
        }
        return clause + "a = 1";
    };
    const auto parens = [](size_t n) { return std::string(n, '(') + "a = 1" + std::string(n, ')'); };
    EXPECT_NO_THROW(Parse(nots(kMaxNesting)));
    EXPECT_NO_THROW(Parse(parens(kMaxNesting)));
    ExpectSyntaxError(nots(kMaxNesting + 1), 4 * kMaxNesting + 1, "conditions nest deeper than 200 levels");
    ExpectSyntaxError(parens(100000), kMaxNesting + 1, "conditions nest deeper than 200 levels");
}

TEST(WhereClauseParserTest, LongFlatChainsStayFlat) {
    std::string clause = "a = 0";
    for (int i = 1; i < 50000; ++i) {
        clause += (i % 2 ? " OR a = " : " AND a = ") + std::to_string(i);
    }
    const Node root = Parse(clause);
    EXPECT_EQ(root.kind, NodeKind::Or);
    EXPECT_EQ(root.children.size(), 25001u); // a = 0, then pairs joined by AND, then the last term
}

} // namespace
} // namespace chronova::gis::sql
