#include "gis/sql/bound_clause.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <string>

#include "gis/gis_errors.h"
#include "gis/sql/like_pattern.h"
#include "platform/automation_error.h"
#include "platform/conversions.h"
#include "platform/date_text.h"

namespace chronova::gis::sql {

Value BoundOperand::At(size_t row) const noexcept {
    if (column == nullptr) {
        return constant;
    }
    if (times != nullptr) {
        const double time = times->At(row);
        return std::isnan(time) ? Value{} : Value{Value::Kind::Date, time, {}};
    }
    if (column->IsNull(row)) {
        return {};
    }
    switch (column->StorageKind()) {
    case Column::Storage::Integer:
        return Value{Value::Kind::Number, static_cast<double>(column->Integer(row)), {}};
    case Column::Storage::Real: {
        const double number = column->Real(row);
        if (std::isnan(number)) {
            return {};
        }
        return Value{column->Type() == FieldType::Date ? Value::Kind::Date : Value::Kind::Number, number, {}};
    }
    case Column::Storage::Text:
        return Value{Value::Kind::Text, 0.0, column->Text(row)};
    case Column::Storage::None:
        break;
    }
    return {};
}

namespace {

Truth Negate(Truth truth) noexcept {
    switch (truth) {
    case Truth::False:
        return Truth::True;
    case Truth::True:
        return Truth::False;
    case Truth::Unknown:
        break;
    }
    return Truth::Unknown;
}

Truth Both(Truth a, Truth b) noexcept {
    if (a == Truth::False || b == Truth::False) {
        return Truth::False;
    }
    return a == Truth::True && b == Truth::True ? Truth::True : Truth::Unknown;
}

Truth Of(bool value) noexcept {
    return value ? Truth::True : Truth::False;
}

// The number (or, for a date, the OLE serial) a text reads as.
std::optional<double> ReadText(std::string_view text, bool as_date) {
    if (as_date) {
        const auto date = platform::TryParseDate(text);
        return date ? std::optional<double>(date->Serial()) : std::nullopt;
    }
    try {
        return platform::ParseNumber(text);
    } catch (const platform::AutomationError&) {
        return std::nullopt; // a number too large for a double
    }
}

Truth Ordered(int order, CompareOp op) noexcept {
    switch (op) {
    case CompareOp::Equal:
        return Of(order == 0);
    case CompareOp::NotEqual:
        return Of(order != 0);
    case CompareOp::Less:
        return Of(order < 0);
    case CompareOp::LessEqual:
        return Of(order <= 0);
    case CompareOp::Greater:
        return Of(order > 0);
    case CompareOp::GreaterEqual:
        return Of(order >= 0);
    }
    return Truth::Unknown;
}

int OrderOf(double a, double b) noexcept {
    return (a > b) - (a < b);
}

} // namespace

Truth Compare(const Value& a, CompareOp op, const Value& b) {
    if (a.kind == Value::Kind::Null || b.kind == Value::Kind::Null) {
        return Truth::Unknown;
    }
    const bool a_text = a.kind == Value::Kind::Text;
    const bool b_text = b.kind == Value::Kind::Text;
    if (a_text && b_text) {
        const int order = a.text.compare(b.text);
        return Ordered((order > 0) - (order < 0), op);
    }
    if (!a_text && !b_text) {
        return Ordered(OrderOf(a.number, b.number), op);
    }
    const Value& number = a_text ? b : a;
    const auto read = ReadText(a_text ? a.text : b.text, number.kind == Value::Kind::Date);
    if (!read) {
        return Truth::Unknown;
    }
    return Ordered(a_text ? OrderOf(*read, b.number) : OrderOf(a.number, *read), op);
}

Truth BoundNode::Evaluate(size_t row) const {
    switch (kind) {
    case NodeKind::And: {
        bool unknown = false;
        for (const BoundNode& child : children) {
            const Truth truth = child.Evaluate(row);
            if (truth == Truth::False) {
                return Truth::False;
            }
            unknown = unknown || truth == Truth::Unknown;
        }
        return unknown ? Truth::Unknown : Truth::True;
    }
    case NodeKind::Or: {
        bool unknown = false;
        for (const BoundNode& child : children) {
            const Truth truth = child.Evaluate(row);
            if (truth == Truth::True) {
                return Truth::True;
            }
            unknown = unknown || truth == Truth::Unknown;
        }
        return unknown ? Truth::Unknown : Truth::False;
    }
    case NodeKind::Not:
        return Negate(children.front().Evaluate(row));
    case NodeKind::Compare:
        return sql::Compare(left.At(row), op, right.At(row));
    case NodeKind::In: {
        const Value value = left.At(row);
        Truth answer = Truth::False;
        for (const Value& item : values) {
            const Truth truth = sql::Compare(value, CompareOp::Equal, item);
            if (truth == Truth::True) {
                answer = Truth::True;
                break;
            }
            if (truth == Truth::Unknown) {
                answer = Truth::Unknown;
            }
        }
        return negated ? Negate(answer) : answer;
    }
    case NodeKind::Between: {
        const Value value = left.At(row);
        const Truth answer = Both(sql::Compare(value, CompareOp::GreaterEqual, values[0]),
                                  sql::Compare(value, CompareOp::LessEqual, values[1]));
        return negated ? Negate(answer) : answer;
    }
    case NodeKind::Like: {
        const Value value = left.At(row);
        if (value.kind != Value::Kind::Text) {
            return Truth::Unknown;
        }
        return Of(LikeMatches(value.text, values.front().text) != negated);
    }
    case NodeKind::IsNull:
        return Of((left.IsField() && left.column->IsNull(row)) != negated);
    }
    return Truth::Unknown;
}

namespace {

class Binder {
public:
    Binder(const ColumnTable& table, const platform::TimeReading& reading) : table_(table), reading_(reading) {}

    BoundNode Bind(const Node& node) {
        BoundNode bound;
        bound.kind = node.kind;
        bound.op = node.op;
        bound.negated = node.negated;
        switch (node.kind) {
        case NodeKind::And:
        case NodeKind::Or:
        case NodeKind::Not:
            bound.children.reserve(node.children.size());
            for (const Node& child : node.children) {
                bound.children.push_back(Bind(child));
            }
            break;
        case NodeKind::Compare:
            bound.left = BindOperand(node.left);
            bound.right = BindOperand(node.right);
            if (bound.left.IsField() && !bound.right.IsField()) {
                bound.right.constant = Suited(bound.right.constant, node.right, bound.left, node.left);
            }
            if (bound.right.IsField() && !bound.left.IsField()) {
                bound.left.constant = Suited(bound.left.constant, node.left, bound.right, node.right);
            }
            if (bound.left.IsField() && !bound.right.IsField()) {
                ReadAsTimes(bound.left, {bound.right.constant});
            } else if (bound.right.IsField() && !bound.left.IsField()) {
                ReadAsTimes(bound.right, {bound.left.constant});
            }
            break;
        case NodeKind::In:
        case NodeKind::Between:
            bound.left = BindOperand(node.left);
            for (const Literal& literal : node.values) {
                Value value = ConstantOf(literal);
                if (bound.left.IsField()) {
                    value = Suited(value, Operand{false, {}, literal}, bound.left, node.left);
                }
                bound.values.push_back(value);
            }
            if (bound.left.IsField()) {
                ReadAsTimes(bound.left, bound.values);
            }
            break;
        case NodeKind::Like:
            bound.left = BindOperand(node.left);
            if (bound.left.IsField() ? bound.left.column->StorageKind() != Column::Storage::Text
                                     : bound.left.constant.kind != Value::Kind::Text) {
                platform::RaiseError(platform::error::kTypeMismatch,
                                     "LIKE compares texts, and " + Named(node.left) + " is not a text.");
            }
            bound.values.push_back(ConstantOf(node.values.front()));
            break;
        case NodeKind::IsNull:
            bound.left = BindOperand(node.left, true);
            break;
        }
        return bound;
    }

private:
    static std::string Named(const Operand& operand) {
        if (operand.is_field) {
            return "the field '" + operand.field + "'";
        }
        return operand.literal.kind == Literal::Kind::Text ? "'" + operand.literal.text + "'" : "the value";
    }

    BoundOperand BindOperand(const Operand& operand, bool any_type = false) {
        BoundOperand bound;
        if (!operand.is_field) {
            bound.constant = ConstantOf(operand.literal);
            return bound;
        }
        const int32_t index = table_.FindField(operand.field);
        if (index < 0) {
            platform::RaiseError(error::kInvalidSqlStatement,
                                 "The field '" + operand.field + "' is not in the table" +
                                     (table_.Name().empty() ? std::string() : " '" + table_.Name() + "'") + ".");
        }
        bound.field = static_cast<size_t>(index);
        bound.column = &table_.ColumnAt(bound.field);
        if (!any_type && bound.column->StorageKind() == Column::Storage::None) {
            platform::RaiseError(platform::error::kTypeMismatch,
                                 "The field '" + operand.field + "' holds no values a where clause can compare.");
        }
        return bound;
    }

    // A text field compared with dates only reads its texts as times, once for all rows; so does a date field.
    // A date field's times are its own values unless the table converts zones, and their order by counting
    // rows per distinct time is a third of the sorted index's memory (no second copy of the values) and
    // quicker to build, which matters for a time layer of millions of rows.
    void ReadAsTimes(BoundOperand& field, const std::vector<Value>& constants) const {
        const bool all_dates =
            !constants.empty() &&
            std::all_of(constants.begin(), constants.end(), [](const Value& v) { return v.kind == Value::Kind::Date; });
        if (!all_dates) {
            return;
        }
        const Column& column = *field.column;
        if (column.StorageKind() == Column::Storage::Text || column.Type() == FieldType::Date) {
            field.times = &table_.TimesOf(field.field, reading_);
        }
    }

    // A constant compared with a field, in the terms the field compares in: a text against a number
    // field reads as a number or a date (a date field tries the date first), and a number against a
    // single-precision field is rounded to single precision as the field's values were.
    static Value Suited(Value constant, const Operand& written, const BoundOperand& field,
                        const Operand& field_written) {
        const Column& column = *field.column;
        const bool numeric_field =
            column.StorageKind() == Column::Storage::Integer || column.StorageKind() == Column::Storage::Real;
        if (!numeric_field) {
            return constant;
        }
        if (constant.kind == Value::Kind::Text) {
            const bool date_first = column.Type() == FieldType::Date;
            std::optional<double> read = ReadText(constant.text, date_first);
            Value::Kind kind = date_first ? Value::Kind::Date : Value::Kind::Number;
            if (!read) {
                read = ReadText(constant.text, !date_first);
                kind = date_first ? Value::Kind::Number : Value::Kind::Date;
            }
            if (!read) {
                platform::RaiseError(platform::error::kTypeMismatch,
                                     "Type mismatch: " + Named(written) + " is neither a number nor a date, so it " +
                                         "does not compare with the numeric field '" + field_written.field + "'.");
            }
            constant = Value{kind, *read, {}};
        }
        if (column.Type() == FieldType::Single && std::fabs(constant.number) <= std::numeric_limits<float>::max()) {
            constant.number = static_cast<double>(static_cast<float>(constant.number));
        }
        return constant;
    }

    const ColumnTable& table_;
    const platform::TimeReading& reading_;
};

} // namespace

BoundNode Bind(const Node& node, const ColumnTable& table, const platform::TimeReading& reading) {
    return Binder(table, reading).Bind(node);
}

Value ConstantOf(const Literal& literal) {
    switch (literal.kind) {
    case Literal::Kind::Number:
        return Value{Value::Kind::Number, literal.number, {}};
    case Literal::Kind::Date:
        return Value{Value::Kind::Date, literal.number, {}};
    case Literal::Kind::Text:
        break;
    }
    return Value{Value::Kind::Text, 0.0, literal.text};
}

} // namespace chronova::gis::sql
