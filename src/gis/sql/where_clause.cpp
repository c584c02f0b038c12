#include "gis/sql/where_clause.h"

#include <optional>
#include <utility>

#include "gis/sql/bound_clause.h"
#include "gis/sql/index_plan.h"
#include "gis/sql/node.h"
#include "gis/sql/parser.h"
#include "platform/automation_error.h"

namespace chronova::gis {

WhereClause::WhereClause() = default;

WhereClause WhereClause::Parse(std::string_view text) {
    WhereClause clause;
    clause.text_ = std::string(text);
    if (!sql::IsBlankClause(text)) {
        clause.root_ = std::make_shared<const sql::Node>(sql::Parse(text));
    }
    return clause;
}

RowIds WhereClause::Select(const ColumnTable& table, const platform::TimeReading& reading) const {
    const size_t row_count = table.RowCount();
    RowIds rows;
    if (root_ == nullptr) {
        rows.resize(row_count);
        for (size_t row = 0; row < row_count; ++row) {
            rows[row] = static_cast<uint32_t>(row);
        }
        return rows;
    }
    const sql::BoundNode bound = sql::Bind(*root_, table, reading);
    if (auto indexed = sql::SelectByIndex(bound, table)) {
        return std::move(*indexed);
    }
    for (size_t row = 0; row < row_count; ++row) {
        if (bound.Evaluate(row) == sql::Truth::True) {
            rows.push_back(static_cast<uint32_t>(row));
        }
    }
    return rows;
}

bool WhereClause::Matches(const ColumnTable& table, size_t row, const platform::TimeReading& reading) const {
    if (row >= table.RowCount()) {
        platform::RaiseError(platform::error::kSubscriptOutOfRange);
    }
    if (root_ == nullptr) {
        return true;
    }
    return sql::Bind(*root_, table, reading).Evaluate(row) == sql::Truth::True;
}

RowIds WhereClause::Filter(const ColumnTable& table, RowIds rows, const platform::TimeReading& reading) const {
    if (root_ == nullptr) {
        return rows;
    }
    const sql::BoundNode bound = sql::Bind(*root_, table, reading);
    std::erase_if(rows,
                  [&](uint32_t row) { return row >= table.RowCount() || bound.Evaluate(row) != sql::Truth::True; });
    return rows;
}

std::vector<WhereClause::UpperBound> WhereClause::UpperBounds(const ColumnTable& table,
                                                              const platform::TimeReading& reading) const {
    std::vector<UpperBound> bounds;
    if (root_ == nullptr) {
        return bounds;
    }
    const sql::BoundNode bound = sql::Bind(*root_, table, reading);
    // The clause's text with one term's constant replaced by a placeholder.
    const auto shape_without = [&](const sql::Node* term) {
        sql::Node copy = *root_;
        sql::Node& changed =
            term == root_.get() ? copy : copy.children[static_cast<size_t>(term - root_->children.data())];
        sql::Literal& constant = changed.left.is_field ? changed.right.literal : changed.left.literal;
        constant = sql::Literal{sql::Literal::Kind::Text, 0.0, "?"};
        return sql::Describe(copy);
    };
    if (auto prefix = sql::UpperBoundPrefix(bound, table)) {
        bounds.push_back(UpperBound{prefix->order, prefix->end, shape_without(root_.get()), true});
        return bounds;
    }
    if (root_->kind != sql::NodeKind::And || bound.children.size() != root_->children.size()) {
        return bounds;
    }
    for (size_t i = 0; i < bound.children.size(); ++i) {
        if (auto prefix = sql::UpperBoundPrefix(bound.children[i], table)) {
            bounds.push_back(UpperBound{prefix->order, prefix->end, shape_without(&root_->children[i]), false});
        }
    }
    return bounds;
}

} // namespace chronova::gis
