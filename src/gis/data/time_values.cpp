#include "gis/data/time_values.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

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

} // namespace

TimeValues::TimeValues(const Column& column, const platform::TimeReading& reading) {
    const size_t rows = column.Size();
    times_.assign(rows, kNoTime);
    const platform::Locale& locale = platform::CurrentLocale();
    for (size_t row = 0; row < rows; ++row) {
        if (column.IsNull(row)) {
            continue;
        }
        switch (column.StorageKind()) {
        case Column::Storage::Text:
            if (const auto read = platform::TryParseZonedDate(column.Text(row), locale)) {
                times_[row] = Shown(reading, read->wall.Serial(), read->offset_minutes);
            }
            break;
        case Column::Storage::Real:
        case Column::Storage::Integer:
            times_[row] = Shown(reading, column.Number(row), column.OffsetAt(row));
            break;
        case Column::Storage::None:
            break;
        }
    }
    order_.reserve(rows);
    for (size_t row = 0; row < rows; ++row) {
        if (!std::isnan(times_[row])) {
            order_.push_back(static_cast<uint32_t>(row));
        }
    }
    // Ordered by the serial, as every comparison of the where clauses orders dates.
    std::stable_sort(order_.begin(), order_.end(), [&](uint32_t a, uint32_t b) { return times_[a] < times_[b]; });
    sorted_.reserve(order_.size());
    for (uint32_t row : order_) {
        sorted_.push_back(times_[row]);
    }
}

std::pair<size_t, size_t> TimeValues::Range(const Bound* lower, const Bound* upper) const {
    size_t first = 0;
    size_t last = sorted_.size();
    if (lower != nullptr) {
        const double value = lower->value;
        first = static_cast<size_t>((lower->inclusive ? std::lower_bound(sorted_.begin(), sorted_.end(), value)
                                                      : std::upper_bound(sorted_.begin(), sorted_.end(), value)) -
                                    sorted_.begin());
    }
    if (upper != nullptr) {
        const double value = upper->value;
        last = static_cast<size_t>((upper->inclusive ? std::upper_bound(sorted_.begin(), sorted_.end(), value)
                                                     : std::lower_bound(sorted_.begin(), sorted_.end(), value)) -
                                   sorted_.begin());
    }
    return {first, std::max(first, last)};
}

} // namespace chronova::gis
