#pragma once

#include "gis/data/geometry_column.h"
#include "gis/ogr/coordinate_projection.h"

namespace chronova::gis {

/// The shapes moved into another spatial reference, feature for feature. Coordinates that cannot be projected
/// are left out, and so is a part left with none; the feature keeps its row (it may end up with no parts).
GeometryColumn ProjectShapes(const GeometryColumn& shapes, const CoordinateProjection& projection,
                             const std::string& target_spatial_reference);

/// The box around an envelope's outline once projected. Each edge is followed through 21 points, so the box
/// holds edges that the projection bends; points that cannot be projected are left out. Empty when none can be.
Envelope ProjectEnvelope(const Envelope& envelope, const CoordinateProjection& projection);

} // namespace chronova::gis
