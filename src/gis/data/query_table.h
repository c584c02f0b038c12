#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "gis/data/table.h"

namespace chronova::gis {

/// A query on the tables of a workspace: the fields to keep (comma-separated, "*" for all), the table
/// to read and the where clause that picks the rows.
struct QueryDef {
    std::string SubFields = "*";
    std::string Tables;
    std::string WhereClause;
};

/// Runs a query definition and keeps its rows locally as a table of its own named `name`, in the
/// workspace of the queried table. A non-empty primary_key must be one of the kept fields; it identifies
/// rows. Raises an AutomationError for an unknown table or field and for a where clause that does not parse.
std::shared_ptr<ITable> OpenQueryTable(IFeatureWorkspace& workspace, const QueryDef& query,
                                       std::string_view primary_key, std::string name);

} // namespace chronova::gis
