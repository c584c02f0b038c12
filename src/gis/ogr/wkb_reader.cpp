#include "gis/ogr/wkb_reader.h"

#include <bit>
#include <cmath>
#include <cstring>
#include <string>

#include "platform/automation_error.h"

namespace chronova::gis {

namespace {

// Geometry codes of the simple features model, after the dimension flags are taken off.
enum WkbCode : uint32_t {
    kPoint = 1,
    kLineString = 2,
    kPolygon = 3,
    kMultiPoint = 4,
    kMultiLineString = 5,
    kMultiPolygon = 6,
    kGeometryCollection = 7,
};

// Collections nest; a limit keeps hostile input from exhausting the stack.
constexpr int kMaxDepth = 32;
// The smallest encoding of a geometry: byte order and type.
constexpr size_t kHeaderSize = 5;

[[noreturn]] void Malformed(const std::string& why) {
    platform::RaiseError(platform::error::kTypeMismatch, "The shape is not valid well-known binary: " + why + ".");
}

class WkbDecoder {
public:
    WkbDecoder(std::span<const uint8_t> bytes, GeometryColumn& shapes) : bytes_(bytes), shapes_(shapes) {}

    void Geometry(int depth, bool inside_multipoint) {
        if (depth > kMaxDepth) {
            Malformed("collections are nested too deeply");
        }
        const uint8_t order = Byte();
        if (order > 1) {
            Malformed("unknown byte order " + std::to_string(order));
        }
        little_endian_ = order == 1;
        const uint32_t raw_type = UInt32();
        // Extended WKB marks Z, M and an embedded SRID with high bits; ISO WKB adds 1000, 2000 or 3000.
        bool has_z = (raw_type & 0x80000000U) != 0;
        bool has_m = (raw_type & 0x40000000U) != 0;
        if ((raw_type & 0x20000000U) != 0) {
            UInt32(); // SRID
        }
        uint32_t code = raw_type & 0x0FFFFFFFU;
        switch (code / 1000) {
        case 0:
            break;
        case 1:
            has_z = true;
            break;
        case 2:
            has_m = true;
            break;
        case 3:
            has_z = has_m = true;
            break;
        default:
            Malformed("unknown geometry type " + std::to_string(code));
        }
        code %= 1000;
        dimensions_ = 2 + (has_z ? 1 : 0) + (has_m ? 1 : 0);
        if (inside_multipoint && code != kPoint) {
            Malformed("a multipoint holds a geometry of type " + std::to_string(code));
        }

        switch (code) {
        case kPoint:
            PointGeometry(inside_multipoint);
            break;
        case kLineString:
            Path();
            break;
        case kPolygon: {
            const uint32_t rings = Count(4);
            for (uint32_t i = 0; i < rings; ++i) {
                Path();
            }
            break;
        }
        case kMultiPoint: {
            const size_t first = shapes_.X.size();
            const uint32_t members = Count(kHeaderSize);
            for (uint32_t i = 0; i < members; ++i) {
                Geometry(depth + 1, true);
            }
            if (shapes_.X.size() > first) {
                shapes_.EndPart();
            }
            break;
        }
        case kMultiLineString:
        case kMultiPolygon:
        case kGeometryCollection: {
            const uint32_t members = Count(kHeaderSize);
            for (uint32_t i = 0; i < members; ++i) {
                Geometry(depth + 1, false);
            }
            break;
        }
        default:
            Malformed("geometry type " + std::to_string(code) + " is not supported");
        }
    }

private:
    void PointGeometry(bool inside_multipoint) {
        double x = 0.0;
        double y = 0.0;
        Coordinate(x, y);
        // An empty point is written with NaN coordinates.
        if (std::isnan(x) && std::isnan(y)) {
            return;
        }
        shapes_.AddCoordinate(x, y);
        if (!inside_multipoint) {
            shapes_.EndPart();
        }
    }

    void Path() {
        const uint32_t points = Count(8 * static_cast<size_t>(dimensions_));
        for (uint32_t i = 0; i < points; ++i) {
            double x = 0.0;
            double y = 0.0;
            Coordinate(x, y);
            shapes_.AddCoordinate(x, y);
        }
        if (points > 0) {
            shapes_.EndPart();
        }
    }

    void Coordinate(double& x, double& y) {
        x = Double();
        y = Double();
        for (int extra = 2; extra < dimensions_; ++extra) {
            Double();
        }
    }

    // A count of items that take at least item_size bytes each, checked against what is left.
    uint32_t Count(size_t item_size) {
        const uint32_t count = UInt32();
        if (count > (bytes_.size() - position_) / item_size) {
            Malformed("a count of " + std::to_string(count) + " runs past the end");
        }
        return count;
    }

    void Need(size_t size) const {
        if (bytes_.size() - position_ < size) {
            Malformed("it ends early");
        }
    }

    uint8_t Byte() {
        Need(1);
        return bytes_[position_++];
    }

    uint32_t UInt32() {
        Need(4);
        uint32_t value = 0;
        std::memcpy(&value, bytes_.data() + position_, 4);
        position_ += 4;
        return little_endian_ == (std::endian::native == std::endian::little) ? value : __builtin_bswap32(value);
    }

    double Double() {
        Need(8);
        uint64_t bits = 0;
        std::memcpy(&bits, bytes_.data() + position_, 8);
        position_ += 8;
        if (little_endian_ != (std::endian::native == std::endian::little)) {
            bits = __builtin_bswap64(bits);
        }
        return std::bit_cast<double>(bits);
    }

    std::span<const uint8_t> bytes_;
    size_t position_ = 0;
    bool little_endian_ = true;
    int dimensions_ = 2;
    GeometryColumn& shapes_;
};

} // namespace

void AppendWkbShape(GeometryColumn& shapes, std::span<const uint8_t> wkb) {
    // Most shapes of large layers are 2D points in little-endian WKB: read them without the general decoder.
    if constexpr (std::endian::native == std::endian::little) {
        uint32_t code = 0;
        if (wkb.size() == 21 && wkb[0] == 1 && (std::memcpy(&code, wkb.data() + 1, 4), code == kPoint)) {
            double x = 0.0;
            double y = 0.0;
            std::memcpy(&x, wkb.data() + 5, 8);
            std::memcpy(&y, wkb.data() + 13, 8);
            if (!(std::isnan(x) && std::isnan(y))) {
                shapes.AddCoordinate(x, y);
                shapes.EndPart();
            }
            shapes.EndFeature();
            return;
        }
    }
    if (!wkb.empty()) {
        const size_t coordinates = shapes.X.size();
        const size_t parts = shapes.PartOffsets.size();
        const Envelope extent = shapes.Extent;
        try {
            WkbDecoder(wkb, shapes).Geometry(0, false);
        } catch (...) {
            shapes.X.resize(coordinates);
            shapes.Y.resize(coordinates);
            shapes.PartOffsets.resize(parts);
            shapes.Extent = extent;
            throw;
        }
    }
    shapes.EndFeature();
}

} // namespace chronova::gis
