#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "gis/data/column_table.h"
#include "gis/data/row_ids.h"
#include "gis/sql/bound_clause.h"

namespace chronova::gis::sql {

/// The rows a bound clause lets through, answered from the columns' sorted indexes: a comparison of a
/// field with a constant, IN, BETWEEN and LIKE with a fixed start are index ranges; AND reads its
/// smallest indexed term and checks the rest row by row; OR unites indexed terms. Nothing when some
/// part needs a scan of every row (NOT, IS NULL, a comparison of two fields, a text with a number, an OR
/// with a term that has no index). Indexes are built on first use and kept by the table.
std::optional<RowIds> SelectByIndex(const BoundNode& clause, const ColumnTable& table);

/// The rows a comparison `field < constant` or `field <= constant` (either way round) lets through, as the first
/// `end` rows of an order of the field (its sorted index, or its times): rows by ascending value, nulls left out.
struct OrderPrefix {
    const std::vector<uint32_t>* order = nullptr;
    size_t end = 0;
};
/// Nothing for any other node, or when the field's index does not answer the comparison.
std::optional<OrderPrefix> UpperBoundPrefix(const BoundNode& node, const ColumnTable& table);

} // namespace chronova::gis::sql
