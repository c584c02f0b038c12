#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "gis/data/geometry_column.h"
#include "gis/symbology/symbols.h"
#include "platform/variant.h"

namespace chronova::gis {

/// What a custom layer draws on: primitives in map coordinates (the map's spatial reference), so that a
/// layer of another component draws without knowing the drawing toolkit.
class IDisplay {
public:
    virtual ~IDisplay() = default;
    /// A marker at a point; extra_angle adds degrees clockwise from north (a direction as data stores it).
    virtual void DrawMarker(double x, double y, const IMarkerSymbol& symbol, double extra_angle = 0.0) = 0;
    virtual void DrawPolyline(const double* x, const double* y, size_t count, const SimpleLineSymbol& symbol) = 0;
    virtual void DrawPolygon(const double* x, const double* y, size_t count, const SimpleFillSymbol& symbol) = 0;
    /// The map extent the image shows.
    virtual Envelope VisibleExtent() const = 0;
};

/// A layer that draws itself (custom layers of other components).
class IDrawableLayer : public virtual platform::IUnknown {
public:
    virtual void Draw(IDisplay& display) = 0;
    /// Counts changes of what the layer draws, so that a cached image of it is redrawn only when needed.
    virtual uint64_t DrawRevision() const = 0;
    /// What the layer draws now, as bytes, when it can say: equal bytes draw equal images, so an image drawn
    /// once serves again when the layer comes back to the same state (a time step shown again). Empty when the
    /// layer cannot say; then only DrawRevision tells.
    virtual std::optional<std::string> DrawState() const { return std::nullopt; }
};

} // namespace chronova::gis
