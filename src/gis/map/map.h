#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "gis/layers/layer.h"
#include "gis/map/active_view.h"
#include "gis/uid.h"

namespace chronova::gis {

/// A map: named, holding layers in drawing order (index 0 is drawn on top), and a view of its own (the data
/// view) with the refresh bookkeeping, batch switches and events of every view.
class Map : public ActiveViewBase {
public:
    explicit Map(std::string name = "Layers");

    const std::string& Name() const noexcept { return name_; }
    void Name(std::string name) { name_ = std::move(name); }

    /// Adds a layer on top (index 0) and fires ItemAdded, then ContentsChanged. Raises 91 for no layer and
    /// 5 for a layer already somewhere in the map.
    void AddLayer(std::shared_ptr<ILayer> layer);
    /// Adds a layer at a 0-based position (LayerCount() appends at the bottom); raises as AddLayer, and 9 for
    /// a position out of range.
    void AddLayerAt(std::shared_ptr<ILayer> layer, int32_t index);
    /// Removes a layer from the top level or from whichever group holds it, then fires ItemDeleted once for
    /// it and ContentsChanged. A layer that is not in the map changes nothing.
    void DeleteLayer(const std::shared_ptr<ILayer>& layer);
    /// Moves a top-level layer to a new 0-based position and fires ItemReordered. Raises 5 for a layer that
    /// is not at the top level and 9 for a position out of range.
    void MoveLayer(const std::shared_ptr<ILayer>& layer, int32_t index);
    /// Removes every layer, firing ItemDeleted for each top-level layer from the top, then ContentsChanged.
    void ClearLayers();

    int32_t LayerCount() const noexcept { return static_cast<int32_t>(layers_.size()); }
    /// The top-level layer at a 0-based position; raises 9 out of range.
    std::shared_ptr<ILayer> Layer(int32_t index) const;
    /// The layers that support the interface (all when iid is null), in drawing order. Recursive enumeration
    /// walks into composite layers, listing each composite before its children when it supports the interface.
    std::vector<std::shared_ptr<ILayer>> Layers(const UID* iid = nullptr, bool recursive = false) const;
    /// Whether the layer is at the top level or in any group of the map.
    bool HasLayer(const ILayer& layer) const;

    /// The union of the layers' areas of interest.
    Envelope FullExtent() const override;

    /// The map's spatial reference as WKT: the one set, else the first known one of its layers.
    std::string SpatialReference() const;
    void SpatialReference(std::string wkt) { spatial_reference_ = std::move(wkt); }

private:
    void CheckNewLayer(const std::shared_ptr<ILayer>& layer) const;
    void InsertLayer(std::shared_ptr<ILayer> layer, int32_t index);

    std::string name_;
    std::vector<std::shared_ptr<ILayer>> layers_;
    std::string spatial_reference_;
};

} // namespace chronova::gis
