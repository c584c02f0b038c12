#include "gis/layers/group_layer.h"

#include <algorithm>

#include "platform/automation_error.h"

namespace chronova::gis {

bool ContainsLayer(const ILayer& layer, const ILayer& wanted) {
    if (&layer == &wanted) {
        return true;
    }
    const auto* composite = dynamic_cast<const ICompositeLayer*>(&layer);
    if (composite == nullptr) {
        return false;
    }
    for (int32_t i = 0; i < composite->Count(); ++i) {
        const auto child = composite->Layer(i);
        if (child && ContainsLayer(*child, wanted)) {
            return true;
        }
    }
    return false;
}

void GroupLayer::Add(std::shared_ptr<ILayer> layer) {
    Insert(Count(), std::move(layer));
}

void GroupLayer::Insert(int32_t index, std::shared_ptr<ILayer> layer) {
    if (!layer) {
        platform::RaiseError(platform::error::kObjectNotSet, "No layer was given to the group '" + Name() + "'.");
    }
    if (index < 0 || index > Count()) {
        platform::RaiseError(platform::error::kSubscriptOutOfRange);
    }
    if (std::find(layers_.begin(), layers_.end(), layer) != layers_.end()) {
        platform::RaiseError(platform::error::kInvalidProcedureCall,
                             "The layer '" + layer->Name() + "' is already in the group '" + Name() + "'.");
    }
    if (ContainsLayer(*layer, *this)) {
        platform::RaiseError(platform::error::kInvalidProcedureCall, "The group '" + Name() + "' cannot hold itself.");
    }
    layers_.insert(layers_.begin() + index, std::move(layer));
}

bool GroupLayer::Delete(const std::shared_ptr<ILayer>& layer) {
    const auto found = std::find(layers_.begin(), layers_.end(), layer);
    if (found == layers_.end()) {
        return false;
    }
    layers_.erase(found);
    return true;
}

std::shared_ptr<ILayer> GroupLayer::Layer(int32_t index) const {
    if (index < 0 || index >= Count()) {
        platform::RaiseError(platform::error::kSubscriptOutOfRange);
    }
    return layers_[static_cast<size_t>(index)];
}

Envelope GroupLayer::AreaOfInterest() const {
    Envelope area;
    for (const auto& layer : layers_) {
        area.Union(layer->AreaOfInterest());
    }
    return area;
}

std::string GroupLayer::SpatialReference() const {
    return FirstSpatialReference(layers_);
}

std::string FirstSpatialReference(const std::vector<std::shared_ptr<ILayer>>& layers) {
    for (const auto& layer : layers) {
        auto wkt = layer->SpatialReference();
        if (!wkt.empty()) {
            return wkt;
        }
    }
    return {};
}

} // namespace chronova::gis
