#pragma once

#include <cstdint>
#include <span>

#include "gis/data/geometry_column.h"

namespace chronova::gis {

/// Appends one feature's shape, given as well-known binary, to the column. Reads ISO and extended WKB in
/// either byte order; Z and M values are read and dropped. Points, line strings and polygons, their multi forms
/// and collections of them are understood: each line string and each polygon ring becomes a part, a point a part
/// of one coordinate, a multipoint one part holding all its points. Empty bytes and empty geometries add a
/// feature without parts. Raises an AutomationError (13) for bytes that are not such a geometry and leaves the
/// column as it was.
void AppendWkbShape(GeometryColumn& shapes, std::span<const uint8_t> wkb);

} // namespace chronova::gis
