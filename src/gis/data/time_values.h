#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "gis/data/column_table.h"
#include "platform/time_zone.h"

namespace chronova::gis {

/// The times a date or text column stands for, as a time layer shows them: texts read as dates (ISO
/// texts with their offsets), values with an offset converted by the reading, one time (an OLE date) per row,
/// NaN where a value is null or reads as no date. The rows are kept in time order too, so that a time
/// range is a binary search and a window of k features costs O(log n + k log k).
class TimeValues {
public:
    TimeValues(const Column& column, const platform::TimeReading& reading);

    double At(size_t row) const noexcept { return times_[row]; }
    const std::vector<double>& Times() const noexcept { return times_; }
    /// Rows with a time, by ascending time (ties by row).
    const std::vector<uint32_t>& Order() const noexcept { return order_; }
    /// The time of each row in Order(). Times are OLE serials and order as the where clauses order dates.
    const std::vector<double>& SortedTimes() const noexcept { return sorted_; }

    /// Positions [first, last) in Order() of the times within the bounds; a missing bound is open.
    struct Bound {
        double value = 0.0;
        bool inclusive = true;
    };
    std::pair<size_t, size_t> Range(const Bound* lower, const Bound* upper) const;

private:
    std::vector<double> times_;
    std::vector<uint32_t> order_;
    std::vector<double> sorted_;
};

} // namespace chronova::gis
