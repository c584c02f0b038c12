#include "gis/data/track_index.h"

#include <algorithm>
#include <bit>
#include <string>
#include <string_view>
#include <unordered_map>

#include "gis/data/sorted_index.h"

namespace chronova::gis {

namespace {

// The entity number of each row (or kNone without an id), numbered in order of first appearance.
constexpr uint32_t kNone = UINT32_MAX;

std::vector<uint32_t> EntityOfRows(const Column& ids, uint32_t& entity_count) {
    std::vector<uint32_t> entities(ids.Size(), kNone);
    entity_count = 0;
    if (ids.StorageKind() == Column::Storage::Text) {
        std::unordered_map<std::string_view, uint32_t> numbers;
        for (size_t row = 0; row < ids.Size(); ++row) {
            if (!ids.IsNull(row)) {
                entities[row] = numbers.try_emplace(ids.Text(row), entity_count).first->second;
                entity_count = static_cast<uint32_t>(numbers.size());
            }
        }
    } else if (ids.StorageKind() != Column::Storage::None) {
        std::unordered_map<uint64_t, uint32_t> numbers;
        for (size_t row = 0; row < ids.Size(); ++row) {
            if (!ids.IsNull(row)) {
                entities[row] =
                    numbers.try_emplace(std::bit_cast<uint64_t>(ids.Number(row)), entity_count).first->second;
                entity_count = static_cast<uint32_t>(numbers.size());
            }
        }
    }
    return entities;
}

} // namespace

TrackIndex::TrackIndex(const Column& ids, const TimeValues& times) : row_count_(ids.Size()) {
    uint32_t entity_count = 0;
    const std::vector<uint32_t> entities = EntityOfRows(ids, entity_count);
    // Counting sort by entity over the rows in time order keeps each entity's fixes in time order.
    starts_.assign(entity_count + 1, 0);
    const auto& order = times.Order();
    for (uint32_t row : order) {
        if (row < entities.size() && entities[row] != kNone) {
            ++starts_[entities[row] + 1];
        }
    }
    for (size_t e = 0; e < entity_count; ++e) {
        starts_[e + 1] += starts_[e];
    }
    rows_.resize(starts_.back());
    times_.resize(starts_.back());
    std::vector<uint32_t> next(starts_.begin(), starts_.end() - 1);
    for (size_t i = 0; i < order.size(); ++i) {
        const uint32_t row = order[i];
        if (row < entities.size() && entities[row] != kNone) {
            const uint32_t slot = next[entities[row]]++;
            rows_[slot] = row;
            times_[slot] = times.SortedTimes()[i];
        }
    }
}

RowIds TrackIndex::LatestAt(double time, double max_age) const {
    std::vector<uint32_t> rows;
    rows.reserve(EntityCount());
    for (size_t e = 0; e < EntityCount(); ++e) {
        const auto first = times_.begin() + starts_[e];
        const auto last = times_.begin() + starts_[e + 1];
        const auto after = std::upper_bound(first, last, time);
        if (after == first) {
            continue; // no fix yet
        }
        const auto latest = after - 1;
        if (max_age > 0.0 && time - *latest > max_age) {
            continue;
        }
        rows.push_back(rows_[static_cast<size_t>(latest - times_.begin())]);
    }
    return AscendingRows(std::move(rows), row_count_);
}

std::vector<TrackIndex::Trail> TrackIndex::TrailsAt(double time, double length) const {
    std::vector<Trail> trails;
    for (size_t e = 0; e < EntityCount(); ++e) {
        const auto first = times_.begin() + starts_[e];
        const auto last = times_.begin() + starts_[e + 1];
        const auto end = std::upper_bound(first, last, time);
        const auto begin = length > 0.0 ? std::upper_bound(first, end, time - length) : first;
        if (end - begin < 2) {
            continue;
        }
        Trail trail;
        const auto from = static_cast<size_t>(begin - times_.begin());
        const auto to = static_cast<size_t>(end - times_.begin());
        trail.rows.assign(rows_.begin() + static_cast<std::ptrdiff_t>(from),
                          rows_.begin() + static_cast<std::ptrdiff_t>(to));
        trail.times.assign(begin, end);
        trails.push_back(std::move(trail));
    }
    return trails;
}

} // namespace chronova::gis
