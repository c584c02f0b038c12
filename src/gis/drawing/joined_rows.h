#pragma once

#include <cstdint>
#include <limits>

#include "gis/data/row_ids.h"
#include "gis/layers/feature_layer.h"

namespace chronova::gis {

/// A visible feature that has no row in the joined table.
inline constexpr uint32_t kNoJoinedRow = std::numeric_limits<uint32_t>::max();

/// For a layer with joins, the row of the top join's table that holds each visible feature's values, in the order
/// of `visible` (kNoJoinedRow where the feature has none); empty for a layer without joins.
RowIds JoinedRows(const FeatureLayer& layer, const RowIds& visible);

} // namespace chronova::gis
