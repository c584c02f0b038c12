#pragma once

#include <QColor>
#include <QSize>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "gis/data/geometry_column.h"
#include "gis/data/row_ids.h"
#include "gis/layers/feature_layer.h"
#include "platform/time_zone.h"

namespace chronova::gis {
class Map;
} // namespace chronova::gis

namespace chronova::desktop {

/// An object a frame was drawn from, by identity: two identities are equal only while both objects are alive and
/// the same one, so a new object that happens to get a freed one's address never matches it.
class Identity {
public:
    Identity() = default;
    template <class T>
    explicit Identity(const std::shared_ptr<T>& object)
        : ref_(std::shared_ptr<const void>(object, static_cast<const void*>(object.get()))), address_(object.get()) {}

    const void* Address() const noexcept { return address_; }
    friend bool operator==(const Identity& a, const Identity& b) noexcept {
        return a.address_ == b.address_ && (a.address_ == nullptr || (!a.ref_.expired() && !b.ref_.expired()));
    }

private:
    std::weak_ptr<const void> ref_;
    const void* address_ = nullptr;
};

/// What one drawn layer's image depends on. A feature layer is described by what it draws from (data, the content
/// of its joins, renderer and label revisions) and by the filter time applies to it (definition expression, time
/// reading, selected fixes, trails); a raster layer with a stretched or RGB renderer by its raster, band, effect level
/// and renderer settings. So a layer showing a step again gives the same state. Other layers are described by their
/// draw revision, which never returns to an earlier value.
struct DrawnLayerState {
    Identity Layer;
    uint64_t Revision = 0;
    bool Feature = false;
    Identity FeatureClass;
    Identity Shapes;
    Identity Data;
    Identity Renderer;
    Identity Raster;
    Identity RendererRaster;
    // The joins by what they yield, not by identity: time playback joins each step's rows anew.
    std::vector<uint64_t> Joins;
    std::string Definition;
    // Whether the features are drawn in the order a rising bound lets them in rather than in row order.
    bool FollowsGrowth = false;
    platform::TimeReading Reading;
    std::shared_ptr<const gis::RowIds> Selection;
    std::shared_ptr<const std::vector<gis::FeatureTrail>> Trails;
    /// Settings held by value (a raster's band, effect level and renderer settings), as bytes.
    std::string Settings;

    friend bool operator==(const DrawnLayerState& a, const DrawnLayerState& b);
};

/// Everything a frame of the map canvas depends on: the view (size, visible extent, spatial reference, background)
/// and every drawn layer bottom first. Equal keys mean MapDrawer draws equal frames.
class FrameKey {
public:
    /// The state of a map as drawn now at a size, showing an extent (visible extent of the view, from the extent
    /// the drawer would use) over a background. Reads the host objects: call it on their thread.
    static FrameKey Of(const gis::Map& map, QSize size, const gis::Envelope& visible, QColor background);

    /// A cheap summary of the drawn layers (which ones, in which order, at which draw revision): it stays the
    /// same exactly while no drawn layer changes, so it tells whether a key taken before a drawing still holds
    /// after it (the view is compared apart). Reads the host objects: call it on their thread.
    static size_t DrawStamp(const gis::Map& map);

    size_t Hash() const noexcept { return hash_; }
    /// Memory the key holds besides itself (texts and kept selections), counted against the cache's bound.
    size_t HeldBytes() const noexcept;
    friend bool operator==(const FrameKey& a, const FrameKey& b);

private:
    QSize size_;
    gis::Envelope visible_;
    std::string reference_;
    QRgb background_ = 0;
    std::vector<DrawnLayerState> layers_;
    size_t hash_ = 0;
};

struct FrameKeyHash {
    size_t operator()(const FrameKey& key) const noexcept { return key.Hash(); }
};

} // namespace chronova::desktop
