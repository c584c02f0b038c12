#include "gis/sql/step_shift.h"

#include <algorithm>
#include <cctype>
#include <cmath>

namespace chronova::gis::sql {

namespace {

constexpr double kHalfSecond = 0.5 / 86'400.0;

bool SameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

bool IsNumeric(Literal::Kind kind) {
    return kind != Literal::Kind::Text;
}

// The step a literal stands for, if any.
std::optional<size_t> StepOf(const Literal& literal, const std::vector<Literal>& steps) {
    if (literal.kind == Literal::Kind::Text) {
        const auto found = std::lower_bound(steps.begin(), steps.end(), literal.text,
                                            [](const Literal& step, const std::string& text) {
                                                return step.kind != Literal::Kind::Text || step.text < text;
                                            });
        if (found != steps.end() && found->kind == Literal::Kind::Text && found->text == literal.text) {
            return static_cast<size_t>(found - steps.begin());
        }
        return std::nullopt;
    }
    const double tolerance = literal.kind == Literal::Kind::Date ? kHalfSecond : 0.0;
    const auto found =
        std::lower_bound(steps.begin(), steps.end(), literal.number - tolerance,
                         [](const Literal& step, double value) { return IsNumeric(step.kind) && step.number < value; });
    if (found != steps.end() && IsNumeric(found->kind) && std::fabs(found->number - literal.number) <= tolerance) {
        return static_cast<size_t>(found - steps.begin());
    }
    return std::nullopt;
}

// Calls visit on every literal the clause compares the field with; stops and returns false when visit does.
template <class Visit>
bool EachFieldLiteral(Node& node, std::string_view field, const Visit& visit) {
    for (Node& child : node.children) {
        if (!EachFieldLiteral(child, field, visit)) {
            return false;
        }
    }
    if (node.kind == NodeKind::Compare) {
        if (node.left.is_field && !node.right.is_field && SameName(node.left.field, field)) {
            return visit(node.right.literal);
        }
        if (node.right.is_field && !node.left.is_field && SameName(node.right.field, field)) {
            return visit(node.left.literal);
        }
        return true;
    }
    if ((node.kind == NodeKind::In || node.kind == NodeKind::Between) && node.left.is_field &&
        SameName(node.left.field, field)) {
        return std::all_of(node.values.begin(), node.values.end(), [&](Literal& value) { return visit(value); });
    }
    return true;
}

} // namespace

std::optional<size_t> StepPosition(const Node& root, std::string_view field, const std::vector<Literal>& steps) {
    std::optional<size_t> first;
    Node copy = root;
    EachFieldLiteral(copy, field, [&](const Literal& literal) {
        first = StepOf(literal, steps);
        return false;
    });
    return first;
}

std::optional<Node> ShiftedClause(const Node& root, std::string_view field, const std::vector<Literal>& steps,
                                  long shift) {
    Node shifted = root;
    bool any = false;
    const bool whole = EachFieldLiteral(shifted, field, [&](Literal& literal) {
        const std::optional<size_t> step = StepOf(literal, steps);
        if (!step) {
            return false;
        }
        const long target = static_cast<long>(*step) + shift;
        if (target < 0 || target >= static_cast<long>(steps.size())) {
            return false;
        }
        literal = steps[static_cast<size_t>(target)];
        any = true;
        return true;
    });
    if (!whole || !any) {
        return std::nullopt;
    }
    return shifted;
}

} // namespace chronova::gis::sql
