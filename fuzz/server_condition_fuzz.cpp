// Where clauses come from project files and automation clients, and a database source sends their translation to
// the server: whatever the clause, the SQL written must keep every constant and name inside its quotes. A small
// scanner reads the output as PostgreSQL would, with standard_conforming_strings on or off, and traps on an
// unclosed quote, a statement separator or comment, a dollar quote or any character the translation never writes.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "gis/sql/node.h"
#include "gis/sql/parser.h"
#include "gis/sql/server_condition.h"
#include "platform/automation_error.h"
#include "platform/time_zone.h"

using namespace chronova;

namespace {

// Bytes outside quotes: keywords, numbers, operators and parentheses.
bool IsPlainByte(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
           std::string_view(" ()<>=,.+-").find(c) != std::string_view::npos;
}

// Whether the text is a well-formed condition as far as quoting goes.
bool IsSafeCondition(std::string_view sql) {
    int depth = 0;
    size_t at = 0;
    while (at < sql.size()) {
        const char c = sql[at];
        if (c == '\0') {
            return false;
        }
        if (c == '"' || c == '\'') {
            // An escape string reads backslashes; a plain one must hold none, since a server with
            // standard_conforming_strings off would read them too.
            const bool escape_string = c == '\'' && at > 0 && (sql[at - 1] == 'E' || sql[at - 1] == 'e');
            ++at;
            bool closed = false;
            while (at < sql.size()) {
                const char inside = sql[at];
                if (inside == '\0' || (c == '\'' && inside == '\\' && !escape_string)) {
                    return false;
                }
                if (escape_string && inside == '\\') {
                    at += 2;
                    continue;
                }
                if (inside == c) {
                    if (at + 1 < sql.size() && sql[at + 1] == c) {
                        at += 2;
                        continue;
                    }
                    ++at;
                    closed = true;
                    break;
                }
                ++at;
            }
            if (!closed) {
                return false;
            }
            continue;
        }
        if (!IsPlainByte(c) || sql.substr(at, 2) == "--") {
            return false;
        }
        depth += c == '(' ? 1 : (c == ')' ? -1 : 0);
        if (depth < 0) {
            return false;
        }
        ++at;
    }
    return depth == 0;
}

const std::vector<gis::sql::ServerColumn>& Columns() {
    using Kind = gis::sql::ServerColumnKind;
    static const std::vector<gis::sql::ServerColumn> columns{
        {"N", Kind::Integer},
        {"D", Kind::Real},
        {"S", Kind::Single},
        {"NAME", Kind::Text},
        {"WHEN", Kind::Timestamp},
        {"ZONED", Kind::TimestampWithZone},
        {"DAY", Kind::Date},
        {"FLAG", Kind::Other},
        {"q\"uote", Kind::Text},
        {"semi;--/*", Kind::Integer},
        {"back\\slash'", Kind::Timestamp},
    };
    return columns;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    if (gis::sql::IsBlankClause(text)) {
        return 0;
    }
    gis::sql::Node root;
    try {
        root = gis::sql::Parse(text);
    } catch (const platform::AutomationError&) {
        return 0;
    }
    static const platform::TimeReading converting{platform::TimeZone::Parse("+05:30"), platform::TimeZone::Utc()};
    for (const platform::TimeReading& reading : {platform::TimeReading{}, converting}) {
        const gis::sql::ServerCondition condition = gis::sql::PostgresCondition(root, Columns(), reading);
        if (!IsSafeCondition(condition.sql) || (condition.sql.empty() && condition.exact)) {
            __builtin_trap();
        }
    }
    return 0;
}
