// Coordinate transformation through OGR/PROJ, kept behind a GDAL-free header.
#include "gis/ogr/coordinate_projection.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include <ogr_spatialref.h>

#include "gis/ogr/gdal_environment.h"
#include "platform/automation_error.h"

namespace chronova::gis {

namespace {

struct TransformationDeleter {
    void operator()(OGRCoordinateTransformation* transformation) const {
        OGRCoordinateTransformation::DestroyCT(transformation);
    }
};

// Reads a spatial reference without touching files or the network; coordinates keep the host's x/y order.
bool Import(const std::string& text, OGRSpatialReference& srs) {
    if (srs.SetFromUserInput(text.c_str(), OGRSpatialReference::SET_FROM_USER_INPUT_LIMITATIONS_get()) != OGRERR_NONE) {
        return false;
    }
    srs.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    return true;
}

} // namespace

struct CoordinateProjection::Transformation {
    std::unique_ptr<OGRCoordinateTransformation, TransformationDeleter> handle;
};

CoordinateProjection::CoordinateProjection(const std::string& from, const std::string& to)
    : transformation_(std::make_unique<Transformation>()) {
    GdalErrorTrap trap;
    OGRSpatialReference source;
    OGRSpatialReference target;
    if (!Import(from, source) || !Import(to, target)) {
        trap.Raise(platform::error::kInvalidProcedureCall, "A spatial reference cannot be read");
    }
    transformation_->handle.reset(OGRCreateCoordinateTransformation(&source, &target));
    if (!transformation_->handle) {
        trap.Raise(platform::error::kInvalidProcedureCall,
                   "No transformation leads from '" + std::string(source.GetName() ? source.GetName() : "?") +
                       "' to '" + std::string(target.GetName() ? target.GetName() : "?") + "'");
    }
}

CoordinateProjection::~CoordinateProjection() = default;

void CoordinateProjection::Transform(double* x, double* y, size_t count, bool* success) const {
    // PROJ reports points it cannot project as errors; they are expected here and answered per point.
    GdalErrorTrap quiet;
    std::vector<int> flags;
    constexpr size_t kChunk = 1 << 20;
    for (size_t first = 0; first < count; first += kChunk) {
        const size_t chunk = std::min(kChunk, count - first);
        flags.assign(chunk, FALSE);
        transformation_->handle->Transform(static_cast<int>(chunk), x + first, y + first, nullptr, flags.data());
        for (size_t i = 0; i < chunk; ++i) {
            success[first + i] = flags[i] != FALSE && std::isfinite(x[first + i]) && std::isfinite(y[first + i]);
        }
    }
}

bool SameSpatialReference(const std::string& first, const std::string& second) {
    if (first.empty() || second.empty() || first == second) {
        return true;
    }
    GdalErrorTrap quiet;
    OGRSpatialReference a;
    OGRSpatialReference b;
    if (!Import(first, a) || !Import(second, b)) {
        return false;
    }
    const char* options[] = {"IGNORE_DATA_AXIS_TO_SRS_AXIS_MAPPING=YES",
                             "CRITERION=EQUIVALENT_EXCEPT_AXIS_ORDER_GEOGCRS", nullptr};
    return a.IsSame(&b, options) != FALSE;
}

} // namespace chronova::gis
