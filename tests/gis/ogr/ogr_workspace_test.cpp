#include "gis/ogr/ogr_workspace.h"

#include <gtest/gtest.h>

#include <fstream>
#include <thread>

#include "gis/data/statistics.h"
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

using Names = std::vector<std::string>;

// STATIONS: three points with a key; OBS: a table of observations joined to them by key, one with no date.
std::vector<FixtureLayer> StationLayers() {
    FixtureLayer stations{"STATIONS", wkbPoint, {{"KEY", OFTInteger}, {"NAME", OFTString}}, {}};
    stations.rows = {PointRow(1, 1, {int64_t{1}, std::string("a")}), PointRow(2, 2, {int64_t{2}, std::string("b")}),
                     PointRow(3, 3, {int64_t{3}, std::string("c")})};
    FixtureLayer obs{"OBS", wkbNone, {{"KEY", OFTInteger}, {"WHEN", OFTDateTime}, {"VALUE", OFTReal}}, {}};
    obs.rows = {{"", {int64_t{1}, FixtureDate{2008, 3, 1, 12}, 4.0}},
                {"", {int64_t{1}, FixtureDate{2008, 3, 1, 6}, 2.0}},
                {"", {int64_t{2}, FixtureDate{2008, 3, 1, 12}, 9.0}},
                {"", {int64_t{3}, std::monostate{}, std::monostate{}}}};
    return {stations, obs};
}

class OgrWorkspaceTest : public ::testing::Test {
protected:
    std::shared_ptr<IFeatureWorkspace> GeoPackage() {
        testing::WriteGeoPackage(folder_ / "db.gpkg", StationLayers());
        return OpenWorkspace((folder_ / "db.gpkg").string());
    }
    std::shared_ptr<IFeatureWorkspace> Shapefiles() {
        std::filesystem::create_directory(folder_ / "shp");
        for (const char* name : {"roads", "Alpha"}) {
            testing::WriteShapefile(
                folder_ / "shp", {name, wkbLineString, {{"N", OFTInteger}}, {{"LINESTRING (0 0,1 1)", {int64_t{5}}}}});
        }
        testing::WriteShapefile(folder_ / "shp", {"lookup", wkbNone, {{"N", OFTInteger}}, {{"", {int64_t{5}}}}});
        std::ofstream(folder_ / "shp" / "notes.txt") << "not a dataset";
        return OpenWorkspace((folder_ / "shp" / "").string());
    }
    testing::ScratchFolder folder_;
};

TEST_F(OgrWorkspaceTest, GeoPackageListsAndOpensItsDatasets) {
    const auto workspace = GeoPackage();
    EXPECT_EQ(workspace->PathName(), (folder_ / "db.gpkg").string());
    EXPECT_NE(std::dynamic_pointer_cast<IGeodatabaseWorkspace>(workspace), nullptr);
    EXPECT_EQ(workspace->DatasetNames(DatasetType::FeatureClass), Names{"STATIONS"});
    EXPECT_EQ(workspace->DatasetNames(DatasetType::Table), Names{"OBS"});
    EXPECT_EQ(workspace->DatasetNames(DatasetType::Any), (Names{"STATIONS", "OBS"}));
    EXPECT_EQ(workspace->DatasetNames(DatasetType::RasterDataset), Names{});

    const auto stations = workspace->OpenFeatureClass("stations");
    EXPECT_EQ(stations, workspace->OpenTable("STATIONS")); // one object per dataset
    EXPECT_EQ(stations->Name(), "STATIONS");
    EXPECT_EQ(stations->Type(), DatasetType::FeatureClass);
    EXPECT_EQ(stations->ShapeType(), GeometryType::Point);
    EXPECT_EQ(stations->FeatureCount(), 3);
    EXPECT_EQ(stations->Workspace(), workspace);
    EXPECT_EQ(DataSourceTypeOf(*stations), "Personal Geodatabase Feature Class");

    const auto obs = workspace->OpenTable("OBS");
    EXPECT_EQ(std::dynamic_pointer_cast<IFeatureClass>(obs), nullptr);
    EXPECT_EQ(obs->Type(), DatasetType::Table);
    EXPECT_EQ(obs->Data(), obs->Data()); // read once
    EXPECT_EQ(obs->Fields()[0].Name, "fid");
}

TEST_F(OgrWorkspaceTest, AFolderIsAShapefileWorkspace) {
    const auto workspace = Shapefiles();
    EXPECT_EQ(workspace->PathName(), (folder_ / "shp").string());
    EXPECT_EQ(std::dynamic_pointer_cast<IGeodatabaseWorkspace>(workspace), nullptr);
    EXPECT_EQ(workspace->DatasetNames(DatasetType::FeatureClass), (Names{"Alpha", "roads"}));
    EXPECT_EQ(workspace->DatasetNames(DatasetType::Table), Names{"lookup"});
    EXPECT_EQ(workspace->DatasetNames(DatasetType::Any), (Names{"Alpha", "lookup", "roads"}));

    const auto roads = workspace->OpenFeatureClass("ROADS");
    EXPECT_EQ(roads->Name(), "roads");
    EXPECT_EQ(roads->ShapeType(), GeometryType::Polyline);
    EXPECT_EQ(roads->ShapeFieldName(), "Shape");
    EXPECT_EQ(roads->Fields()[0].Name, "FID");
    EXPECT_EQ(roads->Shapes()->FeatureCount(), 1u);
    EXPECT_EQ(DataSourceTypeOf(*roads), "Shapefile Feature Class");
    EXPECT_EQ(workspace->OpenTable("lookup")->RowCount(), 1);
}

TEST_F(OgrWorkspaceTest, DatasetsKeepTheirWorkspaceAlive) {
    std::weak_ptr<IFeatureWorkspace> weak;
    std::shared_ptr<IFeatureClass> stations;
    {
        const auto workspace = GeoPackage();
        weak = workspace;
        stations = workspace->OpenFeatureClass("STATIONS");
    }
    EXPECT_FALSE(weak.expired());
    EXPECT_EQ(std::dynamic_pointer_cast<IFeatureWorkspace>(stations->Workspace())->OpenTable("OBS")->RowCount(), 4);
    stations.reset();
    EXPECT_TRUE(weak.expired());
}

TEST_F(OgrWorkspaceTest, ThreadsAskingAtOnceShareOneRead) {
    const auto workspace = GeoPackage();
    std::vector<std::shared_ptr<const ColumnTable>> data(4);
    std::vector<std::thread> threads;
    for (size_t i = 0; i < data.size(); ++i) {
        threads.emplace_back([&, i] { data[i] = workspace->OpenTable(i % 2 == 0 ? "OBS" : "obs")->Data(); });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    for (const auto& each : data) {
        EXPECT_EQ(each, data[0]);
    }
}

TEST_F(OgrWorkspaceTest, MissingNamesAndPathsRaise) {
    const auto workspace = GeoPackage();
    EXPECT_RAISES(workspace->OpenFeatureClass("OBS"), 5);
    const platform::AutomationError no_table = testing::ErrorOf([&] { workspace->OpenTable("NOPE"); });
    EXPECT_EQ(no_table.Number(), 5);
    EXPECT_EQ(no_table.Description(),
              "The table 'NOPE' is not in the workspace '" + (folder_ / "db.gpkg").string() + "'.");
    std::ofstream(folder_ / "bad.gpkg") << "not a geopackage";
    std::ofstream(folder_ / "plain.txt") << "text";
    EXPECT_RAISES(OpenWorkspace((folder_ / "none.gpkg").string()), 53);
    // GDAL's own reason follows the path, and GDAL prints nothing on the way.
    ::testing::internal::CaptureStderr();
    const platform::AutomationError bad = testing::ErrorOf([&] { OpenWorkspace((folder_ / "bad.gpkg").string()); });
    EXPECT_EQ(bad.Number(), 75);
    EXPECT_NE(bad.Description().find("bad.gpkg': "), std::string::npos) << bad.Description();
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    EXPECT_RAISES(OpenWorkspace((folder_ / "plain.txt").string()), 5);
    EXPECT_RAISES(OpenWorkspace(""), 5);
}

TEST_F(OgrWorkspaceTest, StatisticsOverSearchCursors) {
    const auto obs = GeoPackage()->OpenTable("OBS");
    const std::vector<Variant> times = UniqueValues(obs->Search(), "WHEN");
    EXPECT_EQ(times, (std::vector<Variant>{platform::Date::FromParts(2008, 3, 1, 6),
                                           platform::Date::FromParts(2008, 3, 1, 12)}));
    const FieldStatistics all = Statistics(obs->Search(), "VALUE");
    EXPECT_EQ(all.Count, 3);
    EXPECT_EQ(all.Minimum, 2.0);
    EXPECT_EQ(all.Maximum, 9.0);
    EXPECT_EQ(Statistics(obs->Search("KEY = 1"), "VALUE").Maximum, 4.0);
    EXPECT_EQ(obs->RowCount("WHEN IS NULL"), 1);
}

} // namespace
} // namespace chronova::gis
