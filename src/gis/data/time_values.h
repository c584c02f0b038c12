#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
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
    // Times() may point into owned_, so a copy would point into another object.
    TimeValues(const TimeValues&) = delete;
    TimeValues& operator=(const TimeValues&) = delete;

    double At(size_t row) const noexcept { return times_[row]; }
    /// The time of each row; may be the column's own values, so valid while the column lives.
    std::span<const double> Times() const noexcept { return times_; }
    /// Rows with a time, by ascending time (ties by row).
    const std::vector<uint32_t>& Order() const noexcept { return order_; }
    /// The times in Order(), looked up through the rows rather than kept a second time.
    class SortedView {
    public:
        double operator[](size_t position) const noexcept { return times_[order_[position]]; }
        size_t size() const noexcept { return order_.size(); }

    private:
        friend class TimeValues;
        SortedView(std::span<const double> times, const std::vector<uint32_t>& order) : times_(times), order_(order) {}
        std::span<const double> times_;
        const std::vector<uint32_t>& order_;
    };
    /// The time of each row in Order(). Times are OLE serials and order as the where clauses order dates.
    SortedView SortedTimes() const noexcept { return {times_, order_}; }

    /// Positions [first, last) in Order() of the times within the bounds; a missing bound is open.
    struct Bound {
        double value = 0.0;
        bool inclusive = true;
    };
    std::pair<size_t, size_t> Range(const Bound* lower, const Bound* upper) const;

private:
    std::vector<double> owned_; // the times when they are not the column's values as stored
    std::span<const double> times_;
    std::vector<uint32_t> order_;
};

} // namespace chronova::gis
