#pragma once

#include <QImage>
#include <cstddef>
#include <cstdint>
#include <list>
#include <optional>
#include <unordered_map>
#include <utility>
#include <vector>

#include "apps/desktop/frame_key.h"

namespace chronova::desktop {

/// Frames of the map canvas kept by what they show, within a bound of memory: the least recently used frames go
/// first when a new one does not fit. A bound of 0 keeps nothing.
class FrameCache {
public:
    explicit FrameCache(size_t capacity_bytes = 0) : capacity_(capacity_bytes) {}

    size_t Capacity() const noexcept { return capacity_; }
    /// A new bound; frames beyond it go at once, least recently used first.
    void Capacity(size_t bytes);
    bool Enabled() const noexcept { return capacity_ > 0; }

    /// The frame kept for a key, which becomes the most recently used; none when there is no such frame.
    std::optional<QImage> Find(const FrameKey& key);
    /// Keeps a frame (replacing one kept for the same key) unless it alone is larger than the bound.
    void Insert(const FrameKey& key, const QImage& frame);
    void Clear();
    /// The frames dropped to keep within the bound since the last call, so that their memory can serve again
    /// (FrameCopier::Recycle) rather than be handed back to the system by the thread that draws.
    std::vector<QImage> TakeEvicted() { return std::exchange(evicted_, {}); }

    /// Memory the kept frames and their keys take.
    size_t Bytes() const noexcept { return bytes_; }
    size_t Count() const noexcept { return order_.size(); }
    int64_t Hits() const noexcept { return hits_; }
    int64_t Misses() const noexcept { return misses_; }

private:
    using Entry = std::pair<FrameKey, QImage>;
    static size_t BytesOf(const Entry& entry);
    void EvictTo(size_t bytes);

    size_t capacity_;
    size_t bytes_ = 0;
    int64_t hits_ = 0;
    int64_t misses_ = 0;
    // Most recently used first.
    std::list<Entry> order_;
    std::unordered_map<FrameKey, std::list<Entry>::iterator, FrameKeyHash> index_;
    std::vector<QImage> evicted_;
};

/// The frame cache's bound the user chose, in megabytes (the user settings, "Software\Chronova\Desktop\Frame
/// Cache", value "Megabytes"); kDefaultFrameCacheMegabytes when none is stored. Off by default for now: a step
/// drawn for the first time still costs the drawing thread a little more with the cache on (handing the frame to
/// the copier, whose copy competes for the cores and memory), and only steps shown again gain.
inline constexpr uint32_t kDefaultFrameCacheMegabytes = 0;
uint32_t StoredFrameCacheMegabytes();
/// Stores the bound for windows opened from now on; 0 turns the cache off.
void StoreFrameCacheMegabytes(uint32_t megabytes);

} // namespace chronova::desktop
