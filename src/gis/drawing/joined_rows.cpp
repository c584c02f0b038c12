#include "gis/drawing/joined_rows.h"

#include <algorithm>

namespace chronova::gis {

RowIds JoinedRows(const FeatureLayer& layer, const RowIds& visible) {
    if (layer.Joins().empty()) {
        return {};
    }
    const RowIds& feature_rows = layer.Joins().back()->FeatureRows();
    RowIds rows(visible.size(), kNoJoinedRow);
    if (!std::is_sorted(visible.begin(), visible.end())) {
        // Rows in another order (a growing layer's, by time): a search for each.
        for (size_t k = 0; k < visible.size(); ++k) {
            const auto found = std::lower_bound(feature_rows.begin(), feature_rows.end(), visible[k]);
            if (found != feature_rows.end() && *found == visible[k]) {
                rows[k] = static_cast<uint32_t>(found - feature_rows.begin());
            }
        }
        return rows;
    }
    // Both lists are ascending feature rows: one merge finds each visible feature's joined row.
    size_t joined = 0;
    for (size_t k = 0; k < visible.size(); ++k) {
        while (joined < feature_rows.size() && feature_rows[joined] < visible[k]) {
            ++joined;
        }
        if (joined < feature_rows.size() && feature_rows[joined] == visible[k]) {
            rows[k] = static_cast<uint32_t>(joined);
        }
    }
    return rows;
}

} // namespace chronova::gis
