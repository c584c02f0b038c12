#pragma once

#include <cstdint>
#include <vector>

#include "gis/layers/feature_layer.h"

namespace chronova::testing {

/// The first field's values (OBJECTIDs or IDs) of the rows a feature layer draws, so a test names features, not
/// row positions.
inline std::vector<int32_t> Drawn(const gis::FeatureLayer& layer) {
    std::vector<int32_t> ids;
    const auto& column = layer.FeatureClass()->Data()->ColumnAt(0);
    for (uint32_t row : *layer.VisibleFeatures()) {
        ids.push_back(column.Integer(row));
    }
    return ids;
}

} // namespace chronova::testing
