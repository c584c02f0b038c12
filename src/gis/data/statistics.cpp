#include "gis/data/statistics.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "gis/data/sorted_index.h"
#include "platform/automation_error.h"

namespace chronova::gis {

namespace {

const Column& FieldColumn(const Cursor& cursor, std::string_view field) {
    const int32_t index = cursor.Data().FindField(field);
    if (index < 0) {
        platform::RaiseError(platform::error::kInvalidProcedureCall,
                             "The field '" + std::string(field) + "' is not in the table.");
    }
    return cursor.Data().ColumnAt(static_cast<size_t>(index));
}

// Over every row the column's sorted index already orders the values (and comparisons with numbers and texts
// need that index anyway), so the distinct values are one walk along it.
std::vector<platform::Variant> UniqueValuesOfAllRows(const ColumnTable& table, const Column& column, size_t index) {
    std::vector<platform::Variant> values;
    const std::vector<uint32_t>& order = table.IndexOf(index).Order();
    for (size_t i = 0; i < order.size(); ++i) {
        const uint32_t row = order[i];
        if (i > 0) {
            const uint32_t previous = order[i - 1];
            const bool same = column.StorageKind() == Column::Storage::Text
                                  ? column.Text(row) == column.Text(previous)
                                  : column.Number(row) == column.Number(previous);
            if (same) {
                continue;
            }
        }
        values.push_back(column.Value(row));
    }
    return values;
}

} // namespace

std::vector<platform::Variant> UniqueValues(const Cursor& cursor, std::string_view field) {
    const Column& column = FieldColumn(cursor, field);
    if (cursor.Rows().size() == cursor.Data().RowCount()) {
        return UniqueValuesOfAllRows(cursor.Data(), column, static_cast<size_t>(cursor.Data().FindField(field)));
    }
    std::vector<uint32_t> rows;
    rows.reserve(cursor.Rows().size());
    for (uint32_t row : cursor.Rows()) {
        if (!column.IsNull(row)) {
            rows.push_back(row);
        }
    }
    // Sort row numbers by value, then keep the first row of each run of equal values.
    std::vector<platform::Variant> values;
    switch (column.StorageKind()) {
    case Column::Storage::Integer:
    case Column::Storage::Real: {
        std::erase_if(rows, [&](uint32_t row) { return std::isnan(column.Number(row)); });
        std::sort(rows.begin(), rows.end(),
                  [&](uint32_t a, uint32_t b) { return column.Number(a) < column.Number(b); });
        auto last = std::unique(rows.begin(), rows.end(),
                                [&](uint32_t a, uint32_t b) { return column.Number(a) == column.Number(b); });
        rows.erase(last, rows.end());
        break;
    }
    case Column::Storage::Text: {
        const auto& texts = column.Texts();
        std::sort(rows.begin(), rows.end(), [&](uint32_t a, uint32_t b) { return texts[a] < texts[b]; });
        auto last = std::unique(rows.begin(), rows.end(), [&](uint32_t a, uint32_t b) { return texts[a] == texts[b]; });
        rows.erase(last, rows.end());
        break;
    }
    case Column::Storage::None:
        rows.clear();
        break;
    }
    values.reserve(rows.size());
    for (uint32_t row : rows) {
        values.push_back(column.Value(row));
    }
    return values;
}

FieldStatistics Statistics(const Cursor& cursor, std::string_view field) {
    const Column& column = FieldColumn(cursor, field);
    if (column.StorageKind() != Column::Storage::Integer && column.StorageKind() != Column::Storage::Real) {
        platform::RaiseError(platform::error::kTypeMismatch, "The field '" + std::string(field) + "' is not numeric.");
    }
    FieldStatistics stats;
    double sum = 0.0;
    for (uint32_t row : cursor.Rows()) {
        if (column.IsNull(row)) {
            continue;
        }
        const double value = column.Number(row);
        if (std::isnan(value)) {
            continue;
        }
        if (stats.Count == 0 || value < stats.Minimum) {
            stats.Minimum = value;
        }
        if (stats.Count == 0 || value > stats.Maximum) {
            stats.Maximum = value;
        }
        sum += value;
        ++stats.Count;
    }
    if (stats.Count > 0) {
        stats.Mean = sum / stats.Count;
    }
    return stats;
}

} // namespace chronova::gis
