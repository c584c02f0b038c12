#include "gis/drawing/joined_rows.h"

namespace chronova::gis {

RowIds JoinedRows(const FeatureLayer& layer, const RowIds& visible) {
    if (layer.Joins().empty()) {
        return {};
    }
    // Both lists are ascending feature rows: one merge finds each visible feature's joined row.
    const RowIds& feature_rows = layer.Joins().back()->FeatureRows();
    RowIds rows(visible.size(), kNoJoinedRow);
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
