#include "apps/desktop/frame_cache.h"

#include <string_view>

#include "platform/settings_store.h"

namespace chronova::desktop {

namespace {

constexpr std::string_view kSettingsKey = "Software\\Chronova\\Desktop\\Frame Cache";
constexpr std::string_view kMegabytesValue = "Megabytes";

} // namespace

size_t FrameCache::BytesOf(const Entry& entry) {
    // The key is held twice: in the list and in the index.
    return static_cast<size_t>(entry.second.sizeInBytes()) + sizeof(Entry) + sizeof(FrameKey) +
           2 * entry.first.HeldBytes();
}

void FrameCache::Capacity(size_t bytes) {
    capacity_ = bytes;
    EvictTo(capacity_);
}

void FrameCache::EvictTo(size_t bytes) {
    while (bytes_ > bytes && !order_.empty()) {
        bytes_ -= BytesOf(order_.back());
        evicted_.push_back(std::move(order_.back().second));
        index_.erase(order_.back().first);
        order_.pop_back();
    }
}

std::optional<QImage> FrameCache::Find(const FrameKey& key) {
    const auto found = index_.find(key);
    if (found == index_.end()) {
        ++misses_;
        return std::nullopt;
    }
    ++hits_;
    order_.splice(order_.begin(), order_, found->second);
    return found->second->second;
}

void FrameCache::Insert(const FrameKey& key, const QImage& frame) {
    if (const auto found = index_.find(key); found != index_.end()) {
        bytes_ -= BytesOf(*found->second);
        order_.erase(found->second);
        index_.erase(found);
    }
    Entry entry{key, frame};
    const size_t bytes = BytesOf(entry);
    if (frame.isNull() || bytes > capacity_) {
        return;
    }
    EvictTo(capacity_ - bytes);
    order_.push_front(std::move(entry));
    index_.emplace(order_.front().first, order_.begin());
    bytes_ += bytes;
}

void FrameCache::Clear() {
    evicted_.clear();
    order_.clear();
    index_.clear();
    bytes_ = 0;
}

uint32_t StoredFrameCacheMegabytes() {
    const auto value = platform::SettingsStore().ReadValue(platform::HKEY_CURRENT_USER, kSettingsKey, kMegabytesValue);
    if (!value || value->type != platform::ValueType::RegDword) {
        return kDefaultFrameCacheMegabytes;
    }
    return value->number;
}

void StoreFrameCacheMegabytes(uint32_t megabytes) {
    platform::SettingsStore().WriteValue(platform::HKEY_CURRENT_USER, kSettingsKey, kMegabytesValue,
                                         platform::SettingsValue::DWord(megabytes));
}

} // namespace chronova::desktop
