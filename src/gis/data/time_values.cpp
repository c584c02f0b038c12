#include "gis/data/time_values.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <span>
#include <unordered_map>
#include <vector>

#include "platform/date_text.h"

namespace chronova::gis {

namespace {

constexpr double kNoTime = std::numeric_limits<double>::quiet_NaN();

double Shown(const platform::TimeReading& reading, double stored, std::optional<int> offset) {
    if (reading.IsIdentity()) {
        return stored;
    }
    return reading.Show(platform::Date(stored), offset).Serial();
}

// Rows with a time by ascending time, ties by row. Times mostly repeat a few steps, so rows are counted per
// distinct time and placed in one pass; when there are many distinct times, the rows are sorted.
std::vector<uint32_t> RowsByTime(std::span<const double> times) {
    constexpr size_t kMostDistinct = 1 << 16;
    struct Slot {
        uint32_t index = 0; // of the time among the distinct times
        uint32_t rows = 0;
    };
    std::unordered_map<double, Slot> slots;
    std::vector<double> distinct;
    size_t with_time = 0;
    // Rows of one time often follow each other (data written step by step): those skip the hash look-up.
    Slot* last_slot = nullptr;
    double last_time = kNoTime;
    for (const double time : times) {
        if (std::isnan(time)) {
            continue;
        }
        ++with_time;
        if (time == last_time) {
            ++last_slot->rows;
        } else if (distinct.size() <= kMostDistinct) {
            auto [slot, added] = slots.try_emplace(time, Slot{static_cast<uint32_t>(distinct.size()), 0});
            if (added) {
                distinct.push_back(time);
            }
            ++slot->second.rows;
            last_slot = &slot->second;
            last_time = time;
        }
    }
    std::vector<uint32_t> order;
    order.reserve(with_time);
    if (distinct.size() > kMostDistinct) {
        for (size_t row = 0; row < times.size(); ++row) {
            if (!std::isnan(times[row])) {
                order.push_back(static_cast<uint32_t>(row));
            }
        }
        // Ordered by the serial, as every comparison of the where clauses orders dates.
        std::stable_sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) { return times[a] < times[b]; });
        return order;
    }
    // Where each distinct time's rows start in the order.
    std::vector<uint32_t> ranked(distinct.size());
    std::iota(ranked.begin(), ranked.end(), 0U);
    std::sort(ranked.begin(), ranked.end(), [&](uint32_t a, uint32_t b) { return distinct[a] < distinct[b]; });
    std::vector<uint32_t> next(distinct.size());
    uint32_t start = 0;
    for (const uint32_t index : ranked) {
        next[index] = start;
        start += slots.at(distinct[index]).rows;
    }
    order.resize(with_time);
    uint32_t last_index = 0;
    last_time = kNoTime;
    for (size_t row = 0; row < times.size(); ++row) {
        const double time = times[row];
        if (std::isnan(time)) {
            continue;
        }
        if (time != last_time) {
            last_index = slots.find(time)->second.index;
            last_time = time;
        }
        order[next[last_index]++] = static_cast<uint32_t>(row);
    }
    return order;
}

} // namespace

TimeValues::TimeValues(const Column& column, const platform::TimeReading& reading) {
    const size_t rows = column.Size();
    if (reading.IsIdentity() && column.StorageKind() == Column::Storage::Real && !column.HasNulls()) {
        // Dates shown as stored are their own times: the column's values serve without a copy.
        times_ = column.Reals();
    } else {
        owned_.assign(rows, kNoTime);
        const platform::Locale& locale = platform::CurrentLocale();
        for (size_t row = 0; row < rows; ++row) {
            if (column.IsNull(row)) {
                continue;
            }
            switch (column.StorageKind()) {
            case Column::Storage::Text:
                if (const auto read = platform::TryParseZonedDate(column.Text(row), locale)) {
                    owned_[row] = Shown(reading, read->wall.Serial(), read->offset_minutes);
                }
                break;
            case Column::Storage::Real:
            case Column::Storage::Integer:
                owned_[row] = Shown(reading, column.Number(row), column.OffsetAt(row));
                break;
            case Column::Storage::None:
                break;
            }
        }
        times_ = owned_;
    }
    order_ = RowsByTime(times_);
}

std::pair<size_t, size_t> TimeValues::Range(const Bound* lower, const Bound* upper) const {
    // The first position in Order() whose time is not before the bound (after it when past is set).
    const auto first_from = [&](double value, bool past) {
        size_t low = 0;
        size_t high = order_.size();
        while (low < high) {
            const size_t middle = low + (high - low) / 2;
            const double time = times_[order_[middle]];
            if (past ? !(value < time) : time < value) {
                low = middle + 1;
            } else {
                high = middle;
            }
        }
        return low;
    };
    const size_t first = lower != nullptr ? first_from(lower->value, !lower->inclusive) : 0;
    const size_t last = upper != nullptr ? first_from(upper->value, upper->inclusive) : order_.size();
    return {first, std::max(first, last)};
}

} // namespace chronova::gis
