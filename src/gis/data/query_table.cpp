#include "gis/data/query_table.h"

#include <algorithm>
#include <vector>

#include "gis/data/memory_table.h"
#include "gis/gis_errors.h"
#include "gis/sql/where_clause.h"
#include "platform/automation_error.h"
#include "platform/text.h"

namespace chronova::gis {

namespace {

// The positions of the fields a query keeps: all for "*" (or nothing), else the comma-separated names in
// their order, each once.
std::vector<size_t> KeptFields(const ColumnTable& data, std::string_view sub_fields, const std::string& table) {
    const std::string list = platform::Trim(sub_fields);
    std::vector<size_t> kept;
    if (list.empty() || list == "*") {
        for (size_t i = 0; i < data.FieldCount(); ++i) {
            kept.push_back(i);
        }
        return kept;
    }
    size_t start = 0;
    while (start <= list.size()) {
        const size_t comma = std::min(list.find(',', start), list.size());
        const std::string name = platform::Trim(std::string_view(list).substr(start, comma - start));
        const int32_t index = data.FindField(name);
        if (index < 0) {
            platform::RaiseError(error::kInvalidSqlStatement,
                                 "The field '" + name + "' is not in the table '" + table + "'.");
        }
        if (std::find(kept.begin(), kept.end(), static_cast<size_t>(index)) == kept.end()) {
            kept.push_back(static_cast<size_t>(index));
        }
        start = comma + 1;
    }
    return kept;
}

} // namespace

std::shared_ptr<ITable> OpenQueryTable(IFeatureWorkspace& workspace, const QueryDef& query,
                                       std::string_view primary_key, std::string name) {
    const std::string table_name = platform::Trim(query.Tables);
    if (table_name.empty()) {
        platform::RaiseError(error::kInvalidSqlStatement, "The query names no table.");
    }
    if (table_name.find(',') != std::string::npos) {
        platform::RaiseError(error::kInvalidSqlStatement,
                             "A query table reads one table, and '" + table_name + "' names several.");
    }
    const std::shared_ptr<ITable> source = workspace.OpenTable(table_name);
    const std::shared_ptr<const ColumnTable> data = source->Data();
    std::vector<size_t> kept = KeptFields(*data, query.SubFields, source->Name());
    // The primary key identifies the query table's rows, so it is kept even when the sub-fields leave it out.
    if (const int32_t key = data->FindField(primary_key);
        !primary_key.empty() && key >= 0 && std::find(kept.begin(), kept.end(), size_t(key)) == kept.end()) {
        kept.insert(kept.begin(), static_cast<size_t>(key));
    }
    const RowIds rows = WhereClause::Parse(query.WhereClause).Select(*data);

    auto result = std::make_shared<ColumnTable>(name);
    for (const size_t field : kept) {
        result->AddField(data->Fields()[field]) = data->ColumnAt(field).Take(rows);
    }
    if (kept.empty()) {
        result->SetRowCount(rows.size());
    }
    if (!primary_key.empty() && result->FindField(primary_key) < 0) {
        platform::RaiseError(platform::error::kInvalidProcedureCall,
                             "The primary key '" + std::string(primary_key) +
                                 "' is not one of the fields of the query table '" + name + "'.");
    }
    return std::make_shared<MemoryTable>(std::move(result), std::move(name), source->Workspace());
}

} // namespace chronova::gis
