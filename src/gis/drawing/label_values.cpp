#include "gis/drawing/label_values.h"

#include <cmath>
#include <limits>

#include "gis/drawing/joined_rows.h"
#include "platform/conversions.h"

namespace chronova::gis {

LabelValues::LabelValues(const FeatureLayer& layer, const std::string& field, const RowIds& visible)
    : visible_(visible) {
    const auto table = layer.DisplayTable();
    if (!table || field.empty()) {
        return;
    }
    data_ = table->Data();
    const int32_t index = data_ ? data_->FindField(field) : -1;
    if (index < 0) {
        return;
    }
    column_ = &data_->ColumnAt(static_cast<size_t>(index));
    data_rows_ = JoinedRows(layer, visible);
    joined_ = !layer.Joins().empty();
}

uint32_t LabelValues::DataRow(size_t k) const {
    if (column_ == nullptr || k >= visible_.size()) {
        return kNoRow;
    }
    const uint32_t row = joined_ ? data_rows_[k] : visible_[k];
    if (row == kNoRow || row >= column_->Size() || column_->IsNull(row)) {
        return kNoRow;
    }
    return row;
}

std::string LabelValues::Text(size_t k) const {
    const uint32_t row = DataRow(k);
    if (row == kNoRow || column_->StorageKind() == Column::Storage::None) {
        return {};
    }
    if (column_->StorageKind() == Column::Storage::Text) {
        return column_->Text(row);
    }
    return platform::CStr(column_->Value(row));
}

double LabelValues::Number(size_t k) const {
    const uint32_t row = DataRow(k);
    const auto storage = column_ != nullptr ? column_->StorageKind() : Column::Storage::None;
    if (row == kNoRow || (storage != Column::Storage::Integer && storage != Column::Storage::Real)) {
        return std::numeric_limits<double>::quiet_NaN();
    }
    return column_->Number(row);
}

} // namespace chronova::gis
