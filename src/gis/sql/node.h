#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace chronova::gis::sql {

//! What a node of a parsed where clause stands for.
enum class NodeKind { And, Or, Not, Compare, In, Between, Like, IsNull };

//! The comparison operators of the dialect.
enum class CompareOp { Equal, NotEqual, Less, LessEqual, Greater, GreaterEqual };

/// The operator that gives the same answer with its two sides swapped ("5 < N" is "N > 5").
CompareOp Mirrored(CompareOp op) noexcept;
/// The operator as written in a clause ("<>" for NotEqual).
const char* OperatorText(CompareOp op) noexcept;

/// A constant written in a clause.
struct Literal {
    enum class Kind { Number, Text, Date };
    Kind kind = Kind::Number;
    double number = 0.0; ///< the number, or the date's OLE serial
    std::string text;    ///< the text of a 'text' literal
};

/// One side of a predicate: a field named in the clause or a constant.
struct Operand {
    bool is_field = false;
    std::string field;
    Literal literal;
};

/// A node of a parsed where clause. AND and OR hold two or more children and NOT one; the predicates
/// hold their subject in `left`: Compare is `left op right`, In tests `left` against `values`, Between
/// against `values[0]` and `values[1]`, Like against the pattern `values[0]`.
struct Node {
    NodeKind kind = NodeKind::Compare;
    CompareOp op = CompareOp::Equal;
    bool negated = false; ///< NOT IN, NOT BETWEEN, NOT LIKE, IS NOT NULL
    Operand left;
    Operand right;
    std::vector<Literal> values;
    std::vector<Node> children;
};

/// The node as a clause in one canonical spelling (upper-case keywords, AND and OR groups in parentheses,
/// dates in ISO form), which parses back to the same node; tests and diagnostics read it.
std::string Describe(const Node& node);

} // namespace chronova::gis::sql
