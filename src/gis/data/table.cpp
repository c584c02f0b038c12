#include "gis/data/table.h"

#include "gis/sql/where_clause.h"

namespace chronova::gis {

Cursor::Cursor(std::shared_ptr<const ColumnTable> data, RowIds rows) : data_(std::move(data)), rows_(std::move(rows)) {}

std::optional<uint32_t> Cursor::NextRow() {
    if (next_ >= rows_.size()) {
        return std::nullopt;
    }
    return rows_[next_++];
}

int32_t ITable::RowCount(std::string_view where_clause) const {
    const auto data = Data();
    const WhereClause clause = WhereClause::Parse(where_clause);
    if (clause.IsEmpty()) {
        return static_cast<int32_t>(data->RowCount());
    }
    return static_cast<int32_t>(clause.Select(*data).size());
}

Cursor ITable::Search(std::string_view where_clause) const {
    auto data = Data();
    const WhereClause clause = WhereClause::Parse(where_clause);
    RowIds rows;
    if (clause.IsEmpty()) {
        rows.resize(data->RowCount());
        for (size_t row = 0; row < rows.size(); ++row) {
            rows[row] = static_cast<uint32_t>(row);
        }
    } else {
        rows = clause.Select(*data);
    }
    return Cursor(std::move(data), std::move(rows));
}

Envelope IFeatureClass::Extent() const {
    const auto shapes = Shapes();
    return shapes ? shapes->Extent : Envelope{};
}

std::string IFeatureClass::SpatialReference() const {
    const auto shapes = Shapes();
    return shapes ? shapes->SpatialReference : std::string{};
}

} // namespace chronova::gis
