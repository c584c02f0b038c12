#include "gis/sql/server_condition.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "gis/sql/bound_clause.h"
#include "platform/automation_error.h"
#include "platform/conversions.h"
#include "platform/date_text.h"
#include "platform/ole_date.h"
#include "platform/text.h"

namespace chronova::gis::sql {

namespace {

constexpr int64_t kMicrosecondsPerDay = 86'400'000'000;
constexpr int64_t kMicrosecondsPerHour = 3'600'000'000;
// The client reads times through a single-precision seconds field: a second either side covers its rounding.
constexpr int64_t kReadingSlack = 1'000'000;
// The furthest a zone (local mean times of the 1800s included) sets its clocks from UTC.
constexpr int64_t kZoneSlack = 16 * kMicrosecondsPerHour;
// Doubles hold every whole number below this, so a whole-number column compares with such a constant exactly.
constexpr double kExactWholeNumbers = 9007199254740992.0; // 2^53
// OLE serials from 31 December 1899 (before it, serials do not order as the times they stand for) to the year 9999.
constexpr double kFirstOrderedSerial = 1.0;
constexpr double kEndOfYear9999 = 2958466.0;

// A written part of a clause. `same_truth`: true, false and unknown on exactly the rows where the client finds
// it so, which keeps a NOT over it faithful. `same_rows`: true on exactly the rows where the client finds it
// true (a NaN, which the server orders as a number and the client reads as null, breaks only the first).
// Otherwise the part is true at least on those rows.
struct Part {
    std::string sql;
    bool same_truth = true;
    bool same_rows = true;
};

// Whether the server takes the text as UTF-8: no NUL, no overlong form, surrogate or code point past U+10FFFF.
bool IsServerText(std::string_view text) noexcept {
    size_t at = 0;
    while (at < text.size()) {
        const auto lead = static_cast<unsigned char>(text[at]);
        if (lead == 0) {
            return false;
        }
        if (lead < 0x80) {
            ++at;
            continue;
        }
        size_t length = 0;
        uint32_t code = 0;
        uint32_t least = 0;
        if ((lead & 0xE0U) == 0xC0U) {
            length = 2;
            code = lead & 0x1FU;
            least = 0x80;
        } else if ((lead & 0xF0U) == 0xE0U) {
            length = 3;
            code = lead & 0x0FU;
            least = 0x800;
        } else if ((lead & 0xF8U) == 0xF0U) {
            length = 4;
            code = lead & 0x07U;
            least = 0x10000;
        } else {
            return false;
        }
        if (text.size() - at < length) {
            return false;
        }
        for (size_t i = 1; i < length; ++i) {
            const auto next = static_cast<unsigned char>(text[at + i]);
            if ((next & 0xC0U) != 0x80U) {
                return false;
            }
            code = (code << 6U) | (next & 0x3FU);
        }
        if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
            return false;
        }
        at += length;
    }
    return true;
}

// A string constant; a quote inside is doubled. A text with a backslash is written as an escape string with the
// backslashes doubled, which reads the same whatever standard_conforming_strings says. Nothing for a text the
// server would refuse.
std::optional<std::string> QuotedText(std::string_view text) {
    if (!IsServerText(text)) {
        return std::nullopt;
    }
    const bool escaped = text.find('\\') != std::string_view::npos;
    std::string quoted = escaped ? "E'" : "'";
    for (const char c : text) {
        if (c == '\'' || (escaped && c == '\\')) {
            quoted += c;
        }
        quoted += c;
    }
    quoted += '\'';
    return quoted;
}

// The shortest text that reads back as the same number.
template <typename Number>
std::string ShortestText(Number number) {
    if constexpr (std::is_floating_point_v<Number>) {
        if (std::isinf(number)) {
            return number > 0 ? "Infinity" : "-Infinity";
        }
    }
    char buffer[64];
    const auto written = std::to_chars(std::begin(buffer), std::end(buffer), number);
    return {std::begin(buffer), written.ptr};
}

// "YYYY-MM-DD HH:MM:SS.ffffff" of a moment given in microseconds since 30 December 1899.
std::string TimestampText(int64_t microseconds) {
    int64_t day = microseconds / kMicrosecondsPerDay;
    int64_t rest = microseconds % kMicrosecondsPerDay;
    if (rest < 0) {
        rest += kMicrosecondsPerDay;
        --day;
    }
    int year = 0;
    int month = 0;
    int day_of_month = 0;
    platform::DayNumberToCivil(day, year, month, day_of_month);
    const int64_t seconds = rest / 1'000'000;
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d.%06d", year, month, day_of_month,
                  static_cast<int>(seconds / 3600), static_cast<int>(seconds / 60 % 60), static_cast<int>(seconds % 60),
                  static_cast<int>(rest % 1'000'000));
    return buffer;
}

// A constant compared with a numeric or date column, read as the client reads it: a text reads as a number or a
// date, the date first for a date column. `is_date` when it stands for a date (the client then compares a date
// column's times as the reading shows them rather than as stored).
struct NumericConstant {
    double number = 0.0;
    bool is_date = false;
};

std::optional<NumericConstant> ReadNumeric(const Literal& literal, bool date_first) {
    switch (literal.kind) {
    case Literal::Kind::Number:
        return NumericConstant{literal.number, false};
    case Literal::Kind::Date:
        return NumericConstant{literal.number, true};
    case Literal::Kind::Text:
        break;
    }
    const auto as_date = [&]() -> std::optional<NumericConstant> {
        const auto date = platform::TryParseDate(literal.text);
        return date ? std::optional(NumericConstant{date->Serial(), true}) : std::nullopt;
    };
    const auto as_number = [&]() -> std::optional<NumericConstant> {
        try {
            const auto number = platform::ParseNumber(literal.text);
            return number ? std::optional(NumericConstant{*number, false}) : std::nullopt;
        } catch (const platform::AutomationError&) {
            return std::nullopt; // too large for a double
        }
    };
    auto first = date_first ? as_date() : as_number();
    return first ? first : (date_first ? as_number() : as_date());
}

bool IsTimeKind(ServerColumnKind kind) noexcept {
    return kind == ServerColumnKind::Date || kind == ServerColumnKind::Timestamp ||
           kind == ServerColumnKind::TimestampWithZone;
}

bool IsOrdering(CompareOp op) noexcept {
    return op != CompareOp::Equal && op != CompareOp::NotEqual;
}

// An AND of the parts that could be written; the others are dropped, which lets more rows through.
std::optional<Part> AllOf(std::vector<std::optional<Part>> parts) {
    std::vector<Part*> kept;
    kept.reserve(parts.size());
    for (std::optional<Part>& part : parts) {
        if (part) {
            kept.push_back(&*part);
        }
    }
    if (kept.empty()) {
        return std::nullopt;
    }
    if (kept.size() == 1 && parts.size() == 1) {
        return std::move(*kept.front());
    }
    const bool whole = kept.size() == parts.size();
    Part all{kept.size() == 1 ? std::move(kept.front()->sql) : "(" + kept.front()->sql, whole, whole};
    for (size_t i = 0; i < kept.size(); ++i) {
        if (i > 0) {
            all.sql += " AND " + kept[i]->sql;
        }
        all.same_truth = all.same_truth && kept[i]->same_truth;
        all.same_rows = all.same_rows && kept[i]->same_rows;
    }
    if (kept.size() > 1) {
        all.sql += ")";
    }
    return all;
}

// An OR, written only when every part is: a missing part could let any row through.
std::optional<Part> AnyOf(std::vector<std::optional<Part>> parts) {
    if (parts.empty() || !std::all_of(parts.begin(), parts.end(), [](const auto& part) { return part.has_value(); })) {
        return std::nullopt;
    }
    if (parts.size() == 1) {
        return std::move(parts.front());
    }
    Part any{"(", true, true};
    for (size_t i = 0; i < parts.size(); ++i) {
        any.sql += (i == 0 ? "" : " OR ") + parts[i]->sql;
        any.same_truth = any.same_truth && parts[i]->same_truth;
        any.same_rows = any.same_rows && parts[i]->same_rows;
    }
    any.sql += ")";
    return any;
}

// A NOT, written only over a part that is true, false and unknown where the client finds it so: the NOT of a
// wider part would be a narrower one.
std::optional<Part> NoneOf(std::optional<Part> part) {
    if (!part || !part->same_truth) {
        return std::nullopt;
    }
    part->sql = "NOT (" + part->sql + ")";
    return part;
}

class Translator {
public:
    Translator(const std::vector<ServerColumn>& columns, const platform::TimeReading& reading)
        : columns_(columns), reading_(reading) {}

    std::optional<Part> Translate(const Node& node) const {
        switch (node.kind) {
        case NodeKind::And:
        case NodeKind::Or: {
            std::vector<std::optional<Part>> parts;
            parts.reserve(node.children.size());
            for (const Node& child : node.children) {
                parts.push_back(Translate(child));
            }
            return node.kind == NodeKind::And ? AllOf(std::move(parts)) : AnyOf(std::move(parts));
        }
        case NodeKind::Not:
            return NoneOf(Translate(node.children.front()));
        case NodeKind::Compare:
            return Comparison(node);
        case NodeKind::In:
        case NodeKind::Between:
        case NodeKind::Like:
        case NodeKind::IsNull:
            break;
        }
        if (!node.left.is_field) {
            return Constant(node);
        }
        const ServerColumn* column = Find(node.left.field);
        if (column == nullptr) {
            return std::nullopt;
        }
        switch (node.kind) {
        case NodeKind::IsNull:
            return Part{QuotedName(column->name) + (node.negated ? " IS NOT NULL" : " IS NULL")};
        case NodeKind::Like: {
            const auto pattern = QuotedText(node.values.front().text);
            if (column->kind != ServerColumnKind::Text || !pattern) {
                return std::nullopt;
            }
            return Negated(Part{QuotedName(column->name) + " LIKE " + *pattern + " ESCAPE ''"}, node.negated);
        }
        case NodeKind::Between:
            return Negated(AllOf({Compared(*column, CompareOp::GreaterEqual, node.values[0]),
                                  Compared(*column, CompareOp::LessEqual, node.values[1])}),
                           node.negated);
        default:
            return Negated(InList(*column, node.values), node.negated);
        }
    }

private:
    static std::optional<Part> Negated(std::optional<Part> part, bool negated) {
        return negated ? NoneOf(std::move(part)) : part;
    }

    // The column a field names: the first whose name matches, letter case ignored, as the client finds fields.
    const ServerColumn* Find(std::string_view field) const {
        for (const ServerColumn& column : columns_) {
            if (platform::IEquals(column.name, field)) {
                return IsServerText(column.name) ? &column : nullptr;
            }
        }
        return nullptr;
    }

    // A predicate without a field has one answer for every row, the client's own.
    static std::optional<Part> Constant(const Node& node) {
        BoundNode bound;
        bound.kind = node.kind;
        bound.op = node.op;
        bound.negated = node.negated;
        bound.left.constant = ConstantOf(node.left.literal);
        bound.right.constant = ConstantOf(node.right.literal);
        if (node.kind == NodeKind::Like && bound.left.constant.kind != Value::Kind::Text) {
            return std::nullopt; // the client refuses the clause
        }
        bound.values.reserve(node.values.size());
        for (const Literal& literal : node.values) {
            bound.values.push_back(ConstantOf(literal));
        }
        switch (bound.Evaluate(0)) {
        case Truth::True:
            return Part{"TRUE"};
        case Truth::False:
            return Part{"FALSE"};
        case Truth::Unknown:
            break;
        }
        return Part{"NULL"};
    }

    std::optional<Part> Comparison(const Node& node) const {
        if (node.left.is_field == node.right.is_field) {
            // Two constants answer alike on every row; two fields are left to the client.
            return node.left.is_field ? std::nullopt : Constant(node);
        }
        const bool field_left = node.left.is_field;
        const ServerColumn* column = Find(field_left ? node.left.field : node.right.field);
        if (column == nullptr) {
            return std::nullopt;
        }
        return Compared(*column, field_left ? node.op : Mirrored(node.op),
                        field_left ? node.right.literal : node.left.literal);
    }

    // `column op constant`.
    std::optional<Part> Compared(const ServerColumn& column, CompareOp op, const Literal& literal) const {
        const std::string name = QuotedName(column.name);
        if (IsTimeKind(column.kind)) {
            const auto window = TimeWindow(column.kind, literal);
            if (!window) {
                return std::nullopt;
            }
            switch (op) {
            case CompareOp::Equal:
                return Part{"(" + name + " >= " + window->first + " AND " + name + " <= " + window->second + ")", false,
                            false};
            case CompareOp::NotEqual:
                return Part{name + " IS NOT NULL", false, false};
            case CompareOp::Less:
            case CompareOp::LessEqual:
                return Part{name + " <= " + window->second, false, false};
            case CompareOp::Greater:
            case CompareOp::GreaterEqual:
                return Part{name + " >= " + window->first, false, false};
            }
        }
        const auto constant = ValueConstant(column.kind, literal);
        if (!constant) {
            return std::nullopt;
        }
        // Texts order byte by byte on the client, which is the C collation's order.
        const bool bytewise = column.kind == ServerColumnKind::Text && IsOrdering(op);
        Part part{name + (bytewise ? " COLLATE \"C\" " : " ") + OperatorText(op) + " " + *constant};
        if (column.kind == ServerColumnKind::Single || column.kind == ServerColumnKind::Real) {
            // The server orders NaN above every number; the client reads it as null.
            part.same_truth = false;
            part.same_rows = op == CompareOp::Equal || op == CompareOp::Less || op == CompareOp::LessEqual;
        }
        return part;
    }

    std::optional<Part> InList(const ServerColumn& column, const std::vector<Literal>& values) const {
        if (IsTimeKind(column.kind)) {
            std::vector<std::optional<Part>> windows;
            windows.reserve(values.size());
            for (const Literal& value : values) {
                windows.push_back(Compared(column, CompareOp::Equal, value));
            }
            return AnyOf(std::move(windows));
        }
        std::string list;
        for (const Literal& value : values) {
            const auto constant = ValueConstant(column.kind, value);
            if (!constant) {
                return std::nullopt;
            }
            list += (list.empty() ? "" : ", ") + *constant;
        }
        auto part = Compared(column, CompareOp::Equal, values.front());
        if (part) {
            part->sql = QuotedName(column.name) + " IN (" + list + ")";
        }
        return part;
    }

    // A constant for a comparison with a number or text column, compared as the client compares it.
    static std::optional<std::string> ValueConstant(ServerColumnKind kind, const Literal& literal) {
        switch (kind) {
        case ServerColumnKind::Text:
            return literal.kind == Literal::Kind::Text ? QuotedText(literal.text) : std::nullopt;
        case ServerColumnKind::Integer:
        case ServerColumnKind::Single:
        case ServerColumnKind::Real:
            break;
        default:
            return std::nullopt;
        }
        const auto read = ReadNumeric(literal, false);
        // NaN equals every number on the client and none on the server.
        if (!read || std::isnan(read->number)) {
            return std::nullopt;
        }
        const double number = read->number;
        if (kind == ServerColumnKind::Integer) {
            // The client reads big integers as doubles, so only constants within a double's whole numbers compare
            // alike; an integer constant keeps the column's index usable.
            if (!(std::fabs(number) < kExactWholeNumbers)) {
                return std::nullopt;
            }
            if (number == std::trunc(number)) {
                return ShortestText(static_cast<int64_t>(number));
            }
            return ShortestText(number);
        }
        if (kind == ServerColumnKind::Single && std::fabs(number) <= std::numeric_limits<float>::max()) {
            // The client rounds a constant for a single-precision field to single precision too.
            return "float4 '" + ShortestText(static_cast<float>(number)) + "'";
        }
        return "float8 '" + ShortestText(number) + "'";
    }

    // The bounds of the times a time column may hold where the client reads the constant's time, as timestamp
    // constants: the client reads the server's times to the millisecond, and the reading may shift them by zones.
    std::optional<std::pair<std::string, std::string>> TimeWindow(ServerColumnKind kind, const Literal& literal) const {
        const auto read = ReadNumeric(literal, true);
        if (!read || !(read->number >= kFirstOrderedSerial && read->number < kEndOfYear9999)) {
            return std::nullopt;
        }
        const auto moment = std::llround(read->number * static_cast<double>(kMicrosecondsPerDay));
        const int64_t slack = kReadingSlack + (read->is_date ? ZoneShift(kind) : 0);
        const bool zoned = kind == ServerColumnKind::TimestampWithZone;
        const auto constant = [&](int64_t microseconds) {
            return (zoned ? "TIMESTAMPTZ '" : "TIMESTAMP '") + TimestampText(microseconds) + (zoned ? "+00'" : "'");
        };
        return std::pair(constant(moment - slack), constant(moment + slack));
    }

    // How far the reading may move a stored time of the column's kind: times with a zone are instants shown in
    // the display zone; times without one are taken as the layer's zone's wall-clock times, if it names one.
    int64_t ZoneShift(ServerColumnKind kind) const {
        if (reading_.IsIdentity()) {
            return 0;
        }
        if (kind == ServerColumnKind::TimestampWithZone) {
            return kZoneSlack;
        }
        return reading_.layer_zone ? 2 * kZoneSlack : 0;
    }

    const std::vector<ServerColumn>& columns_;
    const platform::TimeReading& reading_;
};

} // namespace

std::string QuotedName(std::string_view name) {
    std::string quoted = "\"";
    for (const char c : name) {
        if (c == '"') {
            quoted += '"';
        }
        quoted += c;
    }
    quoted += '"';
    return quoted;
}

ServerCondition PostgresCondition(const Node& root, const std::vector<ServerColumn>& columns,
                                  const platform::TimeReading& reading) {
    auto part = Translator(columns, reading).Translate(root);
    if (!part) {
        return {};
    }
    return {std::move(part->sql), part->same_rows};
}

} // namespace chronova::gis::sql
