// Random clauses over one small table held twice: in PostgreSQL, and on the client as the client reads it. The
// server's condition must let through every row the clause lets through on the client, and no other when it
// claims to be exact.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "gis/data/column_table.h"
#include "gis/ogr/value_conversion.h"
#include "gis/sql/server_condition.h"
#include "gis/sql/where_clause.h"
#include "platform/automation_error.h"
#include "platform/locale.h"
#include "platform/ole_date.h"
#include "support/test_database.h"

namespace chronova::gis::sql {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInfinity = std::numeric_limits<double>::infinity();
constexpr int64_t kMicrosecondsPerHour = 3'600'000'000;

// Microseconds since 1 March 2008 of step `step` (6 hours apart from 06:00) moved by `offset`.
int64_t StepTime(int step, int64_t offset) {
    return (step + 1) * 6 * kMicrosecondsPerHour + offset;
}

std::string TimeText(int64_t microseconds) {
    const int64_t seconds = microseconds / 1'000'000;
    const int day = static_cast<int>(seconds / 86400);
    char text[64];
    std::snprintf(text, sizeof text, "2008-03-%02d %02d:%02d:%02d.%06d", 1 + day, static_cast<int>(seconds / 3600 % 24),
                  static_cast<int>(seconds / 60 % 60), static_cast<int>(seconds % 60),
                  static_cast<int>(microseconds % 1'000'000));
    return text;
}

// The OLE date the client reads for a timestamp: GDAL hands out the seconds as a float.
double ClientTime(int64_t microseconds) {
    const int64_t seconds = microseconds / 1'000'000;
    const float second =
        static_cast<float>(static_cast<double>(seconds % 60) + static_cast<double>(microseconds % 1'000'000) / 1e6);
    return OleDateFromUnixMilliseconds(UnixMillisecondsFromParts(2008, 3, 1 + static_cast<int>(seconds / 86400),
                                                                 static_cast<int>(seconds / 3600 % 24),
                                                                 static_cast<int>(seconds / 60 % 60), second));
}

std::string SqlText(const std::string& text) {
    std::string quoted = "'";
    for (const char c : text) {
        quoted += c == '\'' ? std::string("''") : std::string(1, c);
    }
    return quoted + "'";
}

std::string SqlNumber(double number) {
    if (std::isnan(number)) {
        return "'NaN'";
    }
    if (std::isinf(number)) {
        return number > 0 ? "'Infinity'" : "'-Infinity'";
    }
    char text[40];
    std::snprintf(text, sizeof text, "%.17g", number);
    return text;
}

const std::vector<std::string> kTexts{
    "", "a", "B", "it's", "back\\slash", "50%", "a_b", "ab", "\xc3\xa9t\xc3\xa9", "x;--", "\"q\"", "2008", "Z"};
const std::vector<double> kReals{0, -1, 0.1, 2.5, 39508.25, 1e10, kNaN, kInfinity, -kInfinity, -0.0};
const std::vector<float> kSingles{0.1F, 0.2F, 0.3F, 2.5F, 1e30F, std::numeric_limits<float>::quiet_NaN()};
const std::vector<int64_t> kBigs{9007199254740993, 9007199254740992, -9007199254740993, 5, 0};
const std::vector<int64_t> kTimeOffsets{0, 1, -1, 500, -400, 999'600, -999'600, 1'500'000, -2'000'000};

// The table, on the server and on the client.
class TwinTable {
public:
    explicit TwinTable(testing::TestDatabase& database) : table_(std::make_shared<ColumnTable>("twin")) {
        Column& n = table_->AddField({"N", "", FieldType::Integer});
        Column& big = table_->AddField({"Big", "", FieldType::Double}); // the client has no 64-bit integers
        Column& d = table_->AddField({"D", "", FieldType::Double});
        Column& s = table_->AddField({"S", "", FieldType::Single});
        Column& name = table_->AddField({"Name", "", FieldType::String});
        Column& when = table_->AddField({"When", "", FieldType::Date});
        Column& zoned = table_->AddField({"Zoned", "", FieldType::Date});
        Column& day = table_->AddField({"Day", "", FieldType::Date});
        // Texts in a collation of the language rather than of the bytes, as most servers have them.
        std::string insert =
            "CREATE TABLE twin (id integer, \"N\" integer, \"Big\" bigint, \"D\" double precision, "
            "\"S\" real, \"Name\" text COLLATE \"und-x-icu\", \"When\" timestamp, \"Zoned\" timestamptz, \"Day\" date);"
            "INSERT INTO twin VALUES ";
        std::mt19937 random(7);
        const auto pick = [&](size_t count) { return static_cast<size_t>(random() % count); };
        for (int row = 0; row < kRows; ++row) {
            const bool null = row % 9 == 4;
            const auto n_value = static_cast<int32_t>(pick(48)) - 6;
            const int64_t big_value = kBigs[pick(kBigs.size())];
            const double d_value = kReals[pick(kReals.size())];
            const float s_value = kSingles[pick(kSingles.size())];
            const std::string& text = kTexts[pick(kTexts.size())];
            const int64_t time = StepTime(static_cast<int>(pick(8)), kTimeOffsets[pick(kTimeOffsets.size())]);
            const int day_value = static_cast<int>(pick(3));
            insert += (row == 0 ? "(" : ", (") + std::to_string(row);
            if (null) {
                insert += ", NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL)";
                for (Column* column : {&n, &big, &d, &s, &name, &when, &zoned, &day}) {
                    column->AppendNull();
                }
                continue;
            }
            insert += ", " + std::to_string(n_value) + ", " + std::to_string(big_value) + ", " + SqlNumber(d_value) +
                      ", " + SqlNumber(s_value) + ", " + SqlText(text) + ", '" + TimeText(time) + "', '" +
                      TimeText(time) + "+00', '2008-03-0" + std::to_string(1 + day_value) + "')";
            n.AppendInteger(n_value);
            big.AppendReal(static_cast<double>(big_value));
            d.AppendReal(d_value);
            s.AppendReal(s_value);
            name.AppendText(text);
            when.AppendReal(ClientTime(time));
            zoned.AppendZonedReal(ClientTime(time), 0);
            day.AppendReal(platform::Date::FromParts(2008, 3, 1 + day_value).Serial());
        }
        database.Execute(insert);
    }

    const ColumnTable& Client() const { return *table_; }
    static const std::vector<ServerColumn>& Columns() {
        static const std::vector<ServerColumn> columns{
            {"N", ServerColumnKind::Integer},
            {"Big", ServerColumnKind::Integer},
            {"D", ServerColumnKind::Real},
            {"S", ServerColumnKind::Single},
            {"Name", ServerColumnKind::Text},
            {"When", ServerColumnKind::Timestamp},
            {"Zoned", ServerColumnKind::TimestampWithZone},
            {"Day", ServerColumnKind::Date},
        };
        return columns;
    }

    static constexpr int kRows = 90;

private:
    std::shared_ptr<ColumnTable> table_;
};

// Clauses over the table's fields, with constants near its values so that they select some rows.
class ClauseMaker {
public:
    std::string Clause(int depth) {
        const size_t choice = Pick(10);
        if (depth > 0 && choice < 2) {
            return "(" + Clause(depth - 1) + (choice == 0 ? " AND " : " OR ") + Clause(depth - 1) + ")";
        }
        if (depth > 0 && choice == 2) {
            return "NOT (" + Clause(depth - 1) + ")";
        }
        return Predicate();
    }

private:
    size_t Pick(size_t count) { return static_cast<size_t>(random_() % count); }

    std::string Field() {
        static const char* const fields[] = {"N", "big", "D", "S", "NAME", "When", "ZONED", "Day", "Missing"};
        return Pick(12) == 0 ? "[When]" : fields[Pick(std::size(fields))];
    }

    std::string Literal() {
        switch (Pick(6)) {
        case 0: {
            static const char* const numbers[] = {"0",    "-1", "0.1",   "2.5",    "39508.25",         "1E10",
                                                  "5",    "42", "0.3",   "-0.5",   "9007199254740992", "39508",
                                                  "1E30", "17", "39509", "39508.5"};
            return numbers[Pick(std::size(numbers))];
        }
        case 1: {
            std::string text = kTexts[Pick(kTexts.size())];
            std::string quoted = "'";
            for (const char c : text) {
                quoted += c == '\'' ? std::string("''") : std::string(1, c);
            }
            return quoted + "'";
        }
        case 2:
            return "'" + std::to_string(static_cast<int>(Pick(40)) - 5) + "'";
        default: {
            const int64_t time = StepTime(static_cast<int>(Pick(9)), Pick(4) == 0 ? 1'000'000 : 0);
            return "#" + TimeText(time).substr(0, 19) + "#";
        }
        }
    }

    std::string Predicate() {
        static const char* const operators[] = {"=", "<>", "<", "<=", ">", ">="};
        const std::string field = Field();
        switch (Pick(9)) {
        case 0:
            return Literal() + " " + operators[Pick(6)] + " " + field;
        case 1:
            return field + (Pick(2) == 0 ? " IN (" : " NOT IN (") + Literal() + ", " + Literal() + ")";
        case 2:
            return field + (Pick(2) == 0 ? " BETWEEN " : " NOT BETWEEN ") + Literal() + " AND " + Literal();
        case 3: {
            static const char* const patterns[] = {"'a%'",  "'%t%'", "'_'", "'back\\%'", "'%\xc3\xa9%'",
                                                   "'50%'", "'a_b'", "''",  "'%'"};
            return (Pick(3) == 0 ? "NAME" : field) + (Pick(2) == 0 ? " LIKE " : " NOT LIKE ") +
                   patterns[Pick(std::size(patterns))];
        }
        case 4:
            return field + (Pick(2) == 0 ? " IS NULL" : " IS NOT NULL");
        default:
            return field + " " + operators[Pick(6)] + " " + Literal();
        }
    }

    std::mt19937 random_{2008};
};

std::vector<uint32_t> ServerRows(testing::TestDatabase& database, const ServerCondition& condition) {
    const testing::QueryRows rows = database.Query(
        "SELECT id FROM twin" + (condition.sql.empty() ? std::string() : " WHERE " + condition.sql) + " ORDER BY id");
    std::vector<uint32_t> ids;
    ids.reserve(rows.size());
    for (const auto& row : rows) {
        ids.push_back(static_cast<uint32_t>(std::stoul(row.at(0))));
    }
    return ids;
}

TEST(ServerConditionServerTest, TheServerLetsThroughEveryRowTheClientDoes) {
    platform::ScopedLocale us{"en-US"};
    testing::TestDatabase database;
    database.Execute("SET TimeZone TO 'UTC'");
    const TwinTable twin(database);
    const platform::TimeReading readings[] = {
        {}, {platform::TimeZone::Parse("+05:30"), platform::TimeZone::Parse("America/New_York")}};
    ClauseMaker maker;
    int checked = 0;
    int exact = 0;
    int failures = 0;
    for (int i = 0; i < 1500 && failures < 10; ++i) {
        const std::string text = maker.Clause(3);
        const WhereClause clause = WhereClause::Parse(text);
        for (const platform::TimeReading& reading : readings) {
            RowIds client;
            try {
                client = clause.Select(twin.Client(), reading);
            } catch (const platform::AutomationError&) {
                continue; // a clause the client refuses: a field it lacks or a constant that does not suit
            }
            const ServerCondition condition = PostgresCondition(*clause.Root(), TwinTable::Columns(), reading);
            std::vector<uint32_t> server;
            try {
                server = ServerRows(database, condition);
            } catch (const std::exception& error) {
                ADD_FAILURE() << text << "\n  " << condition.sql << "\n  " << error.what();
                ++failures;
                continue;
            }
            ++checked;
            exact += condition.exact ? 1 : 0;
            const bool covers = std::includes(server.begin(), server.end(), client.begin(), client.end());
            if (!covers || (condition.exact && server != client)) {
                ADD_FAILURE() << text << "\n  " << condition.sql << (condition.exact ? " (exact)" : "")
                              << "\n  client rows " << ::testing::PrintToString(client) << "\n  server rows "
                              << ::testing::PrintToString(server);
                ++failures;
            }
        }
    }
    // Enough clauses reach the server, and enough of them exactly, for the check to mean something.
    EXPECT_GT(checked, 1000);
    EXPECT_GT(exact, 200);
}

} // namespace
} // namespace chronova::gis::sql
