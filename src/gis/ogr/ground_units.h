#pragma once

#include <string>

#include "gis/data/geometry_column.h"

namespace chronova::gis {

/// Metres on the ground per map unit along the x axis at the middle of an extent: the linear unit of a projected
/// spatial reference; for a geographic one, the length of a degree of longitude on its ellipsoid at the extent's
/// middle latitude. A reference that is empty or cannot be read is taken as degrees when the extent lies within
/// longitude and latitude bounds, else as metres.
double MetresPerMapUnit(const std::string& spatial_reference, const Envelope& extent);

} // namespace chronova::gis
