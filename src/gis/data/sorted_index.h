#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "gis/data/column_table.h"
#include "gis/data/row_ids.h"

namespace chronova::gis {

/// Sorts row positions ascending and drops repeats. Many rows go through a bitset over the table's
/// row_count rows, which is linear; few through a sort. Every row must be below row_count.
RowIds AscendingRows(std::vector<uint32_t> rows, size_t row_count);

/// A column's non-null rows ordered by value (ties by row), so that a comparison with one value is a
/// binary search: O(log n) to find the range, O(k log k) to hand back its k rows in row order.
class SortedIndex {
public:
    explicit SortedIndex(const Column& column);

    /// Positions [first, last) in Order() of the values within the bounds; a missing bound is open.
    struct Bound {
        double value = 0.0;
        bool inclusive = true;
    };
    std::pair<size_t, size_t> NumberRange(const Bound* lower, const Bound* upper) const;
    struct TextBound {
        std::string_view value;
        bool inclusive = true;
    };
    std::pair<size_t, size_t> TextRange(const TextBound* lower, const TextBound* upper) const;

    /// Rows of the column by ascending value.
    const std::vector<uint32_t>& Order() const noexcept { return order_; }
    /// The rows at positions [first, last) of Order(), ascending by row.
    RowIds Rows(std::pair<size_t, size_t> range) const;
    /// The rows at the positions of several ranges of Order(), which may overlap; ascending, no repeats.
    RowIds Rows(const std::vector<std::pair<size_t, size_t>>& ranges) const;
    bool IsText() const noexcept { return is_text_; }

    /// A text column's rows whose text reads as a number, by ascending number, so that a number can be
    /// looked up among texts (a join whose keys differ in type). Built on the first call; thread-safe.
    struct TextNumbers {
        std::vector<double> numbers;
        std::vector<uint32_t> rows;
    };
    const TextNumbers& NumbersOfTexts() const;

private:
    size_t row_count_ = 0;
    bool is_text_ = false;
    std::vector<uint32_t> order_;
    std::vector<double> numbers_;         // values in Order(), for number columns
    std::vector<std::string_view> texts_; // values in Order(), for text columns; views into the column
    mutable std::once_flag text_numbers_once_;
    mutable TextNumbers text_numbers_;
};

} // namespace chronova::gis
