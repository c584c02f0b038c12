#include "gis/data/sorted_index.h"

#include <algorithm>
#include <bit>
#include <cmath>

#include "platform/automation_error.h"
#include "platform/conversions.h"

namespace chronova::gis {

RowIds AscendingRows(std::vector<uint32_t> rows, size_t row_count) {
    // A sort costs about k log k; a bitset n / 64 words plus k. The bitset wins well before k nears n.
    if (rows.size() < 64 || rows.size() < row_count / 128) {
        std::sort(rows.begin(), rows.end());
        rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
        return rows;
    }
    std::vector<uint64_t> bits((row_count + 63) / 64);
    for (uint32_t row : rows) {
        bits[row / 64] |= uint64_t{1} << (row % 64);
    }
    rows.clear();
    for (size_t word = 0; word < bits.size(); ++word) {
        for (uint64_t w = bits[word]; w != 0; w &= w - 1) {
            rows.push_back(static_cast<uint32_t>(word * 64 + static_cast<size_t>(std::countr_zero(w))));
        }
    }
    return rows;
}

SortedIndex::SortedIndex(const Column& column) : row_count_(column.Size()) {
    const size_t size = column.Size();
    order_.reserve(size);
    for (size_t row = 0; row < size; ++row) {
        if (!column.IsNull(row)) {
            order_.push_back(static_cast<uint32_t>(row));
        }
    }
    switch (column.StorageKind()) {
    case Column::Storage::Integer:
    case Column::Storage::Real: {
        std::vector<double> values(size);
        for (uint32_t row : order_) {
            values[row] = column.Number(row);
        }
        // NaN has no place in an order; like a null it matches no comparison.
        std::erase_if(order_, [&](uint32_t row) { return std::isnan(values[row]); });
        std::stable_sort(order_.begin(), order_.end(), [&](uint32_t a, uint32_t b) { return values[a] < values[b]; });
        numbers_.reserve(order_.size());
        for (uint32_t row : order_) {
            numbers_.push_back(values[row]);
        }
        break;
    }
    case Column::Storage::Text: {
        is_text_ = true;
        const auto& texts = column.Texts();
        std::stable_sort(order_.begin(), order_.end(), [&](uint32_t a, uint32_t b) { return texts[a] < texts[b]; });
        texts_.reserve(order_.size());
        for (uint32_t row : order_) {
            texts_.push_back(texts[row]);
        }
        break;
    }
    case Column::Storage::None:
        order_.clear();
        break;
    }
}

namespace {

template <typename Values, typename Value>
std::pair<size_t, size_t> RangeOf(const Values& values, const Value* lower, bool lower_inclusive, const Value* upper,
                                  bool upper_inclusive) {
    size_t first = 0;
    size_t last = values.size();
    if (lower != nullptr) {
        first = static_cast<size_t>((lower_inclusive ? std::lower_bound(values.begin(), values.end(), *lower)
                                                     : std::upper_bound(values.begin(), values.end(), *lower)) -
                                    values.begin());
    }
    if (upper != nullptr) {
        last = static_cast<size_t>((upper_inclusive ? std::upper_bound(values.begin(), values.end(), *upper)
                                                    : std::lower_bound(values.begin(), values.end(), *upper)) -
                                   values.begin());
    }
    return {first, std::max(first, last)};
}

} // namespace

std::pair<size_t, size_t> SortedIndex::NumberRange(const Bound* lower, const Bound* upper) const {
    if (is_text_) {
        return {0, 0};
    }
    return RangeOf(numbers_, lower ? &lower->value : nullptr, lower && lower->inclusive,
                   upper ? &upper->value : nullptr, upper && upper->inclusive);
}

std::pair<size_t, size_t> SortedIndex::TextRange(const TextBound* lower, const TextBound* upper) const {
    if (!is_text_) {
        return {0, 0};
    }
    return RangeOf(texts_, lower ? &lower->value : nullptr, lower && lower->inclusive, upper ? &upper->value : nullptr,
                   upper && upper->inclusive);
}

RowIds SortedIndex::Rows(std::pair<size_t, size_t> range) const {
    return Rows(std::vector<std::pair<size_t, size_t>>{range});
}

RowIds SortedIndex::Rows(const std::vector<std::pair<size_t, size_t>>& ranges) const {
    std::vector<uint32_t> rows;
    size_t total = 0;
    for (const auto& [first, last] : ranges) {
        total += last - first;
    }
    rows.reserve(total);
    for (const auto& [first, last] : ranges) {
        rows.insert(rows.end(), order_.begin() + static_cast<std::ptrdiff_t>(first),
                    order_.begin() + static_cast<std::ptrdiff_t>(last));
    }
    return AscendingRows(std::move(rows), row_count_);
}

const SortedIndex::TextNumbers& SortedIndex::NumbersOfTexts() const {
    std::call_once(text_numbers_once_, [this] {
        if (!is_text_) {
            return;
        }
        std::vector<std::pair<double, uint32_t>> pairs;
        for (size_t i = 0; i < order_.size(); ++i) {
            try {
                if (const auto number = platform::ParseNumber(texts_[i])) {
                    pairs.emplace_back(*number, order_[i]);
                }
            } catch (const platform::AutomationError&) {
                // a number too large for a double matches no key
            }
        }
        std::sort(pairs.begin(), pairs.end());
        text_numbers_.numbers.reserve(pairs.size());
        text_numbers_.rows.reserve(pairs.size());
        for (const auto& [number, row] : pairs) {
            text_numbers_.numbers.push_back(number);
            text_numbers_.rows.push_back(row);
        }
    });
    return text_numbers_;
}

} // namespace chronova::gis
