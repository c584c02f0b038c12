#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "gis/data/column_table.h"
#include "gis/data/time_values.h"
#include "gis/sql/node.h"

namespace chronova::gis::sql {

//! A condition's answer for one row: a comparison with a null (or with a text that does not read as the
//! number it is compared with) is Unknown, and a row passes only when the whole clause is True.
enum class Truth : uint8_t { False, True, Unknown };

/// A value as conditions compare it: a number, a date (its OLE serial), a text, or null.
struct Value {
    enum class Kind : uint8_t { Null, Number, Date, Text };
    Kind kind = Kind::Null;
    double number = 0.0;
    std::string_view text;

    bool IsNumeric() const noexcept { return kind == Kind::Number || kind == Kind::Date; }
};

/// One side of a bound predicate: a column of the table or a constant.
struct BoundOperand {
    const Column* column = nullptr; ///< the field's column; null for a constant
    size_t field = 0;               ///< the field's position in the table
    Value constant;
    /// A date or text field compared with a date: its values read as times under the table's time reading.
    const TimeValues* times = nullptr;

    bool IsField() const noexcept { return column != nullptr; }
    /// The operand's value in a row; NaN reads as null, so it matches no comparison.
    Value At(size_t row) const noexcept;
};

/// A parsed clause tied to one table: fields resolved to columns and literals converted to what their
/// fields compare with. Texts point into the parsed clause, which must outlive this object.
struct BoundNode {
    NodeKind kind = NodeKind::Compare;
    CompareOp op = CompareOp::Equal;
    bool negated = false;
    BoundOperand left;
    BoundOperand right;
    std::vector<Value> values; ///< In: the list; Between: low, high; Like: the pattern
    std::vector<BoundNode> children;

    /// The condition's answer for one row.
    Truth Evaluate(size_t row) const;
};

/// Ties a parsed clause to a table. A text field compared with a date reads its texts as times (ISO texts
/// with their offsets) under the reading, as does a date field when the reading converts zones. Raises
/// kInvalidSqlStatement for a field that is not in the table and 13 (type mismatch) for a 'text' literal that is
/// neither a number nor a date against a numeric field, for LIKE on a field that is not text, and for a geometry or
/// blob field in a condition.
BoundNode Bind(const Node& node, const ColumnTable& table, const platform::TimeReading& reading = {});

/// The answer of `a op b`: numbers and dates compare by value, texts byte by byte, and a text compared
/// with a number (or a date) by the number (or date) it reads as, Unknown when it reads as none.
Truth Compare(const Value& a, CompareOp op, const Value& b);
/// The value a literal of a clause stands for.
Value ConstantOf(const Literal& literal);

} // namespace chronova::gis::sql
