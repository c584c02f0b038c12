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

} // namespace chronova::gis
