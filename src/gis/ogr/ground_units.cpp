#include "gis/ogr/ground_units.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include <ogr_spatialref.h>

namespace chronova::gis {

namespace {

// WGS 84, for a reference that names no ellipsoid.
constexpr double kWgs84SemiMajor = 6378137.0;
constexpr double kWgs84InverseFlattening = 298.257223563;

double MetresPerDegreeOfLongitude(double latitude, double semi_major, double inverse_flattening) {
    const double flattening = inverse_flattening > 0.0 ? 1.0 / inverse_flattening : 0.0;
    const double eccentricity_squared = flattening * (2.0 - flattening);
    const double phi = std::clamp(latitude, -90.0, 90.0) * std::numbers::pi / 180.0;
    const double sine = std::sin(phi);
    // The radius of the parallel: the prime vertical radius of curvature times the cosine of the latitude.
    const double parallel_radius = semi_major * std::cos(phi) / std::sqrt(1.0 - eccentricity_squared * sine * sine);
    return parallel_radius * std::numbers::pi / 180.0;
}

bool LooksLikeDegrees(const Envelope& extent) {
    return extent.XMin >= -540.0 && extent.XMax <= 540.0 && extent.YMin >= -90.0 && extent.YMax <= 90.0;
}

} // namespace

double MetresPerMapUnit(const std::string& spatial_reference, const Envelope& extent) {
    const double middle_latitude = (extent.YMin + extent.YMax) / 2.0;
    OGRSpatialReference reference;
    if (spatial_reference.empty() || reference.SetFromUserInput(spatial_reference.c_str()) != OGRERR_NONE) {
        return LooksLikeDegrees(extent)
                   ? MetresPerDegreeOfLongitude(middle_latitude, kWgs84SemiMajor, kWgs84InverseFlattening)
                   : 1.0;
    }
    if (reference.IsGeographic()) {
        OGRErr error = OGRERR_NONE;
        const double semi_major = reference.GetSemiMajor(&error);
        const double inverse_flattening = reference.GetInvFlattening(&error);
        if (error != OGRERR_NONE || !(semi_major > 0.0)) {
            return MetresPerDegreeOfLongitude(middle_latitude, kWgs84SemiMajor, kWgs84InverseFlattening);
        }
        // Angular units other than degrees (grads, radians) scale the degree.
        const double degrees_per_unit = reference.GetAngularUnits() * 180.0 / std::numbers::pi;
        const double latitude = middle_latitude * degrees_per_unit;
        return MetresPerDegreeOfLongitude(latitude, semi_major, inverse_flattening) * degrees_per_unit;
    }
    const double metres = reference.GetLinearUnits();
    return metres > 0.0 ? metres : 1.0;
}

} // namespace chronova::gis
