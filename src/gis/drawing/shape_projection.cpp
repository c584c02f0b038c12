#include "gis/drawing/shape_projection.h"

#include <memory>
#include <utility>
#include <vector>

namespace chronova::gis {

GeometryColumn ProjectShapes(const GeometryColumn& shapes, const CoordinateProjection& projection,
                             const std::string& target_spatial_reference) {
    std::vector<double> x = shapes.X;
    std::vector<double> y = shapes.Y;
    const std::unique_ptr<bool[]> projected(new bool[x.size() + 1]);
    projection.Transform(x.data(), y.data(), x.size(), projected.get());

    GeometryColumn result;
    result.Type = shapes.Type;
    result.SpatialReference = target_spatial_reference;
    result.X.reserve(x.size());
    result.Y.reserve(y.size());
    for (size_t feature = 0; feature < shapes.FeatureCount(); ++feature) {
        for (uint32_t part = shapes.FeatureParts[feature]; part < shapes.FeatureParts[feature + 1]; ++part) {
            const size_t before = result.X.size();
            for (uint32_t i = shapes.PartOffsets[part]; i < shapes.PartOffsets[part + 1]; ++i) {
                if (projected[i]) {
                    result.AddCoordinate(x[i], y[i]);
                }
            }
            if (result.X.size() > before) {
                result.EndPart();
            }
        }
        result.EndFeature();
    }
    return result;
}

Envelope ProjectEnvelope(const Envelope& envelope, const CoordinateProjection& projection) {
    if (envelope.IsEmpty()) {
        return {};
    }
    constexpr int kSteps = 20;
    std::vector<double> x;
    std::vector<double> y;
    for (int i = 0; i <= kSteps; ++i) {
        const double t = static_cast<double>(i) / kSteps;
        const double along_x = envelope.XMin + t * (envelope.XMax - envelope.XMin);
        const double along_y = envelope.YMin + t * (envelope.YMax - envelope.YMin);
        for (const auto& [px, py] : {std::pair{along_x, envelope.YMin}, std::pair{along_x, envelope.YMax},
                                     std::pair{envelope.XMin, along_y}, std::pair{envelope.XMax, along_y}}) {
            x.push_back(px);
            y.push_back(py);
        }
    }
    const std::unique_ptr<bool[]> projected(new bool[x.size()]);
    projection.Transform(x.data(), y.data(), x.size(), projected.get());
    Envelope result;
    for (size_t i = 0; i < x.size(); ++i) {
        if (projected[i]) {
            result.Expand(x[i], y[i]);
        }
    }
    return result;
}

} // namespace chronova::gis
