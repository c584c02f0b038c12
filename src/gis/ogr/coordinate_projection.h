#pragma once

#include <cstddef>
#include <memory>
#include <string>

namespace chronova::gis {

/// Moves coordinates from one spatial reference to another. Spatial references are WKT (or any text GDAL reads
/// without opening files, such as "EPSG:3857"); coordinates are in longitude/latitude or easting/northing order,
/// the order the host stores them in. Setting a projection up costs far more than using it, so callers keep one.
class CoordinateProjection {
public:
    /// Raises 5 when either spatial reference cannot be read or no transformation links them.
    CoordinateProjection(const std::string& from, const std::string& to);
    ~CoordinateProjection();
    CoordinateProjection(const CoordinateProjection&) = delete;
    CoordinateProjection& operator=(const CoordinateProjection&) = delete;

    /// Projects count points in place. success[i] tells whether point i could be projected (a point outside the
    /// target's area, such as a pole in a Mercator projection, cannot); its coordinates are unusable otherwise.
    void Transform(double* x, double* y, size_t count, bool* success) const;

private:
    struct Transformation;
    std::unique_ptr<Transformation> transformation_;
};

/// Whether two spatial references describe the same system (ignoring names and axis order). An empty one is
/// unknown and matches anything; a text that cannot be read matches only the same text.
bool SameSpatialReference(const std::string& first, const std::string& second);

} // namespace chronova::gis
