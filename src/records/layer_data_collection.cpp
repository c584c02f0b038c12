#include "records/layer_data_collection.h"

#include <algorithm>

#include "platform/automation_error.h"

namespace chronova {

void LayerDataCollection::Add(const std::shared_ptr<LayerData>& record, const std::string& key) {
    if (!record) {
        platform::RaiseError(platform::error::kObjectNotSet);
    }
    if (by_key_.contains(key)) {
        platform::RaiseError(platform::error::kKeyAlreadyAssociated);
    }
    records_.push_back({key, record});
    by_key_.emplace(key, record);
}

void LayerDataCollection::Remove(const std::string& key) {
    if (by_key_.erase(key) == 0) {
        return;
    }
    std::erase_if(records_, [&](const Entry& entry) { return entry.key == key; });
}

std::shared_ptr<LayerData> LayerDataCollection::Item(const std::string& key) const {
    const auto found = by_key_.find(key);
    return found == by_key_.end() ? nullptr : found->second;
}

void LayerDataCollection::Clear() {
    for (const Entry& entry : records_) {
        entry.record->TheLayer.reset();
    }
    records_.clear();
    by_key_.clear();
}

std::vector<std::shared_ptr<LayerData>> LayerDataCollection::NewEnum() const {
    std::vector<std::shared_ptr<LayerData>> items;
    items.reserve(records_.size());
    for (const Entry& entry : records_) {
        items.push_back(entry.record);
    }
    return items;
}

} // namespace chronova
