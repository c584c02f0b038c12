#pragma once

#include <cstdint>
#include <optional>

#include "gis/data/geometry_column.h"

namespace chronova::gis {

/// A place in map coordinates.
struct MapPoint {
    double X = 0.0;
    double Y = 0.0;
};

/// Where the label of feature `row` goes, in map coordinates: a point's (a multipoint's first) coordinate, the
/// point halfway along a line's longest part, a polygon's label point. Shapes of unknown type answer as points
/// when their first part is a single coordinate and as lines otherwise. Nothing for an empty shape or a row
/// past the shapes.
std::optional<MapPoint> LabelAnchor(const GeometryColumn& shapes, uint32_t row, GeometryType type);

/// The point halfway along the longest part of line feature `row`.
std::optional<MapPoint> LineLabelPoint(const GeometryColumn& shapes, uint32_t row);

/// A point inside polygon feature `row` where its label reads well: the centroid of its largest ring when that
/// lies inside the polygon (holes count as outside), else the middle of the widest inside stretch of the
/// horizontal line through the middle of that ring's bounding box, which finds the inside of a U or a ring
/// around a hole.
std::optional<MapPoint> PolygonLabelPoint(const GeometryColumn& shapes, uint32_t row);

} // namespace chronova::gis
