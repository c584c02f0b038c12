#include "gis/map/map.h"

#include <algorithm>

#include "gis/interface_ids.h"
#include "gis/layers/group_layer.h"
#include "platform/automation_error.h"

namespace chronova::gis {
namespace {

// Takes a layer out of the groups below the given layers; true when it was found.
bool RemoveFromGroups(const std::vector<std::shared_ptr<ILayer>>& layers, const std::shared_ptr<ILayer>& layer) {
    for (const auto& candidate : layers) {
        const auto group = std::dynamic_pointer_cast<GroupLayer>(candidate);
        if (group && (group->Delete(layer) || RemoveFromGroups(group->Layers(), layer))) {
            return true;
        }
    }
    return false;
}

void Collect(const std::shared_ptr<ILayer>& layer, const UID* iid, bool recursive,
             std::vector<std::shared_ptr<ILayer>>& found) {
    if (iid == nullptr || SupportsInterface(*layer, *iid)) {
        found.push_back(layer);
    }
    if (!recursive) {
        return;
    }
    if (const auto* composite = dynamic_cast<const ICompositeLayer*>(layer.get())) {
        for (int32_t i = 0; i < composite->Count(); ++i) {
            if (auto child = composite->Layer(i)) {
                Collect(child, iid, recursive, found);
            }
        }
    }
}

} // namespace

Map::Map(std::string name) : name_(std::move(name)) {}

void Map::AddLayer(std::shared_ptr<ILayer> layer) {
    InsertLayer(std::move(layer), 0);
}

void Map::AddLayerAt(std::shared_ptr<ILayer> layer, int32_t index) {
    InsertLayer(std::move(layer), index);
}

void Map::CheckNewLayer(const std::shared_ptr<ILayer>& layer) const {
    if (!layer) {
        platform::RaiseError(platform::error::kObjectNotSet, "No layer was given to the map '" + name_ + "'.");
    }
    for (const auto& existing : layers_) {
        if (ContainsLayer(*existing, *layer) || ContainsLayer(*layer, *existing)) {
            platform::RaiseError(platform::error::kInvalidProcedureCall,
                                 "The layer '" + layer->Name() + "' is already in the map '" + name_ + "'.");
        }
    }
}

// Held by value, so the layer outlives the events below whatever the caller's pointer does.
// NOLINTNEXTLINE(performance-unnecessary-value-param)
void Map::InsertLayer(std::shared_ptr<ILayer> layer, int32_t index) {
    CheckNewLayer(layer);
    if (index < 0 || index > LayerCount()) {
        platform::RaiseError(platform::error::kSubscriptOutOfRange);
    }
    layers_.insert(layers_.begin() + index, layer);
    const auto alive = LifeToken();
    Emit([this, layer] { Events().ItemAdded.Fire(layer); });
    if (!alive.expired()) {
        Emit([this] { Events().ContentsChanged.Fire(); });
    }
}

void Map::DeleteLayer(const std::shared_ptr<ILayer>& layer) {
    if (!layer) {
        return;
    }
    // The caller's pointer may be an element of a list that changes below; hold the layer here.
    const std::shared_ptr<ILayer> deleted = layer; // NOLINT(performance-unnecessary-copy-initialization)
    const auto top = std::find(layers_.begin(), layers_.end(), deleted);
    if (top != layers_.end()) {
        layers_.erase(top);
    } else if (!RemoveFromGroups(layers_, deleted)) {
        return;
    }
    const auto alive = LifeToken();
    Emit([this, deleted] { Events().ItemDeleted.Fire(deleted); });
    if (!alive.expired()) {
        Emit([this] { Events().ContentsChanged.Fire(); });
    }
}

void Map::MoveLayer(const std::shared_ptr<ILayer>& layer, int32_t index) {
    const auto found = std::find(layers_.begin(), layers_.end(), layer);
    if (!layer || found == layers_.end()) {
        platform::RaiseError(platform::error::kInvalidProcedureCall,
                             "Only a top-level layer of the map '" + name_ + "' can be moved.");
    }
    if (index < 0 || index >= LayerCount()) {
        platform::RaiseError(platform::error::kSubscriptOutOfRange);
    }
    // The caller's pointer may be the element erased below; hold the layer here.
    const std::shared_ptr<ILayer> moved = layer; // NOLINT(performance-unnecessary-copy-initialization)
    layers_.erase(found);
    layers_.insert(layers_.begin() + index, moved);
    Emit([this, moved, index] { Events().ItemReordered.Fire(moved, index); });
}

void Map::ClearLayers() {
    const std::vector<std::shared_ptr<ILayer>> removed = std::exchange(layers_, {});
    const auto alive = LifeToken();
    for (const auto& layer : removed) {
        Emit([this, layer] { Events().ItemDeleted.Fire(layer); });
        if (alive.expired()) {
            return;
        }
    }
    Emit([this] { Events().ContentsChanged.Fire(); });
}

std::shared_ptr<ILayer> Map::Layer(int32_t index) const {
    if (index < 0 || index >= LayerCount()) {
        platform::RaiseError(platform::error::kSubscriptOutOfRange);
    }
    return layers_[static_cast<size_t>(index)];
}

std::vector<std::shared_ptr<ILayer>> Map::Layers(const UID* iid, bool recursive) const {
    std::vector<std::shared_ptr<ILayer>> found;
    // Copied first: an interface test of another component must not see the list change under it.
    const auto layers = layers_;
    for (const auto& layer : layers) {
        Collect(layer, iid, recursive, found);
    }
    return found;
}

bool Map::HasLayer(const ILayer& layer) const {
    return std::any_of(layers_.begin(), layers_.end(),
                       [&](const auto& existing) { return ContainsLayer(*existing, layer); });
}

Envelope Map::FullExtent() const {
    Envelope extent;
    for (const auto& layer : layers_) {
        extent.Union(layer->AreaOfInterest());
    }
    return extent;
}

std::string Map::SpatialReference() const {
    return spatial_reference_.empty() ? FirstSpatialReference(layers_) : spatial_reference_;
}

} // namespace chronova::gis
