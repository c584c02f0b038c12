#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "gis/data/column_table.h"
#include "gis/data/row_ids.h"
#include "platform/time_zone.h"

namespace chronova::gis {

namespace sql {
struct Node;
} // namespace sql

/// A where clause of the host's SQL dialect, parsed once and run against tables:
/// comparisons = <> < <= > >=, AND, OR, NOT, parentheses, IN, BETWEEN, LIKE, IS [NOT] NULL; literals are
/// numbers, 'text' (a doubled quote inside stands for one quote) and #date# in any form the date conversion
/// reads. A date literal against a numeric field compares with the date's OLE serial; against a text field,
/// with the time the text reads as (an ISO text with its offset); against a date field, with the field's time
/// under the time reading, which converts zones.
class WhereClause {
public:
    /// The empty clause, which lets every row through.
    WhereClause();
    /// Parses a clause; blank text is the empty clause. Raises an AutomationError whose description names
    /// the position and what was expected when the text does not parse.
    static WhereClause Parse(std::string_view text);

    bool IsEmpty() const noexcept { return root_ == nullptr; }
    const std::string& Text() const noexcept { return text_; }
    /// The parsed clause; null for the empty clause. Lets a database source write the clause in its own dialect.
    const sql::Node* Root() const noexcept { return root_.get(); }

    /// The rows of the table the clause lets through, ascending. Comparisons of a field with a literal
    /// (alone, or under AND / OR) are answered from the column's sorted index; the rest is evaluated row by
    /// row. Raises an AutomationError when a field is not in the table or a literal does not suit its field.
    RowIds Select(const ColumnTable& table, const platform::TimeReading& reading = {}) const;
    /// Whether one row passes; same errors as Select.
    bool Matches(const ColumnTable& table, size_t row, const platform::TimeReading& reading = {}) const;
    /// The rows among `rows` that pass, in their order; same errors as Select.
    RowIds Filter(const ColumnTable& table, RowIds rows, const platform::TimeReading& reading = {}) const;

    /// A bound on one field from above (`T <= c`, `T < c`) that is the clause or a term of its top AND: the rows
    /// the clause lets through are those among the first `end` rows of `order` (the field's rows by ascending
    /// value) that pass the whole clause, or all of them when the bound is the whole clause (`whole`). Clauses of
    /// one `shape` (the clause with this bound's constant left out) over one order differ only in how far
    /// along the order they reach, so moving the constant up only lets rows in.
    struct UpperBound {
        const std::vector<uint32_t>* order = nullptr;
        size_t end = 0;
        std::string shape;
        bool whole = false;
    };
    /// The clause's upper bounds that the table's indexes answer, in the order the terms are written; none for
    /// a clause without one. Same errors as Select.
    std::vector<UpperBound> UpperBounds(const ColumnTable& table, const platform::TimeReading& reading = {}) const;

private:
    std::string text_;
    std::shared_ptr<const sql::Node> root_;
};

} // namespace chronova::gis
