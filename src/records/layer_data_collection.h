#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "records/layer_data.h"

namespace chronova {

/// Insertion-ordered, keyed collection of time layer records. The registry keys a record by its own
/// IdentityKey(), the layer dialog by its layer's identity.
class LayerDataCollection {
public:
    /// Appends the record under the key; raises 457 when the key is taken and 91 for no record.
    void Add(const std::shared_ptr<LayerData>& record, const std::string& key);
    /// Removes the record with the key; a missing key is ignored.
    void Remove(const std::string& key);
    /// The record with the key, or nothing.
    std::shared_ptr<LayerData> Item(const std::string& key) const;
    int32_t Count() const { return static_cast<int32_t>(records_.size()); }
    /// Releases every record's layer, then empties the collection.
    void Clear();
    /// The records in insertion order, as a snapshot that stays valid while the collection changes.
    std::vector<std::shared_ptr<LayerData>> NewEnum() const;

private:
    struct Entry {
        std::string key;
        std::shared_ptr<LayerData> record;
    };
    std::vector<Entry> records_;
    std::unordered_map<std::string, std::shared_ptr<LayerData>> by_key_;
};

} // namespace chronova
