#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "gis/data/column_table.h"
#include "gis/data/row_ids.h"
#include "gis/layers/feature_layer.h"

namespace chronova::gis {

/// A field of a layer's display table read for each visible feature, as label text or as a number. For a joined
/// layer the values live in the top join's rows, which map to feature rows through the join's FeatureRows().
class LabelValues {
public:
    /// `visible` is the layer's VisibleFeatures(), ascending; it must outlive this object.
    LabelValues(const FeatureLayer& layer, const std::string& field, const RowIds& visible);

    /// The table has no field of the name (or the layer no table).
    bool Missing() const noexcept { return column_ == nullptr; }

    /// The text of the k-th visible feature as the host writes values: numbers without trailing zeros, dates in
    /// the locale's date text, texts as they are. Empty for null, for a feature without a joined row and for
    /// fields that hold no values (shapes, blobs).
    std::string Text(size_t k) const;
    /// The k-th visible feature's value as a number; NaN for null, text and no joined row.
    double Number(size_t k) const;

private:
    // The row of the data that holds the k-th visible feature's value, or kNoRow.
    uint32_t DataRow(size_t k) const;

    static constexpr uint32_t kNoRow = UINT32_MAX;
    const RowIds& visible_;
    std::shared_ptr<const ColumnTable> data_;
    const Column* column_ = nullptr;
    // For joined layers: the data row of each visible feature.
    RowIds data_rows_;
    bool joined_ = false;
};

} // namespace chronova::gis
