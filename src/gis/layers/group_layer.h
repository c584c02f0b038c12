#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "gis/layers/layer.h"

namespace chronova::gis {

/// A layer that holds other layers, drawn top first; the host's way of nesting layers in a map.
class GroupLayer : public LayerBase, public virtual ICompositeLayer {
public:
    GroupLayer() = default;
    explicit GroupLayer(std::string name) : LayerBase(std::move(name)) {}

    /// Appends a layer at the bottom of the group. Raises 91 for no layer, and 5 for a layer already in the
    /// group or one that contains this group (a group cannot hold itself).
    void Add(std::shared_ptr<ILayer> layer);
    /// Inserts a layer at a 0-based position (Count() appends); raises as Add, and 9 for a position out of range.
    void Insert(int32_t index, std::shared_ptr<ILayer> layer);
    /// Removes a child of this group (not of nested groups); false when it is not a child.
    bool Delete(const std::shared_ptr<ILayer>& layer);
    void Clear() { layers_.clear(); }

    int32_t Count() const override { return static_cast<int32_t>(layers_.size()); }
    std::shared_ptr<ILayer> Layer(int32_t index) const override;
    const std::vector<std::shared_ptr<ILayer>>& Layers() const noexcept { return layers_; }

    /// The union of the children's areas.
    Envelope AreaOfInterest() const override;
    /// The first child's spatial reference that is known.
    std::string SpatialReference() const override;

private:
    std::vector<std::shared_ptr<ILayer>> layers_;
};

/// The first spatial reference of the layers that is known, "" when none is.
std::string FirstSpatialReference(const std::vector<std::shared_ptr<ILayer>>& layers);

/// Whether a layer is the given one or holds it at any depth of composite layers.
bool ContainsLayer(const ILayer& layer, const ILayer& wanted);

} // namespace chronova::gis
