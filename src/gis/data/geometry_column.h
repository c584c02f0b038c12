#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <numeric>
#include <ostream>
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

/// An ascending list of offsets that starts with 0. While every entry equals its position, as in a layer of
/// points (each feature one part, each part one coordinate), the list keeps no storage; the first entry that
/// breaks the pattern makes it store every entry.
class OffsetList {
public:
    uint32_t operator[](size_t index) const noexcept {
        return values_.empty() ? static_cast<uint32_t>(index) : values_[index];
    }
    size_t size() const noexcept { return size_; }
    uint32_t back() const noexcept { return (*this)[size_ - 1]; }
    /// Whether the list stores its entries (false while every entry equals its position).
    bool Stored() const noexcept { return !values_.empty(); }

    void push_back(uint32_t value) {
        if (values_.empty() && value == size_) {
            ++size_;
            return;
        }
        Store();
        values_.push_back(value);
        ++size_;
    }
    /// Room for entries, used once the list stores them.
    void reserve(size_t entries) {
        reserved_ = entries;
        if (!values_.empty()) {
            values_.reserve(entries);
        }
    }
    /// Drops the entries from `entries` on; the list never grows this way.
    void resize(size_t entries) {
        if (entries >= size_) {
            return;
        }
        if (!values_.empty()) {
            values_.resize(entries);
        }
        size_ = entries;
    }
    std::vector<uint32_t> ToVector() const {
        if (!values_.empty()) {
            return values_;
        }
        std::vector<uint32_t> all(size_);
        std::iota(all.begin(), all.end(), 0U);
        return all;
    }

    friend bool operator==(const OffsetList& a, const OffsetList& b) {
        if (a.size_ != b.size_) {
            return false;
        }
        for (size_t i = 0; i < a.size_; ++i) {
            if (a[i] != b[i]) {
                return false;
            }
        }
        return true;
    }
    friend bool operator==(const OffsetList& a, const std::vector<uint32_t>& b) { return a.ToVector() == b; }
    friend std::ostream& operator<<(std::ostream& out, const OffsetList& list) {
        out << '{';
        for (size_t i = 0; i < list.size_; ++i) {
            out << (i > 0 ? ", " : "") << list[i];
        }
        return out << '}';
    }

private:
    void Store() {
        if (values_.empty()) {
            values_.reserve(std::max(reserved_, size_ + 1));
            values_.resize(size_);
            std::iota(values_.begin(), values_.end(), 0U);
        }
    }

    size_t size_ = 1; // the first entry, 0
    size_t reserved_ = 0;
    std::vector<uint32_t> values_; // empty while every entry equals its position
};

/// The shapes of a feature class in row order, as flat coordinate arrays: feature f has the parts
/// FeatureParts[f] .. FeatureParts[f+1]-1, part p the coordinates PartOffsets[p] .. PartOffsets[p+1]-1.
/// A point is one part of one coordinate; an empty shape has no parts.
struct GeometryColumn {
    GeometryType Type = GeometryType::Null;
    std::vector<double> X;
    std::vector<double> Y;
    OffsetList PartOffsets;
    OffsetList FeatureParts;
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
