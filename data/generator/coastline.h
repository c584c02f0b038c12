#pragma once

#include <string>
#include <vector>

#include "generator/sample_scene.h"

namespace chronova::sample_data {

/// A named piece of land: one closed ring, its last point repeating the first.
struct LandArea {
    std::string Name;
    std::vector<GeoPoint> Ring;
};

/// The land round the Gulf of Mexico inside the sample region, roughly drawn: North and Central America from
/// Yucatan to Florida, and western Cuba. Where the land leaves the region its ring follows the region's edges, so
/// the areas stay inside the region and do not widen a map that shows all layers.
std::vector<LandArea> LandAreas();

} // namespace chronova::sample_data
