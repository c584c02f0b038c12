#include "gis/ogr/columnar_reader.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>

#include <cpl_vsi.h>

#include "platform/automation_error.h"
#include "platform/ole_date.h"
#include "support/error_number.h"
#include "support/gdal_fixtures.h"
#include "support/scratch_folder.h"

namespace chronova::gis {
namespace {

using platform::Variant;
using testing::FixtureDate;
using testing::FixtureLayer;
using testing::PointRow;

// A layer of every attribute type GDAL stores in a GeoPackage, with a null in each field of the second row.
FixtureLayer AllTypesLayer() {
    FixtureLayer layer{"ALL", wkbPoint, {}, {}};
    layer.fields = {{"i16", OFTInteger, OFSTInt16},
                    {"i32", OFTInteger},
                    {"f32", OFTReal, OFSTFloat32},
                    {"f64", OFTReal},
                    {"txt", OFTString},
                    {"d", OFTDate},
                    {"dt", OFTDateTime},
                    {"i64", OFTInteger64},
                    {"flag", OFTInteger, OFSTBoolean},
                    {"bin", OFTBinary}};
    layer.rows.push_back(PointRow(10, 20,
                                  {int64_t{7}, int64_t{100000}, 1.1, 2.5, std::string("héllo"), FixtureDate{2008, 3, 1},
                                   FixtureDate{2008, 3, 1, 6, 30, 15.5F, 104}, int64_t{5'000'000'000}, int64_t{1},
                                   std::string("\x01\x02\x03")}));
    layer.rows.push_back(PointRow(11, 21, std::vector<testing::FixtureValue>(10)));
    layer.rows.push_back({"",
                          {int64_t{-3}, int64_t{-1}, -0.5, 1e300, std::string(""), FixtureDate{1899, 12, 29},
                           FixtureDate{1969, 12, 31, 23, 59, 59.25F}, int64_t{-1}, int64_t{0}, std::monostate{}}});
    return layer;
}

// The same values in a shapefile, which knows fewer types.
FixtureLayer ShapefileLayer() {
    FixtureLayer layer{"pts", wkbPoint, {}, {}};
    layer.fields = {{"n4", OFTInteger, OFSTNone, 4},     {"n9", OFTInteger, OFSTNone, 9},
                    {"n12", OFTInteger64, OFSTNone, 12}, {"r", OFTReal, OFSTNone, 24, 15},
                    {"txt", OFTString, OFSTNone, 20},    {"d", OFTDate}};
    layer.rows.push_back(PointRow(1, 2,
                                  {int64_t{12}, int64_t{123456789}, int64_t{99'999'999'999}, 0.25,
                                   std::string("dtg 051407Z MAR 2008"), FixtureDate{2008, 3, 5}}));
    layer.rows.push_back(PointRow(3, 4, std::vector<testing::FixtureValue>(6)));
    return layer;
}

std::map<std::string, FieldType> TypesOf(const ColumnTable& table) {
    std::map<std::string, FieldType> types;
    for (const Field& field : table.Fields()) {
        types[field.Name] = field.Type;
    }
    return types;
}

void ExpectSameContents(const LayerContents& a, const LayerContents& b) {
    ASSERT_EQ(a.Data->FieldCount(), b.Data->FieldCount());
    ASSERT_EQ(a.Data->RowCount(), b.Data->RowCount());
    EXPECT_EQ(a.Data->Name(), b.Data->Name());
    EXPECT_EQ(a.ShapeFieldName, b.ShapeFieldName);
    for (size_t field = 0; field < a.Data->FieldCount(); ++field) {
        EXPECT_EQ(a.Data->Fields()[field].Name, b.Data->Fields()[field].Name);
        EXPECT_EQ(a.Data->Fields()[field].Type, b.Data->Fields()[field].Type);
        // Stored values, not only the values handed out, which round a single to float.
        EXPECT_EQ(a.Data->ColumnAt(field).Integers(), b.Data->ColumnAt(field).Integers());
        EXPECT_EQ(a.Data->ColumnAt(field).Reals(), b.Data->ColumnAt(field).Reals());
        EXPECT_EQ(a.Data->ColumnAt(field).Texts(), b.Data->ColumnAt(field).Texts());
        for (size_t row = 0; row < a.Data->RowCount(); ++row) {
            EXPECT_EQ(a.Data->ColumnAt(field).IsNull(row), b.Data->ColumnAt(field).IsNull(row)) << field << "/" << row;
            EXPECT_EQ(a.Data->ColumnAt(field).Value(row), b.Data->ColumnAt(field).Value(row)) << field << "/" << row;
        }
    }
    ASSERT_EQ(a.Shapes == nullptr, b.Shapes == nullptr);
    if (a.Shapes) {
        EXPECT_EQ(a.Shapes->Type, b.Shapes->Type);
        EXPECT_EQ(a.Shapes->X, b.Shapes->X);
        EXPECT_EQ(a.Shapes->Y, b.Shapes->Y);
        EXPECT_EQ(a.Shapes->PartOffsets, b.Shapes->PartOffsets);
        EXPECT_EQ(a.Shapes->FeatureParts, b.Shapes->FeatureParts);
        EXPECT_EQ(a.Shapes->Extent, b.Shapes->Extent);
        EXPECT_EQ(a.Shapes->SpatialReference, b.Shapes->SpatialReference);
    }
}

// Reads a layer both ways, checks that they agree and that the batches really were used; returns the result.
LayerContents ReadBothWays(const std::string& path, std::string_view layer, std::string_view oid = {}) {
    LayerContents arrow = ReadLayer(path, layer, oid, ReadMethod::Arrow);
    LayerContents features = ReadLayer(path, layer, oid, ReadMethod::Features);
    EXPECT_EQ(arrow.Method, ReadMethod::Arrow);
    EXPECT_EQ(features.Method, ReadMethod::Features);
    ExpectSameContents(arrow, features);
    return arrow;
}

class ColumnarReaderTest : public ::testing::Test {
protected:
    testing::ScratchFolder folder_;
};

TEST_F(ColumnarReaderTest, GeoPackageTypesValuesAndNulls) {
    const auto path = (folder_ / "all.gpkg").string();
    testing::WriteGeoPackage(path, {AllTypesLayer()});
    const LayerContents contents = ReadBothWays(path, "ALL");
    const ColumnTable& table = *contents.Data;
    EXPECT_EQ(TypesOf(table), (std::map<std::string, FieldType>{{"fid", FieldType::OID},
                                                                {"geom", FieldType::Geometry},
                                                                {"i16", FieldType::SmallInteger},
                                                                {"i32", FieldType::Integer},
                                                                {"f32", FieldType::Single},
                                                                {"f64", FieldType::Double},
                                                                {"txt", FieldType::String},
                                                                {"d", FieldType::Date},
                                                                {"dt", FieldType::Date},
                                                                {"i64", FieldType::Double},
                                                                {"flag", FieldType::Integer},
                                                                {"bin", FieldType::Blob}}));
    EXPECT_EQ(table.Fields()[0].Name, "fid");
    EXPECT_EQ(contents.ShapeFieldName, "geom");
    auto value = [&](const char* field, size_t row) { return table.ColumnAt(table.FindField(field)).Value(row); };
    EXPECT_EQ(value("fid", 0), Variant(1));
    EXPECT_EQ(value("i16", 0), Variant(int16_t{7}));
    EXPECT_EQ(value("i32", 0), Variant(100000));
    EXPECT_EQ(value("f32", 0), Variant(1.1F));
    EXPECT_EQ(value("txt", 0), Variant("héllo"));
    EXPECT_EQ(value("d", 0), Variant(platform::Date::FromParts(2008, 3, 1)));
    EXPECT_EQ(value("dt", 0), Variant(platform::Date(39508.0 + 23'415.5 / 86'400))); // the zone is dropped
    EXPECT_EQ(value("i64", 0), Variant(5e9));
    EXPECT_EQ(value("flag", 0), Variant(1));
    EXPECT_EQ(value("d", 2), Variant(platform::Date(-1.0)));
    EXPECT_EQ(value("dt", 2), Variant(platform::Date(25568.0 + 86'399.25 / 86'400)));
    EXPECT_EQ(value("txt", 2), Variant(""));
    for (size_t field = 2; field < table.FieldCount(); ++field) {
        EXPECT_TRUE(table.ColumnAt(field).IsNull(1)) << table.Fields()[field].Name;
        EXPECT_FALSE(table.ColumnAt(field).IsNull(0)) << table.Fields()[field].Name;
    }
    EXPECT_FALSE(table.ColumnAt(1).IsNull(0));
    EXPECT_TRUE(table.ColumnAt(1).IsNull(2)); // no shape
    EXPECT_EQ(contents.Shapes->FeatureCount(), 3u);
    EXPECT_EQ(contents.Shapes->Type, GeometryType::Point);
    EXPECT_NE(contents.Shapes->SpatialReference.find("WGS 84"), std::string::npos);
    EXPECT_EQ(contents.Shapes->Extent, (Envelope{10, 20, 11, 21}));
}

TEST_F(ColumnarReaderTest, ShapefileTypesAndTables) {
    testing::WriteShapefile(folder_.Path(), ShapefileLayer());
    const LayerContents contents = ReadBothWays((folder_ / "pts.shp").string(), "", "FID");
    EXPECT_EQ(TypesOf(*contents.Data), (std::map<std::string, FieldType>{{"FID", FieldType::OID},
                                                                         {"Shape", FieldType::Geometry},
                                                                         {"n4", FieldType::Integer},
                                                                         {"n9", FieldType::Integer},
                                                                         {"n12", FieldType::Double},
                                                                         {"r", FieldType::Double},
                                                                         {"txt", FieldType::String},
                                                                         {"d", FieldType::Date}}));
    const ColumnTable& table = *contents.Data;
    EXPECT_EQ(table.Name(), "pts");
    EXPECT_EQ(table.ColumnAt(0).Value(0), Variant(0)); // shapefile rows count from 0
    EXPECT_EQ(table.ColumnAt(table.FindField("n12")).Value(0), Variant(99'999'999'999.0));
    EXPECT_EQ(table.ColumnAt(table.FindField("d")).Value(0), Variant(platform::Date::FromParts(2008, 3, 5)));
    EXPECT_TRUE(table.ColumnAt(table.FindField("d")).IsNull(1));

    FixtureLayer dbf{"obs", wkbNone, {{"KEY", OFTInteger, OFSTNone, 9}, {"WHEN", OFTDate}}, {}};
    dbf.rows = {{"", {int64_t{1}, FixtureDate{2008, 1, 2}}}, {"", {int64_t{2}, std::monostate{}}}};
    testing::WriteShapefile(folder_.Path(), dbf);
    const LayerContents attributes = ReadBothWays((folder_ / "obs.dbf").string(), "", "FID");
    EXPECT_EQ(attributes.Shapes, nullptr);
    EXPECT_EQ(attributes.ShapeFieldName, "");
    EXPECT_EQ(attributes.Data->FieldCount(), 3u);
    EXPECT_EQ(attributes.Data->RowCount(), 2u);
}

TEST_F(ColumnarReaderTest, ShapeTypesOfEveryLayerKind) {
    struct Case {
        OGRwkbGeometryType layer;
        const char* wkt;
        GeometryType type;
        size_t parts;
    };
    const Case cases[] = {
        {wkbPoint, "POINT (1 2)", GeometryType::Point, 1},
        {wkbMultiPoint, "MULTIPOINT ((1 2),(3 4))", GeometryType::Multipoint, 1},
        {wkbLineString, "LINESTRING (0 0,1 1)", GeometryType::Polyline, 1},
        {wkbMultiLineString, "MULTILINESTRING ((0 0,1 1),(2 2,3 3))", GeometryType::Polyline, 2},
        {wkbPolygon, "POLYGON ((0 0,4 0,4 4,0 0),(1 1,2 1,2 2,1 1))", GeometryType::Polygon, 2},
        {wkbMultiPolygon, "MULTIPOLYGON (((0 0,1 0,1 1,0 0)),((5 5,6 5,6 6,5 5)))", GeometryType::Polygon, 2},
        {wkbPoint25D, "POINT Z (1 2 3)", GeometryType::Point, 1},
    };
    const auto path = (folder_ / "shapes.gpkg").string();
    std::vector<FixtureLayer> layers;
    for (size_t i = 0; i < std::size(cases); ++i) {
        layers.push_back({"L" + std::to_string(i), cases[i].layer, {}, {{cases[i].wkt, {}}, {"", {}}}});
    }
    testing::WriteGeoPackage(path, layers);
    for (size_t i = 0; i < std::size(cases); ++i) {
        const LayerContents contents = ReadBothWays(path, layers[i].name);
        EXPECT_EQ(contents.Shapes->Type, cases[i].type) << cases[i].wkt;
        EXPECT_EQ(contents.Shapes->FeatureParts,
                  (std::vector<uint32_t>{0, uint32_t(cases[i].parts), uint32_t(cases[i].parts)}))
            << cases[i].wkt;
    }
}

TEST_F(ColumnarReaderTest, CurvesFallBackToFeaturesAndAreApproximated) {
    const auto path = (folder_ / "curves.gpkg").string();
    testing::WriteGeoPackage(path, {{"arcs", wkbCircularString, {}, {{"CIRCULARSTRING (0 0,1 1,2 0)", {}}}}});
    EXPECT_RAISES(ReadLayer(path, "arcs", {}, ReadMethod::Arrow), 13);
    const LayerContents contents = ReadLayer(path, "arcs", {});
    EXPECT_EQ(contents.Method, ReadMethod::Features);
    EXPECT_EQ(contents.Shapes->Type, GeometryType::Polyline);
    EXPECT_GT(contents.Shapes->X.size(), 3u);
}

// A damaged header may claim any number of rows: the read makes room for no more rows than the file could hold, so
// it reads what is there or fails naming the file, instead of running out of memory.
TEST_F(ColumnarReaderTest, AHeaderClaimingBillionsOfRowsIsNotTakenAtItsWord) {
    const FixtureLayer table{"claims", wkbNone, {{"NAME", OFTString, OFSTNone, 10}}, {{"", {std::string("one")}}}};
    testing::WriteShapefile(folder_.Path(), table);
    {
        // dBASE keeps its record count little-endian at byte 4.
        std::fstream file(folder_ / "claims.dbf", std::ios::in | std::ios::out | std::ios::binary);
        file.seekp(4);
        file.write("\xf0\xff\xff\x7f", 4);
    }
    for (const ReadMethod method : {ReadMethod::Automatic, ReadMethod::Features}) {
        try {
            EXPECT_LE(ReadLayer((folder_ / "claims.dbf").string(), "", "FID", method).Data->RowCount(), 1u);
        } catch (const platform::AutomationError& error) {
            EXPECT_NE(error.Description().find("claims.dbf"), std::string::npos) << error.Description();
        }
    }
}

// GDAL's in-memory files are files too: a shapefile written there reads as the same one on disk.
TEST_F(ColumnarReaderTest, InMemoryFilesReadAsFilesOnDisk) {
    const std::string memory = "/vsimem/columnar_reader_test";
    testing::WriteShapefile(folder_.Path(), ShapefileLayer());
    testing::WriteShapefile(memory, ShapefileLayer());
    ExpectSameContents(ReadLayer((folder_ / "pts.shp").string(), "", "FID"), ReadLayer(memory + "/pts.shp", "", "FID"));
    EXPECT_RAISES(ReadLayer(memory + "/none.shp", "", "FID"), 53);
    VSIRmdirRecursive(memory.c_str());
}

TEST_F(ColumnarReaderTest, MissingFilesLayersAndUnreadableFilesRaise) {
    testing::WriteGeoPackage(folder_ / "one.gpkg", {AllTypesLayer()});
    std::ofstream(folder_ / "junk.gpkg") << "not a geopackage";
    EXPECT_RAISES(ReadLayer((folder_ / "none.gpkg").string(), "", {}), 53);
    EXPECT_RAISES(ReadLayer((folder_ / "one.gpkg").string(), "OTHER", {}), 5);
    EXPECT_RAISES(ReadLayer((folder_ / "junk.gpkg").string(), "", {}), 75);
}

// The ways of reading a layer a workspace may choose: fields on use, shapes beside attributes, both.
std::vector<LayerReadOptions> QuickReads(const std::vector<std::string>& open_options = {}) {
    std::vector<LayerReadOptions> reads;
    for (const auto& [on_use, parallel] : {std::pair{true, false}, std::pair{false, true}, std::pair{true, true}}) {
        LayerReadOptions options;
        options.OtherFieldsOnUse = on_use;
        options.Parallel = parallel;
        options.OpenOptions = open_options;
        reads.push_back(options);
    }
    return reads;
}

// Reads a layer whole and in each quicker way; every way must give the same table, and fields read on use must
// wait for their first use.
void ExpectQuickReadsMatch(const std::string& path, std::string_view layer, std::string_view oid,
                           const std::vector<std::string>& open_options = {}) {
    const LayerContents full = ReadLayer(path, layer, oid, ReadMethod::Automatic, open_options);
    for (const LayerReadOptions& options : QuickReads(open_options)) {
        SCOPED_TRACE(path + (options.OtherFieldsOnUse ? " on use" : "") + (options.Parallel ? " parallel" : ""));
        const LayerContents quick = ReadLayer(path, layer, oid, options);
        const ColumnTable& table = *quick.Data;
        ASSERT_EQ(table.RowCount(), full.Data->RowCount());
        for (size_t field = 0; field < table.FieldCount(); ++field) {
            const FieldType type = table.Fields()[field].Type;
            const bool read_at_once = field == 0 || type == FieldType::Geometry || type == FieldType::Date;
            EXPECT_EQ(table.IsLoaded(field), read_at_once || !options.OtherFieldsOnUse) << table.Fields()[field].Name;
        }
        ExpectSameContents(full, quick);
        for (size_t field = 0; field < table.FieldCount(); ++field) {
            EXPECT_TRUE(table.IsLoaded(field));
        }
    }
}

TEST_F(ColumnarReaderTest, QuickReadsGiveTheFullTableOfEveryFormat) {
    // A GeoPackage of every type, nulls and zoned date-times, with more rows than one Arrow batch.
    FixtureLayer many = AllTypesLayer();
    for (int i = 0; i < 70'000; ++i) {
        many.rows.push_back(many.rows[static_cast<size_t>(i % 3)]);
        many.rows.back().wkt = i % 3 == 2 ? "" : "POINT (" + std::to_string(i) + " " + std::to_string(-i) + ")";
    }
    testing::WriteGeoPackage(folder_ / "all.gpkg", {many});
    ExpectQuickReadsMatch((folder_ / "all.gpkg").string(), "ALL", "");

    testing::WriteShapefile(folder_.Path(), ShapefileLayer());
    ExpectQuickReadsMatch((folder_ / "pts.shp").string(), "", "FID");

    FixtureLayer lines{"lines", wkbLineString, {{"name", OFTString}, {"when", OFTDateTime}}, {}};
    lines.rows = {{"LINESTRING (0 0,1 1,2 0)", {std::string("a"), FixtureDate{2008, 3, 1, 6, 30, 0.0F, 100}}},
                  {"", {std::monostate{}, std::monostate{}}},
                  {"LINESTRING (5 5,6 6)", {std::string("c"), FixtureDate{2009, 1, 1}}}};
    testing::WriteVectorFile(folder_ / "lines.geojson", "GeoJSON", lines);
    ExpectQuickReadsMatch((folder_ / "lines.geojson").string(), "", "");

    // A CSV read with open options, which the reads on use must use too.
    std::ofstream(folder_ / "fixes.csv") << "lon,lat,name,speed,seen\n"
                                            "1.5,2.5,north,3.25,2008/03/01 06:30:00\n"
                                            "-4,5,,7,\n"
                                            "8,9,south,,2008/03/02 00:00:00\n";
    ExpectQuickReadsMatch((folder_ / "fixes.csv").string(), "", "",
                          {"X_POSSIBLE_NAMES=lon", "Y_POSSIBLE_NAMES=lat", "AUTODETECT_TYPE=YES"});
}

TEST_F(ColumnarReaderTest, AFieldReadOnUseRaisesWhenTheFileLostRowsAndKeepsTrying) {
    const auto path = (folder_ / "all.gpkg").string();
    testing::WriteGeoPackage(path, {AllTypesLayer()});
    LayerReadOptions options;
    options.OtherFieldsOnUse = true;
    const LayerContents contents = ReadLayer(path, "ALL", "", options);
    const size_t text = static_cast<size_t>(contents.Data->FindField("txt"));
    ASSERT_FALSE(contents.Data->IsLoaded(text));

    FixtureLayer shorter = AllTypesLayer();
    shorter.rows.pop_back();
    testing::WriteGeoPackage(path, {shorter});
    EXPECT_EQ(testing::ErrorNumberOf([&] { contents.Data->ColumnAt(text); }), 75);
    EXPECT_FALSE(contents.Data->IsLoaded(text));

    testing::WriteGeoPackage(path, {AllTypesLayer()});
    EXPECT_EQ(contents.Data->ColumnAt(text).Value(0), Variant(std::string("héllo")));
    EXPECT_TRUE(contents.Data->IsLoaded(text));
}

} // namespace
} // namespace chronova::gis
