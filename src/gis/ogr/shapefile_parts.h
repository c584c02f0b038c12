#pragma once

#include <string>

namespace chronova::gis {

/// Whether a path names the .shp of a shapefile (letter case ignored).
bool IsShapefile(const std::string& path);

/// Raises 53 naming the .shx or the .dbf of a shapefile when it is missing: without its index GDAL cannot open the
/// shapes, and without its table it opens them with no fields at all, which would pass for a layer that lacks the
/// fields asked for.
void RequireShapefileParts(const std::string& shp_path);

/// The part of a shapefile (its .shp, .shx or .dbf) that is shorter than its own header says, so that a failed read
/// names the file that was cut short; "" when every part is whole (or cannot be examined).
std::string TruncatedShapefilePart(const std::string& shp_path);

} // namespace chronova::gis
