#include "gis/ogr/wkb_reader.h"

#include <gtest/gtest.h>

#include <string_view>
#include <utility>
#include <vector>

#include <ogr_geometry.h>

#include "support/error_number.h"

namespace chronova::gis {
namespace {

using Parts = std::vector<std::vector<std::pair<double, double>>>;

std::vector<uint8_t> Wkb(const char* wkt, OGRwkbByteOrder order = wkbNDR, OGRwkbVariant variant = wkbVariantIso) {
    OGRGeometry* geometry = nullptr;
    EXPECT_EQ(OGRGeometryFactory::createFromWkt(wkt, nullptr, &geometry), OGRERR_NONE) << wkt;
    std::vector<uint8_t> bytes(geometry->WkbSize());
    geometry->exportToWkb(order, bytes.data(), variant);
    OGRGeometryFactory::destroyGeometry(geometry);
    return bytes;
}

Parts PartsOf(const GeometryColumn& shapes, size_t feature) {
    Parts parts;
    for (uint32_t part = shapes.FeatureParts[feature]; part < shapes.FeatureParts[feature + 1]; ++part) {
        auto& coordinates = parts.emplace_back();
        for (uint32_t i = shapes.PartOffsets[part]; i < shapes.PartOffsets[part + 1]; ++i) {
            coordinates.emplace_back(shapes.X[i], shapes.Y[i]);
        }
    }
    return parts;
}

Parts Decode(const std::vector<uint8_t>& wkb) {
    GeometryColumn shapes;
    AppendWkbShape(shapes, wkb);
    EXPECT_EQ(shapes.FeatureCount(), 1u);
    return PartsOf(shapes, 0);
}

TEST(WkbReaderTest, EachShapeKindInBothByteOrdersAndEveryDimension) {
    const std::pair<const char*, Parts> cases[] = {
        {"POINT (1 2)", {{{1, 2}}}},
        {"POINT EMPTY", {}},
        {"POINT Z (1 2 3)", {{{1, 2}}}},
        {"POINT M (1 2 4)", {{{1, 2}}}},
        {"POINT ZM (1 2 3 4)", {{{1, 2}}}},
        {"LINESTRING (0 0,1 1,2 0)", {{{0, 0}, {1, 1}, {2, 0}}}},
        {"LINESTRING EMPTY", {}},
        {"POLYGON ((0 0,4 0,4 4,0 0),(1 1,2 1,2 2,1 1))",
         {{{0, 0}, {4, 0}, {4, 4}, {0, 0}}, {{1, 1}, {2, 1}, {2, 2}, {1, 1}}}},
        {"MULTIPOINT ((1 2),(3 4))", {{{1, 2}, {3, 4}}}},
        {"MULTILINESTRING ((0 0,1 1),(2 2,3 3))", {{{0, 0}, {1, 1}}, {{2, 2}, {3, 3}}}},
        {"MULTIPOLYGON Z (((0 0 1,1 0 1,1 1 1,0 0 1)),((5 5 2,6 5 2,6 6 2,5 5 2)))",
         {{{0, 0}, {1, 0}, {1, 1}, {0, 0}}, {{5, 5}, {6, 5}, {6, 6}, {5, 5}}}},
        {"GEOMETRYCOLLECTION (POINT (1 1),LINESTRING (0 0,1 1))", {{{1, 1}}, {{0, 0}, {1, 1}}}},
    };
    for (const auto& [wkt, expected] : cases) {
        EXPECT_EQ(Decode(Wkb(wkt, wkbNDR)), expected) << wkt;
        EXPECT_EQ(Decode(Wkb(wkt, wkbXDR)), expected) << wkt << " big-endian";
        // GDAL's older 2.5D flag, the high bit of the type, as extended WKB writes it (an empty point has no
        // such form: GDAL writes it as 0 0).
        if (std::string_view(wkt) != "POINT EMPTY") {
            EXPECT_EQ(Decode(Wkb(wkt, wkbNDR, wkbVariantOldOgc)), expected) << wkt << " extended";
        }
    }
}

TEST(WkbReaderTest, ExtendedWkbWithAnSridAndEmptyInput) {
    std::vector<uint8_t> wkb = {1, 0x01, 0x00, 0x00, 0x20, 0xE6, 0x10, 0x00, 0x00}; // point with SRID 4326
    const auto coordinates = Wkb("MULTIPOINT (7 8)");
    wkb.insert(wkb.end(), coordinates.end() - 16, coordinates.end());
    EXPECT_EQ(Decode(wkb), (Parts{{{7, 8}}}));
    EXPECT_EQ(Decode({}), Parts{});
}

TEST(WkbReaderTest, FeaturesAccumulateAndExtendTheExtent) {
    GeometryColumn shapes;
    AppendWkbShape(shapes, Wkb("POINT (1 5)"));
    AppendWkbShape(shapes, {});
    AppendWkbShape(shapes, Wkb("LINESTRING (-2 0,3 1)"));
    ASSERT_EQ(shapes.FeatureCount(), 3u);
    EXPECT_EQ(PartsOf(shapes, 1), Parts{});
    EXPECT_EQ(PartsOf(shapes, 2), (Parts{{{-2, 0}, {3, 1}}}));
    EXPECT_EQ(shapes.Extent, (Envelope{-2, 0, 3, 5}));
}

TEST(WkbReaderTest, BadBytesRaiseAndLeaveTheColumnAsItWas) {
    GeometryColumn shapes;
    AppendWkbShape(shapes, Wkb("POINT (1 1)"));
    const GeometryColumn before = shapes;
    auto expect_rejected = [&](const std::vector<uint8_t>& wkb, const char* what) {
        EXPECT_RAISES(AppendWkbShape(shapes, wkb), 13) << what;
        EXPECT_EQ(shapes.X, before.X) << what;
        EXPECT_EQ(shapes.PartOffsets, before.PartOffsets) << what;
        EXPECT_EQ(shapes.FeatureParts, before.FeatureParts) << what;
        EXPECT_EQ(shapes.Extent, before.Extent) << what;
    };
    const auto polygons = Wkb("MULTIPOLYGON (((0 0,9 0,9 9,0 0)),((5 5,6 5,6 6,5 5)))");
    for (size_t size = 1; size < polygons.size(); ++size) {
        expect_rejected({polygons.begin(), polygons.begin() + static_cast<ptrdiff_t>(size)}, "truncated");
    }
    expect_rejected({2, 1, 0, 0, 0}, "byte order");
    expect_rejected({1, 99, 0, 0, 0}, "unknown type");
    expect_rejected(Wkb("CIRCULARSTRING (0 0,1 1,2 0)"), "curve");
    expect_rejected({1, 2, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF}, "huge count");
    expect_rejected({1, 4, 0, 0, 0, 1, 0, 0, 0, 1, 2, 0, 0, 0, 0, 0, 0, 0}, "line in a multipoint");
    std::vector<uint8_t> nested;
    for (int depth = 0; depth < 40; ++depth) {
        nested.insert(nested.end(), {1, 7, 0, 0, 0, 1, 0, 0, 0});
    }
    expect_rejected(nested, "nesting");
}

} // namespace
} // namespace chronova::gis
