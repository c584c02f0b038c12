// Workspaces on single vector files other than GeoPackages: GeoJSON, CSV read with open options, and files that
// are no vector data at all.

#include <gtest/gtest.h>

#include <fstream>

#include "gis/layers/open_layers.h"
#include "gis/ogr/ogr_workspace.h"
#include "platform/ole_date.h"
#include "support/error_number.h"
#include "support/scratch_folder.h"

namespace chronova::gis {
namespace {

using platform::Variant;
using Names = std::vector<std::string>;

// Two observations with a typed date-time, a number and a text; one has no time.
constexpr const char* kGeoJson = R"({"type": "FeatureCollection", "features": [
  {"type": "Feature", "properties": {"NAME": "alpha", "WHEN": "2008-03-01T06:30:00", "SPEED": 12.5},
   "geometry": {"type": "Point", "coordinates": [-90.5, 25.25]}},
  {"type": "Feature", "properties": {"NAME": "beta", "WHEN": null, "SPEED": 3},
   "geometry": {"type": "LineString", "coordinates": [[1, 2], [3, 4], [5, 6]]}}
]})";

class VectorFileWorkspaceTest : public ::testing::Test {
protected:
    std::string Write(const std::string& name, const std::string& text) {
        std::ofstream(folder_ / name) << text;
        return (folder_ / name).string();
    }

    // The value of a field at a row of a feature class's table.
    static Variant ValueAt(const IFeatureClass& data, std::string_view field, size_t row) {
        const auto table = data.Data();
        const int32_t index = table->FindField(field);
        EXPECT_GE(index, 0) << field;
        return index < 0 ? Variant() : table->ColumnAt(static_cast<size_t>(index)).Value(row);
    }

    testing::ScratchFolder folder_;
};

TEST_F(VectorFileWorkspaceTest, GeoJsonRowsShapesAndDateTimes) {
    const std::string path = Write("obs.geojson", kGeoJson);
    const auto workspace = OpenWorkspace(path);
    EXPECT_EQ(workspace->PathName(), path);
    // A geodatabase to the registry, so that its typed date-times are filtered as such.
    EXPECT_NE(std::dynamic_pointer_cast<IGeodatabaseWorkspace>(workspace), nullptr);
    EXPECT_EQ(workspace->DatasetNames(DatasetType::FeatureClass), Names{"obs"});
    EXPECT_TRUE(workspace->DatasetNames(DatasetType::Table).empty());

    const auto data = workspace->OpenFeatureClass("OBS"); // names match regardless of case, as elsewhere
    EXPECT_EQ(DataSourceTypeOf(*data), "Personal Geodatabase Feature Class");
    ASSERT_EQ(data->Data()->RowCount(), 2u);
    const auto when = data->Data()->FindField("WHEN");
    ASSERT_GE(when, 0);
    EXPECT_EQ(data->Data()->ColumnAt(static_cast<size_t>(when)).Type(), FieldType::Date);
    EXPECT_EQ(ValueAt(*data, "WHEN", 0), Variant(platform::Date::FromParts(2008, 3, 1, 6, 30)));
    EXPECT_EQ(ValueAt(*data, "NAME", 1), Variant(std::string("beta")));
    EXPECT_EQ(ValueAt(*data, "SPEED", 0), Variant(12.5));

    const auto shapes = data->Shapes();
    ASSERT_EQ(shapes->FeatureCount(), 2u);
    // The point, then the three vertices of the line, in row order.
    ASSERT_EQ(shapes->X.size(), 4u);
    EXPECT_EQ(shapes->X[0], -90.5);
    EXPECT_EQ(shapes->Y[0], 25.25);
    EXPECT_EQ(shapes->X[3], 5.0);
    EXPECT_EQ(shapes->Y[3], 6.0);
    EXPECT_EQ(shapes->FeatureParts[1], 1u);
}

TEST_F(VectorFileWorkspaceTest, CsvPointsNeedTheirOpenOptions) {
    const std::string path = Write("buoys.csv", "id,lon,lat,seen\n"
                                                "7,-88.25,27.5,2008/03/02 12:00:00\n"
                                                "8,-87,28.75,2008/03/03 00:15:00\n");
    const std::vector<std::string> options = {"X_POSSIBLE_NAMES=lon", "Y_POSSIBLE_NAMES=lat", "AUTODETECT_TYPE=YES"};

    // Without options a CSV is a table of texts; with them the columns become points and typed fields.
    const auto plain = OpenWorkspace(path);
    EXPECT_EQ(plain->DatasetNames(DatasetType::Table), Names{"buoys"});
    EXPECT_TRUE(plain->DatasetNames(DatasetType::FeatureClass).empty());

    const auto layer = OpenFeatureLayer(path, "buoys", "Buoys", options);
    EXPECT_EQ(layer->Name(), "Buoys");
    EXPECT_EQ(layer->DataSourceType(), "Personal Geodatabase Feature Class");
    const auto data = layer->FeatureClass();
    ASSERT_EQ(data->Data()->RowCount(), 2u);
    EXPECT_EQ(data->ShapeType(), GeometryType::Point);
    const auto shapes = data->Shapes();
    ASSERT_EQ(shapes->X.size(), 2u);
    EXPECT_EQ(shapes->X[1], -87.0);
    EXPECT_EQ(shapes->Y[1], 28.75);
    EXPECT_EQ(ValueAt(*data, "id", 0), Variant(int32_t{7}));
    EXPECT_EQ(ValueAt(*data, "seen", 1), Variant(platform::Date::FromParts(2008, 3, 3, 0, 15)));
}

TEST_F(VectorFileWorkspaceTest, FilesThatAreNoVectorDataRaiseWithGdalsReason) {
    const std::string path = Write("notes.bin", std::string("\x01\x02 not vector data"));
    ::testing::internal::CaptureStderr();
    const platform::AutomationError error = testing::ErrorOf([&] { OpenWorkspace(path); });
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(error.Number(), 5);
    EXPECT_NE(error.Description().find("'" + path + "'"), std::string::npos) << error.Description();
    EXPECT_NE(error.Description().find("not recognized"), std::string::npos) << error.Description();

    // A broken GeoJSON is refused when it is opened, not later when it is read.
    EXPECT_RAISES(OpenWorkspace(Write("broken.geojson", R"({"type": "FeatureCollection", "features": [)")), 5);
    // Folders and GeoPackages keep their own kinds: an unreadable GeoPackage is not tried as other vector data.
    EXPECT_RAISES(OpenWorkspace(Write("bad.gpkg", "not a geopackage")), 75);
}

} // namespace
} // namespace chronova::gis
