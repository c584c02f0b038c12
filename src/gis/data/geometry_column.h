#pragma once

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

namespace chronova::gis {

/// The host's shape type codes.
enum class GeometryType : int32_t {
    Null = 0,
    Point = 1,
    Multipoint = 2,
    Polyline = 3,
    Polygon = 4,
};

/// An axis-aligned rectangle; empty while XMin > XMax.
struct Envelope {
    double XMin = std::numeric_limits<double>::infinity();
    double YMin = std::numeric_limits<double>::infinity();
    double XMax = -std::numeric_limits<double>::infinity();
    double YMax = -std::numeric_limits<double>::infinity();

    bool IsEmpty() const noexcept { return XMin > XMax || YMin > YMax; }
    void Expand(double x, double y) noexcept {
        if (x < XMin)
            XMin = x;
        if (x > XMax)
            XMax = x;
        if (y < YMin)
            YMin = y;
        if (y > YMax)
            YMax = y;
    }
    void Union(const Envelope& other) noexcept {
        if (other.IsEmpty())
            return;
        Expand(other.XMin, other.YMin);
        Expand(other.XMax, other.YMax);
    }
    friend bool operator==(const Envelope&, const Envelope&) = default;
};

/// The shapes of a feature class in row order, as flat coordinate arrays: feature f has the parts
/// FeatureParts[f] .. FeatureParts[f+1]-1, part p the coordinates PartOffsets[p] .. PartOffsets[p+1]-1.
/// A point is one part of one coordinate; an empty shape has no parts.
struct GeometryColumn {
    GeometryType Type = GeometryType::Null;
    std::vector<double> X;
    std::vector<double> Y;
    std::vector<uint32_t> PartOffsets{0};
    std::vector<uint32_t> FeatureParts{0};
    Envelope Extent;
    /// The spatial reference as WKT; empty when unknown.
    std::string SpatialReference;

    size_t FeatureCount() const noexcept { return FeatureParts.size() - 1; }
    /// Appends a feature made of the parts added since the last call.
    void EndFeature() { FeatureParts.push_back(static_cast<uint32_t>(PartOffsets.size() - 1)); }
    /// Appends one part made of the coordinates added since the last call.
    void EndPart() { PartOffsets.push_back(static_cast<uint32_t>(X.size())); }
    void AddCoordinate(double x, double y) {
        X.push_back(x);
        Y.push_back(y);
        Extent.Expand(x, y);
    }
};

} // namespace chronova::gis
