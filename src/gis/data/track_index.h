#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "gis/data/column_table.h"
#include "gis/data/row_ids.h"
#include "gis/data/time_values.h"

namespace chronova::gis {

/// The fixes of moving entities (rows sharing an id) grouped by entity and ordered by time, so that an
/// entity's latest fix at any time is one binary search: a step over E entities of F fixes costs
/// O(E log F), never a pass over every row. Times are OLE serials, as TimeValues holds them; rows without a
/// time or an id are left out.
class TrackIndex {
public:
    TrackIndex(const Column& ids, const TimeValues& times);

    size_t EntityCount() const noexcept { return starts_.size() - 1; }

    /// The latest row of each entity at or before `time`, no older than max_age days (0: any age); ascending.
    RowIds LatestAt(double time, double max_age) const;

    /// One entity's fixes within a trail: rows oldest first, with their times.
    struct Trail {
        std::vector<uint32_t> rows;
        std::vector<double> times;
    };
    /// Each entity's fixes in (time - length, time], or every fix up to time when length is 0; entities with
    /// fewer than two such fixes have no trail.
    std::vector<Trail> TrailsAt(double time, double length) const;

private:
    // Entity e holds positions [starts_[e], starts_[e + 1]) of rows_ and times_, by ascending time.
    std::vector<uint32_t> starts_{0};
    std::vector<uint32_t> rows_;
    std::vector<double> times_;
    size_t row_count_ = 0;
};

} // namespace chronova::gis
