#include "gis/sql/server_condition.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gis/sql/parser.h"
#include "platform/locale.h"

namespace chronova::gis::sql {
namespace {

const std::vector<ServerColumn>& Columns() {
    static const std::vector<ServerColumn> columns{
        {"N", ServerColumnKind::Integer},
        {"D", ServerColumnKind::Real},
        {"S", ServerColumnKind::Single},
        {"NAME", ServerColumnKind::Text},
        {"WHEN", ServerColumnKind::Timestamp},
        {"Zoned", ServerColumnKind::TimestampWithZone},
        {"DAY", ServerColumnKind::Date},
        {"FLAG", ServerColumnKind::Other},
        {"we\"ird", ServerColumnKind::Text},
        {"n", ServerColumnKind::Text}, // a second spelling of N: the first column of the name wins
    };
    return columns;
}

struct Case {
    const char* clause;
    const char* sql; // "" for no restriction
    bool exact;
};

void ExpectConditions(const std::vector<Case>& cases, const platform::TimeReading& reading = {}) {
    for (const Case& c : cases) {
        const ServerCondition condition = PostgresCondition(Parse(c.clause), Columns(), reading);
        EXPECT_EQ(condition.sql, c.sql) << c.clause;
        EXPECT_EQ(condition.exact, c.exact) << c.clause;
    }
}

class ServerConditionTest : public ::testing::Test {
    platform::ScopedLocale us_{"en-US"};
};

TEST_F(ServerConditionTest, NumbersCompareAsTheClientComparesThem) {
    ExpectConditions({
        {"N = 42", R"("N" = 42)", true},
        {"n >= -3.5", R"("N" >= -3.5)", true},
        {"n = 'x'", "", false}, // the first column of the name is N, which holds numbers
        {"3 > N", R"("N" < 3)", true},
        {"N = '42'", R"("N" = 42)", true},
        {"N <> #1899-12-31 12:00#", R"("N" <> 1.5)", true},
        {"N < 9007199254740991", R"("N" < 9007199254740991)", true},
        // Beyond 2^53 the client's doubles no longer tell neighbouring integers apart.
        {"N < 9007199254740992", "", false},
        {"N = 'abc'", "", false},
        {"D = 0.1", R"("D" = float8 '0.1')", true},
        {"D = -0", R"("D" = float8 '-0')", true},
        {"D = #2008-03-01 06:00#", R"("D" = float8 '39508.25')", true},
        // NaN: ordered above every number by the server, null on the client.
        {"D > 0.1", R"("D" > float8 '0.1')", false},
        {"D <> 2", R"("D" <> float8 '2')", false},
        {"S = 0.1", R"("S" = float4 '0.1')", true},
        {"S < 1e300", R"("S" < float8 '1e+300')", true},
        {"N IN (1, -2, 3.25)", R"("N" IN (1, -2, 3.25))", true},
        {"N IN (1, 'x')", "", false},
        {"N BETWEEN 1 AND 5", R"(("N" >= 1 AND "N" <= 5))", true},
    });
}

TEST_F(ServerConditionTest, TextsCompareByteByByte) {
    ExpectConditions({
        {"NAME = 'it''s'", R"("NAME" = 'it''s')", true},
        {"NAME <> ''", R"("NAME" <> '')", true},
        {"NAME < 'b'", R"("NAME" COLLATE "C" < 'b')", true},
        {"NAME LIKE 'a%_b'", R"("NAME" LIKE 'a%_b' ESCAPE '')", true},
        {"NAME NOT LIKE '%'", R"(NOT ("NAME" LIKE '%' ESCAPE ''))", true},
        {"NAME IN ('a', 'b')", R"("NAME" IN ('a', 'b'))", true},
        // The client reads texts compared with numbers or dates as numbers or dates: left to it.
        {"NAME = 5", "", false},
        {"NAME = #2008-03-01#", "", false},
        {"N LIKE '5%'", "", false},
        {"FLAG = 1", "", false},
        {"FLAG IS NOT NULL", R"("FLAG" IS NOT NULL)", true},
    });
}

TEST_F(ServerConditionTest, HostileNamesAndTextsStayInsideTheirQuotes) {
    ExpectConditions({
        {R"([we"ird] = 'x')", R"("we""ird" = 'x')", true},
        // A backslash would end the string early where standard_conforming_strings is off; an escape string
        // reads the same either way.
        {R"(NAME = 'a\'' OR 1=1 --')", R"("NAME" = E'a\\'' OR 1=1 --')", true},
        {R"(NAME LIKE '\%')", R"("NAME" LIKE E'\\%' ESCAPE '')", true},
        {"NAME = 'x'';DROP TABLE t;--'", R"("NAME" = 'x'';DROP TABLE t;--')", true},
        // The server refuses bytes that are not UTF-8; a clause with them is left to the client.
        {"NAME = '\xff'", "", false},
        {"NAME = 'a\xc0\xaf'", "", false},
        {"NAME LIKE '\xed\xa0\x80'", "", false},
        {"NAME = '\xc3\xa9t\xc3\xa9'", "\"NAME\" = '\xc3\xa9t\xc3\xa9'", true},
    });
    // A name the server could not hold is not written, and another column of the name is not taken instead.
    const std::vector<ServerColumn> odd{{"A\xff", ServerColumnKind::Integer}, {"a\xff", ServerColumnKind::Integer}};
    EXPECT_EQ(PostgresCondition(Parse("[a\xff] = 1"), odd).sql, "");
}

TEST_F(ServerConditionTest, TimesAreWidenedToTheClientsReading) {
    ExpectConditions({
        {"WHEN = #3/1/2008 6:00:00 AM#",
         R"(("WHEN" >= TIMESTAMP '2008-03-01 05:59:59.000000' AND "WHEN" <= TIMESTAMP '2008-03-01 06:00:01.000000'))",
         false},
        {"WHEN <= #2008-03-01 06:00#", R"("WHEN" <= TIMESTAMP '2008-03-01 06:00:01.000000')", false},
        {"WHEN >= #2008-03-01# AND WHEN < #2008-03-02#",
         R"(("WHEN" >= TIMESTAMP '2008-02-29 23:59:59.000000' AND "WHEN" <= TIMESTAMP '2008-03-02 00:00:01.000000'))",
         false},
        {"WHEN = 39508.25",
         R"(("WHEN" >= TIMESTAMP '2008-03-01 05:59:59.000000' AND "WHEN" <= TIMESTAMP '2008-03-01 06:00:01.000000'))",
         false},
        // The client reads date texts to the second.
        {"WHEN > '2008-03-01 06:00:00.5'", R"("WHEN" >= TIMESTAMP '2008-03-01 05:59:59.000000')", false},
        {"Zoned < #2008-03-01 06:00#", R"("Zoned" <= TIMESTAMPTZ '2008-03-01 06:00:01.000000+00')", false},
        {"DAY = #2008-03-01#",
         R"(("DAY" >= TIMESTAMP '2008-02-29 23:59:59.000000' AND "DAY" <= TIMESTAMP '2008-03-01 00:00:01.000000'))",
         false},
        {"WHEN <> #2008-03-01#", R"("WHEN" IS NOT NULL)", false},
        {"WHEN IN (#2008-03-01#, 39508.5)",
         R"((("WHEN" >= TIMESTAMP '2008-02-29 23:59:59.000000' AND "WHEN" <= TIMESTAMP '2008-03-01 00:00:01.000000'))"
         R"( OR ("WHEN" >= TIMESTAMP '2008-03-01 11:59:59.000000' AND "WHEN" <= TIMESTAMP '2008-03-01 12:00:01.000000')))",
         false},
        // Before 31 December 1899 a serial's order is not its time's order.
        {"WHEN = #12/29/1899#", "", false},
        {"WHEN < 1e300", "", false},
        {"WHEN = 'soon'", "", false},
    });
}

TEST_F(ServerConditionTest, ZoneConversionsWidenTheTimesTheyMove) {
    const platform::TimeReading to_utc{std::nullopt, platform::TimeZone::Utc()};
    // Times without a zone in a layer that names none are already display times; instants move by the display zone.
    ExpectConditions({{"WHEN >= #2008-03-01#", R"("WHEN" >= TIMESTAMP '2008-02-29 23:59:59.000000')", false},
                      {"Zoned >= #2008-03-01#", R"("Zoned" >= TIMESTAMPTZ '2008-02-29 07:59:59.000000+00')", false},
                      {"Zoned >= 39508", R"("Zoned" >= TIMESTAMPTZ '2008-02-29 23:59:59.000000+00')", false}},
                     to_utc);
    const platform::TimeReading berlin_to_utc{platform::TimeZone::Parse("Europe/Berlin"), platform::TimeZone::Utc()};
    ExpectConditions({{"WHEN <= #2008-03-01#", R"("WHEN" <= TIMESTAMP '2008-03-02 08:00:01.000000')", false},
                      {"DAY <= #2008-03-01#", R"("DAY" <= TIMESTAMP '2008-03-02 08:00:01.000000')", false},
                      {"N = #2008-03-01#", R"("N" = 39508)", true}},
                     berlin_to_utc);
}

TEST_F(ServerConditionTest, WhatCannotBeWrittenIsLeftToTheClient) {
    ExpectConditions({
        {"N = 1 AND MISSING = 2", R"("N" = 1)", false},
        {"N = 1 AND N = D AND NAME = 'x'", R"(("N" = 1 AND "NAME" = 'x'))", false},
        {"N = 1 OR MISSING = 2", "", false},
        {"N = 1 OR NAME = 'x'", R"(("N" = 1 OR "NAME" = 'x'))", true},
        {"(N = 1 OR D = 2) AND WHEN = #2008-03-01#",
         R"((("N" = 1 OR "D" = float8 '2') AND ("WHEN" >= TIMESTAMP '2008-02-29 23:59:59.000000' AND "WHEN" <= )"
         R"(TIMESTAMP '2008-03-01 00:00:01.000000')))",
         false},
        // The NOT of a wider condition would be a narrower one.
        {"NOT N = 1", R"(NOT ("N" = 1))", true},
        {"NOT (N = 1 AND MISSING = 2)", "", false},
        {"NOT D = 1", "", false},
        {"NOT WHEN = #2008-03-01#", "", false},
        {"N NOT IN (1, 2)", R"(NOT ("N" IN (1, 2)))", true},
        {"N NOT BETWEEN 1 AND 5", R"(NOT (("N" >= 1 AND "N" <= 5)))", true},
        {"N IS NULL AND NOT NAME IS NULL", R"(("N" IS NULL AND NOT ("NAME" IS NULL)))", true},
        {"N = D", "", false},
    });
}

TEST_F(ServerConditionTest, PredicatesWithoutFieldsAreAnsweredOnce) {
    ExpectConditions({
        {"1 = 1 AND N = 2", R"((TRUE AND "N" = 2))", true},
        {"'10' > 9", "TRUE", true},
        {"'a' < 'B'", "FALSE", true},
        {"'x' = 1 OR N = 2", R"((NULL OR "N" = 2))", true},
        {"5 IS NULL", "FALSE", true},
        {"'abc' LIKE 'a%'", "TRUE", true},
        {"2 NOT IN (1, 3)", "TRUE", true},
        {"2 BETWEEN 3 AND 1", "FALSE", true},
        {"5 LIKE '5'", "", false}, // the client refuses the clause
    });
}

TEST_F(ServerConditionTest, TheDeepestClausesTranslate) {
    std::string clause = "N = 1";
    for (size_t i = 0; i < kMaxNesting; ++i) {
        clause = "NOT " + clause;
    }
    const ServerCondition condition = PostgresCondition(Parse(clause), Columns());
    EXPECT_TRUE(condition.exact);
    EXPECT_EQ(condition.sql.size(), std::string(R"("N" = 1)").size() + kMaxNesting * std::string("NOT ()").size());
}

} // namespace
} // namespace chronova::gis::sql
