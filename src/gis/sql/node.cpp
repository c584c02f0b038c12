#include "gis/sql/node.h"

#include <array>
#include <charconv>
#include <cstdio>

#include "gis/sql/lexer.h"
#include "platform/ole_date.h"

namespace chronova::gis::sql {

CompareOp Mirrored(CompareOp op) noexcept {
    switch (op) {
    case CompareOp::Less:
        return CompareOp::Greater;
    case CompareOp::LessEqual:
        return CompareOp::GreaterEqual;
    case CompareOp::Greater:
        return CompareOp::Less;
    case CompareOp::GreaterEqual:
        return CompareOp::LessEqual;
    case CompareOp::Equal:
    case CompareOp::NotEqual:
        break;
    }
    return op;
}

const char* OperatorText(CompareOp op) noexcept {
    switch (op) {
    case CompareOp::Equal:
        return "=";
    case CompareOp::NotEqual:
        return "<>";
    case CompareOp::Less:
        return "<";
    case CompareOp::LessEqual:
        return "<=";
    case CompareOp::Greater:
        return ">";
    case CompareOp::GreaterEqual:
        return ">=";
    }
    return "?";
}

namespace {

// A field name that reads back without quotes: a bare name that is not a keyword.
bool IsPlainName(const std::string& name) {
    if (name.empty() || !IsNameStart(name.front()) || IsKeyword(name)) {
        return false;
    }
    for (const char c : name) {
        if (!IsNameChar(c)) {
            return false;
        }
    }
    return true;
}

void AppendQuoted(std::string& out, const std::string& text, char quote) {
    out += quote;
    for (const char c : text) {
        out += c;
        if (c == quote) {
            out += quote;
        }
    }
    out += quote;
}

void AppendLiteral(std::string& out, const Literal& literal) {
    switch (literal.kind) {
    case Literal::Kind::Number: {
        std::array<char, 32> buffer{};
        const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), literal.number);
        out.append(buffer.data(), result.ptr);
        break;
    }
    case Literal::Kind::Text:
        AppendQuoted(out, literal.text, '\'');
        break;
    case Literal::Kind::Date: {
        const platform::DateParts parts = platform::Date(literal.number).Parts();
        std::array<char, 48> buffer{};
        std::snprintf(buffer.data(), buffer.size(), "#%04d-%02d-%02d %02d:%02d:%02d#", parts.year, parts.month,
                      parts.day, parts.hour, parts.minute, parts.second);
        out += buffer.data();
        break;
    }
    }
}

void AppendOperand(std::string& out, const Operand& operand) {
    if (!operand.is_field) {
        AppendLiteral(out, operand.literal);
    } else if (IsPlainName(operand.field)) {
        out += operand.field;
    } else {
        AppendQuoted(out, operand.field, '"');
    }
}

void AppendNode(std::string& out, const Node& node) {
    switch (node.kind) {
    case NodeKind::And:
    case NodeKind::Or:
        out += '(';
        for (size_t i = 0; i < node.children.size(); ++i) {
            if (i > 0) {
                out += node.kind == NodeKind::And ? " AND " : " OR ";
            }
            AppendNode(out, node.children[i]);
        }
        out += ')';
        return;
    case NodeKind::Not:
        out += "NOT ";
        AppendNode(out, node.children.front());
        return;
    case NodeKind::Compare:
        AppendOperand(out, node.left);
        out += ' ';
        out += OperatorText(node.op);
        out += ' ';
        AppendOperand(out, node.right);
        return;
    case NodeKind::In:
        AppendOperand(out, node.left);
        out += node.negated ? " NOT IN (" : " IN (";
        for (size_t i = 0; i < node.values.size(); ++i) {
            if (i > 0) {
                out += ", ";
            }
            AppendLiteral(out, node.values[i]);
        }
        out += ')';
        return;
    case NodeKind::Between:
        AppendOperand(out, node.left);
        out += node.negated ? " NOT BETWEEN " : " BETWEEN ";
        AppendLiteral(out, node.values[0]);
        out += " AND ";
        AppendLiteral(out, node.values[1]);
        return;
    case NodeKind::Like:
        AppendOperand(out, node.left);
        out += node.negated ? " NOT LIKE " : " LIKE ";
        AppendLiteral(out, node.values[0]);
        return;
    case NodeKind::IsNull:
        AppendOperand(out, node.left);
        out += node.negated ? " IS NOT NULL" : " IS NULL";
        return;
    }
}

} // namespace

std::string Describe(const Node& node) {
    std::string out;
    AppendNode(out, node);
    return out;
}

} // namespace chronova::gis::sql
