// What GDAL's vector drivers are asked for: the file extensions worth trying, and how a CSV file becomes points.

#include <gtest/gtest.h>

#include <fstream>

#include "gis/ogr/vector_files.h"
#include "support/scratch_folder.h"

namespace chronova::gis {
namespace {

using Texts = std::vector<std::string>;

TEST(VectorFileExtensionsTest, NamesTheVectorFormatsAndNoRasterOnlyOne) {
    const std::set<std::string>& extensions = VectorFileExtensions();
    for (const char* vector : {".shp", ".gpkg", ".geojson", ".json", ".fgb", ".gpx", ".kml", ".csv"}) {
        EXPECT_TRUE(extensions.contains(vector)) << vector;
    }
    for (const char* other : {".tif", ".png", ".GPX", "gpx", ".shx", ".prj"}) {
        EXPECT_FALSE(extensions.contains(other)) << other;
    }
}

class DetectCsvPointsTest : public ::testing::Test {
protected:
    std::string Write(const std::string& name, const std::string& text) {
        std::ofstream(folder_ / name) << text;
        return (folder_ / name).string();
    }

    testing::ScratchFolder folder_;
};

TEST_F(DetectCsvPointsTest, FindsTheCoordinatePairByItsUsualNames) {
    const std::pair<std::string, Texts> cases[] = {
        {"id,LAT,LON\n1,2,3\n", {"LON", "LAT"}},
        {"Longitude;Latitude;t\n1;2;3\n", {"Longitude", "Latitude"}},
        {"x,y\n1,2\n", {"x", "y"}},
        {"Easting,Northing,height\n500000,4000000,12\n", {"Easting", "Northing"}},
        // Both lon/lat and x/y: the geographic pair wins, whatever the column order.
        {"x,y,lat,lon\n1,2,3,4\n", {"lon", "lat"}},
    };
    for (const auto& [text, columns] : cases) {
        const auto source = DetectCsvPoints(Write("points.csv", text));
        ASSERT_TRUE(source) << text;
        EXPECT_EQ(source->Columns, columns) << text;
        EXPECT_EQ(source->OpenOptions,
                  (Texts{"X_POSSIBLE_NAMES=" + columns[0], "Y_POSSIBLE_NAMES=" + columns[1], "AUTODETECT_TYPE=YES"}))
            << text;
    }
}

TEST_F(DetectCsvPointsTest, TakesTheFirstColumnOfWktAndNothingElse) {
    const auto source = DetectCsvPoints(
        Write("shapes.csv", "name,note,where,other\nfarm,12.5,\"LINESTRING (0 0, 1 1)\",\"POINT (1 1)\"\n"));
    ASSERT_TRUE(source);
    EXPECT_EQ(source->Columns, Texts{"where"});
    EXPECT_EQ(source->OpenOptions, (Texts{"GEOM_POSSIBLE_NAMES=where", "AUTODETECT_TYPE=YES"}));

    // Half a pair, a column only named like one, text that is no WKT, and files that are no CSV.
    EXPECT_FALSE(DetectCsvPoints(Write("half.csv", "lat,height\n1,2\n")));
    EXPECT_FALSE(DetectCsvPoints(Write("named.csv", "latitude_x,longitude_y\n1,2\n")));
    EXPECT_FALSE(DetectCsvPoints(Write("words.csv", "name,geometry\nfarm,square\n")));
    EXPECT_FALSE(DetectCsvPoints(Write("empty.csv", "")));
    EXPECT_FALSE(DetectCsvPoints(Write("points.geojson", R"({"type": "FeatureCollection", "features": []})")));
    EXPECT_FALSE(DetectCsvPoints((folder_ / "missing.csv").string()));
}

} // namespace
} // namespace chronova::gis
