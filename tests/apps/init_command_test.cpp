// chronova init on real data: the line printed for each layer, the project written, and what that project shows
// when it is opened and rendered.

#include "apps/chronova/cli.h"
#include "apps/run_command.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <filesystem>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>

#include "datetime/mod_date_time.h"
#include "platform/debug_output.h"
#include "platform/locale.h"
#include "support/gdal_fixtures.h"
#include "support/scratch_folder.h"
#include "timeapply/raster_side_files.h"

namespace chronova::cli {
namespace {

namespace fs = std::filesystem;
using testing::FixtureDate;
using testing::FixtureLayer;
using testing::FixtureValue;
using testing::PointRow;

// A raster of the given bands over x 0..20, y -12..-8, every cell of band b holding b.
void WriteRaster(const fs::path& file, int bands) {
    testing::GeoTiffLayout layout;
    layout.bands = bands;
    layout.width = 4;
    layout.height = 2;
    layout.transform = {0.0, 5.0, 0.0, -8.0, 0.0, -2.0};
    testing::WriteGeoTiff(file, layout, [](int band, int, int) { return band; });
}

void WriteText(const fs::path& file, const std::string& text) {
    std::ofstream(file) << text;
}

class InitCommandTest : public ::testing::Test {
protected:
    // Ships report at 00:00, 01:00 and 02:00 on 1 March 2008 along y = 0; a coastline without time runs along the
    // top; two stations take their times from a joined table; a raster of three bands is timed by its step list,
    // and one with nothing beside it is not.
    void SetUp() override {
        fs::create_directories(folder_ / "ships");
        FixtureLayer ships{"ships",
                           wkbPoint,
                           {{"ID", OFTInteger}, {"DTG", OFTString, OFSTNone, 20}, {"SPEED", OFTReal}, {"DIR", OFTReal}},
                           {}};
        for (int i = 0; i < 3; ++i) {
            ships.rows.push_back(
                PointRow(5.0 + 5 * i, 0.0,
                         {int64_t{i + 1}, "010" + std::to_string(i) + "00Z MAR 2008", 5.0 * (i + 1), 90.0 * i}));
        }
        testing::WriteShapefile(folder_ / "ships", ships);
        testing::WriteShapefile(folder_ / "ships",
                                {"coast",
                                 wkbLineString,
                                 {{"NAME", OFTString, OFSTNone, 20}, {"KIND", OFTString, OFSTNone, 20}},
                                 {{"LINESTRING (0 5, 20 5)", {std::string("Gulf"), std::string("shore")}}}});

        FixtureLayer stations{"STATIONS", wkbPoint, {{"STATION", OFTInteger}, {"NAME", OFTString, OFSTNone, 20}}, {}};
        stations.rows = {PointRow(2, -4, {int64_t{1}, std::string("West")}),
                         PointRow(18, -4, {int64_t{2}, std::string("East")})};
        // NUM is proposed as the table's key over its object id, which must not then pass for a shared field.
        FixtureLayer obs{"OBS",
                         wkbNone,
                         {{"STATION", OFTInteger}, {"TIME", OFTDateTime}, {"TEMP", OFTReal}, {"NUM", OFTInteger}},
                         {}};
        for (const auto& [station, hour] : {std::pair{1, 0}, {1, 1}, {2, 2}}) {
            obs.rows.push_back({"", {int64_t{station}, FixtureDate{2008, 3, 1, hour, 0}, 20.5, int64_t{hour + 1}}});
        }
        testing::WriteGeoPackage(folder_ / "stations.gpkg", {stations, obs});

        WriteRaster(folder_ / "rain.tif", 3);
        WriteText(folder_ / "rain.xml", "<steps><timestep>2008-03-01 00:00</timestep><timestep>2008-03-01 01:00"
                                        "</timestep><timestep>2008-03-01 02:00</timestep></steps>");
        WriteRaster(folder_ / "plain.tif", 1);
    }

    std::string Data(const std::string& name) const { return (folder_ / name).string(); }

    // Switches the written project's frame furniture and margin off, so that map coordinates fall on known pixels.
    void DrawBareFrames(const std::string& project = "p.chronova.json") const {
        nlohmann::json json = nlohmann::json::parse(testing::ReadContents(folder_ / project));
        json["layout"] = false;
        std::ofstream(folder_ / project) << json.dump(2);
    }

    // Runs init on the inputs into a fresh project file and returns what it printed.
    Result Init(const std::vector<std::string>& inputs, const std::string& project = "p.chronova.json") {
        std::vector<std::string> args{"init"};
        for (const std::string& input : inputs) {
            args.push_back(Data(input));
        }
        args.insert(args.end(), {"--out", Data(project)});
        return RunWith(args);
    }

    platform::ScopedLocale us_{"en-US"};
    testing::ScratchFolder folder_;
};

// Whether anything but white is drawn within a few pixels of a point.
bool DrawnNear(const QImage& image, int x, int y) {
    for (int dy = -6; dy <= 6; ++dy) {
        for (int dx = -6; dx <= 6; ++dx) {
            if (image.pixelColor(x + dx, y + dy) != QColor(Qt::white)) {
                return true;
            }
        }
    }
    return false;
}

TEST_F(InitCommandTest, ProposesEachLayerAndWritesAProjectThatShowsEachStep) {
    const Result init = Init({"ships", "stations.gpkg", "rain.tif", "plain.tif"});
    ASSERT_EQ(init.status, kExitSuccess) << init.err;
    EXPECT_EQ(init.out, "coast: not a time layer: no field looks like a time (fields: NAME, KIND)\n"
                        "ships: time field DTG (date-time-group text), speed SPEED, direction DIR\n"
                        "STATIONS: time field TIME (date field) of the table OBS, joined on STATION\n"
                        "rain.tif: bands timed by rain.xml (3 steps)\n"
                        "plain.tif: not a time layer: no step list plain.xml or settings file plain.ini beside it\n"
                        "Wrote " +
                            Data("p.chronova.json") + ": 5 layers, 3 time layers\n");

    // Points above lines above rasters; paths from the project's folder; the data's spatial reference.
    const nlohmann::json project = nlohmann::json::parse(testing::ReadContents(folder_ / "p.chronova.json"));
    std::vector<std::string> names;
    for (const nlohmann::json& layer : project["layers"]) {
        names.push_back(layer["name"]);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"ships", "STATIONS", "coast", "rain.tif", "plain.tif"}));
    EXPECT_EQ(project["layers"][0]["source"]["workspace"], "ships");
    EXPECT_EQ(project["map"]["spatial_reference"], "EPSG:4326");
    EXPECT_EQ(project["layers"][1]["time"]["join"],
              nlohmann::json::parse(R"({"key": "STATION", "table": "OBS", "table_key": "STATION",
                                        "name": "Join_STATIONS", "primary_key": "NUM"})"));
    EXPECT_FALSE(project["layers"][2].contains("time"));

    const Result info = RunWith({"info", Data("p.chronova.json"), "--json"});
    ASSERT_EQ(info.status, kExitSuccess) << info.err;
    const nlohmann::json report = nlohmann::json::parse(info.out);
    for (const nlohmann::json& layer : report["layers"]) {
        EXPECT_EQ(layer["time_layer"].get<bool>(), layer["name"] != "coast" && layer["name"] != "plain.tif")
            << layer["name"];
    }

    // The extent of all layers, x 0..20 and y -12..5, fills 400x340 pixels at 20 pixels a unit.
    DrawBareFrames();
    const Result render =
        RunWith({"render", Data("p.chronova.json"), "--out", Data("frames"), "--size", "400x340", "--quiet"});
    ASSERT_EQ(render.status, kExitSuccess) << render.err;
    const auto pixel_x = [](double x) { return static_cast<int>(20 * x); };
    const auto pixel_y = [](double y) { return static_cast<int>(20 * (5 - y)); };
    int previous_grey = -1;
    for (int frame = 0; frame < 3; ++frame) {
        const QImage image(Data("frames/frame_0000" + std::to_string(frame) + ".png").c_str());
        ASSERT_FALSE(image.isNull()) << frame;
        for (int ship = 0; ship < 3; ++ship) {
            EXPECT_EQ(DrawnNear(image, pixel_x(5.0 + 5 * ship), pixel_y(0)), ship == frame)
                << "frame " << frame << ", ship " << ship;
        }
        // Station 1 has observations at 00:00 and 01:00, station 2 at 02:00.
        EXPECT_EQ(DrawnNear(image, pixel_x(2), pixel_y(-4)), frame < 2) << "frame " << frame;
        EXPECT_EQ(DrawnNear(image, pixel_x(18), pixel_y(-4)), frame == 2) << "frame " << frame;
        // Band b shows at step b, stretched from black (1) to white (3).
        const int grey = QColor(image.pixel(pixel_x(15), pixel_y(-8.5))).lightness();
        EXPECT_GT(grey, previous_grey) << "frame " << frame;
        previous_grey = grey;
    }
    EXPECT_FALSE(fs::exists(folder_ / "frames" / "frame_00003.png"));
}

// Each case is data that cannot be (or can only partly be) a time layer, and the line that says why. Every project
// written must still open.
TEST_F(InitCommandTest, SaysWhyALayerIsNotATimeLayerAndStillMapsIt) {
    fs::create_directories(folder_ / "cases");
    const auto shapefile = [&](FixtureLayer layer) {
        layer.rows = {PointRow(1, 1, layer.rows.front().values)};
        testing::WriteShapefile(folder_ / "cases", layer);
    };
    shapefile({"texts", wkbPoint, {{"DATE", OFTString, OFSTNone, 20}}, {{"", {std::string("soon")}}}});
    shapefile(
        {"when", wkbPoint, {{"WHEN", OFTDate}, {"N", OFTInteger}}, {{"", {FixtureDate{2008, 3, 1}, int64_t{1}}}}});
    // Two date fields, neither named like a time: which one is the time is not clear.
    shapefile({"seen",
               wkbPoint,
               {{"WHEN", OFTDate}, {"SEEN", OFTDate}},
               {{"", {FixtureDate{2008, 3, 1}, FixtureDate{2008, 3, 2}}}}});
    shapefile({"speeds", wkbPoint, {{"TIME", OFTDate}, {"SPEED", OFTReal}}, {{"", {FixtureDate{2008, 3, 1}, 2.0}}}});
    FixtureLayer sites{"sites", wkbPoint, {{"SITE", OFTInteger}, {"NAME", OFTString}}, {}};
    sites.rows = {PointRow(1, 1, {int64_t{1}, std::string("a")})};
    FixtureLayer readings{"readings", wkbNone, {{"SITE", OFTInteger}, {"NAME", OFTString}, {"TIME", OFTDateTime}}, {}};
    readings.rows = {{"", {int64_t{1}, std::string("a"), FixtureDate{2008, 3, 1}}}};
    testing::WriteGeoPackage(folder_ / "levels.gpkg",
                             {{"levels", wkbPoint, {{"TIME", OFTInteger, OFSTInt16}}, {PointRow(1, 1, {int64_t{3}})}}});
    testing::WriteGeoPackage(folder_ / "two_keys.gpkg", {sites, readings});
    readings.fields[0].name = "OTHER";
    readings.fields[1].name = "LABEL";
    testing::WriteGeoPackage(folder_ / "no_key.gpkg", {sites, readings});
    WriteRaster(folder_ / "short.tif", 3);
    WriteText(folder_ / "short.xml", "<x><timestep>2008-03-01</timestep><timestep>2008-03-02</timestep></x>");
    WriteRaster(folder_ / "hours.tif", 3);
    WriteRasterSettings(Data("hours.ini"), {modDateTime::PartsToMinutes(2008, 3, 1, 0, 0), 2, "h"});

    const Result init = Init({"cases", "levels.gpkg", "two_keys.gpkg", "no_key.gpkg", "short.tif", "hours.tif"});
    ASSERT_EQ(init.status, kExitSuccess) << init.err;
    for (const std::string line : {
             "texts: not a time layer: the field DATE holds text that is not a date ('soon')",
             "levels: not a time layer: the field TIME is a 16-bit integer field, which cannot hold times",
             "when: time field WHEN (date field; the only date field, though not named like a time)",
             "seen: not a time layer: no field looks like a time (fields: WHEN, SEEN; WHEN, SEEN hold dates but",
             "speeds: time field TIME (date field), no vectors (speed SPEED but no direction field)",
             "sites: not a time layer: no field looks like a time (fields: SITE, NAME), and the table readings "
             "holds the time field TIME but shares several fields with it (SITE, NAME), so the key is not clear",
             "sites (2): not a time layer: no field looks like a time (fields: SITE, NAME), and the table readings "
             "holds the time field TIME but shares no field with it to join on",
             "short.tif: not a time layer: short.xml lists 2 steps for 3 bands",
             "hours.tif: bands timed by hours.ini (3 steps from 2008-03-01 00:00, every 2 hours)",
         }) {
        EXPECT_NE(init.out.find(line), std::string::npos) << line << "\nin:\n" << init.out;
    }
    EXPECT_NE(init.out.find(": 9 layers, 3 time layers"), std::string::npos) << init.out;
    const Result info = RunWith({"info", Data("p.chronova.json")});
    EXPECT_EQ(info.status, kExitSuccess) << info.err;
}

TEST_F(InitCommandTest, NoTimeLayerStillWritesTheMap) {
    const Result init = Init({"ships/coast.shp"});
    ASSERT_EQ(init.status, kExitSuccess) << init.err;
    EXPECT_NE(init.out.find("1 layer, but no time layer was found"), std::string::npos) << init.out;
    const Result info = RunWith({"info", Data("p.chronova.json")});
    EXPECT_EQ(info.status, kExitSuccess) << info.err;
    EXPECT_NE(info.out.find("coast (feature)"), std::string::npos) << info.out;
}

TEST_F(InitCommandTest, BadInputWritesNothingAndAnExistingProjectIsKept) {
    WriteText(folder_ / "notes.txt", "not data");
    fs::create_directories(folder_ / "empty");
    const std::pair<std::vector<std::string>, int> cases[] = {
        {{"missing.gpkg"}, kExitUsage},
        {{"empty"}, kExitUsage},
        {{"rain.tif", "notes.txt"}, kExitRuntimeError},
    };
    for (const auto& [inputs, status] : cases) {
        const Result result = Init(inputs);
        EXPECT_EQ(result.status, status) << inputs.back() << ": " << result.err;
        EXPECT_NE(result.err.find(inputs.back()), std::string::npos) << result.err;
        EXPECT_FALSE(fs::exists(folder_ / "p.chronova.json")) << inputs.back();
    }
    EXPECT_EQ(Init({"rain.tif"}, "no-such-folder/p.chronova.json").status, kExitUsage);
    EXPECT_EQ(RunWith({"init"}).status, kExitUsage);
    const Result help = RunWith({"init", "--help"});
    EXPECT_EQ(help.status, kExitSuccess);
    EXPECT_NE(help.out.find("Usage: chronova init"), std::string::npos) << help.out;

    WriteText(folder_ / "p.chronova.json", "mine");
    const Result kept = Init({"rain.tif"});
    EXPECT_EQ(kept.status, kExitUsage);
    EXPECT_NE(kept.err.find("--force"), std::string::npos) << kept.err;
    EXPECT_EQ(testing::ReadContents(folder_ / "p.chronova.json"), "mine");
    const Result forced = RunWith({"init", Data("rain.tif"), "--out", Data("p.chronova.json"), "--force"});
    EXPECT_EQ(forced.status, kExitSuccess) << forced.err;
    EXPECT_NE(testing::ReadContents(folder_ / "p.chronova.json").find("rain.tif"), std::string::npos);
}

// A day of fixes at 06:00, 07:00 and 08:00 on 1 May 2024 from three kinds of file, each along its own row:
// GeoJSON at y = 0, CSV at y = -4, GPX at y = -8, x = 5, 10, 15 for the three hours.
class VectorSourcesTest : public InitCommandTest {
protected:
    void SetUp() override {
        InitCommandTest::SetUp();
        fs::create_directories(folder_ / "gps");
        FixtureLayer fixes{"fixes", wkbPoint, {{"name", OFTString}, {"time", OFTDateTime}}, {}};
        for (int hour = 0; hour < 3; ++hour) {
            fixes.rows.push_back(
                PointRow(5.0 + 5 * hour, 0.0, {std::string("van"), FixtureDate{2024, 5, 1, 6 + hour, 0}}));
        }
        testing::WriteVectorFile(folder_ / "gps" / "fixes.geojson", "GeoJSON", fixes);
        WriteText(folder_ / "gps" / "buoys.csv", "name,Lat,Lon,timestamp\n"
                                                 "a,-4,5,2024-05-01 06:00:00\n"
                                                 "b,-4,10,2024-05-01 07:00:00\n"
                                                 "c,-4,15,2024-05-01 08:00:00\n");
        std::string points;
        for (int hour = 0; hour < 3; ++hour) {
            points += R"(<trkpt lat="-8" lon=")" + std::to_string(5 + 5 * hour) + R"("><time>2024-05-01T0)" +
                      std::to_string(6 + hour) + ":00:00Z</time></trkpt>";
        }
        WriteText(folder_ / "gps" / "van.gpx", R"(<?xml version="1.0"?><gpx version="1.1" creator="test" )"
                                               R"(xmlns="http://www.topografix.com/GPX/1/1"><trk><name>van</name>)"
                                               "<trkseg>" +
                                                   points + "</trkseg></trk></gpx>");
        // Neither is map data: a table without coordinates, and a step list GDAL does not read.
        WriteText(folder_ / "gps" / "crew.csv", "name,shift\nann,early\n");
        WriteText(folder_ / "gps" / "steps.xml", "<steps><timestep>2024-05-01</timestep></steps>");
    }
};

TEST_F(VectorSourcesTest, FolderOfGeoJsonCsvAndGpxBecomesAProjectThatStepsThroughEach) {
    const Result init = Init({"gps"});
    ASSERT_EQ(init.status, kExitSuccess) << init.err;
    const std::string buoys_line =
        "buoys: time field timestamp (date field); read as points from Lon, Lat with the column types detected "
        "(open options X_POSSIBLE_NAMES=Lon Y_POSSIBLE_NAMES=Lat AUTODETECT_TYPE=YES)";
    for (const std::string& line : std::vector<std::string>{
             "crew.csv: left out: no columns of coordinates",
             "van.gpx: left out tracks (no time field); waypoints, routes, route_points (no features)",
             buoys_line,
             "fixes: time field time (date field)\n",
             "van track_points: time field time (date field)\n",
             ": 3 layers, 3 time layers",
         }) {
        EXPECT_NE(init.out.find(line), std::string::npos) << line << "\nin:\n" << init.out;
    }
    EXPECT_EQ(init.out.find("steps.xml"), std::string::npos) << init.out;

    const nlohmann::json project = nlohmann::json::parse(testing::ReadContents(folder_ / "p.chronova.json"));
    std::map<std::string, nlohmann::json> sources;
    for (const nlohmann::json& layer : project["layers"]) {
        sources[layer["name"]] = layer["source"];
    }
    EXPECT_EQ(project["map"]["name"], "Gps") << "the map is named after the data, so that frames have a title";
    EXPECT_EQ(sources["buoys"]["workspace"], "gps/buoys.csv");
    EXPECT_EQ(sources["buoys"]["open_options"],
              nlohmann::json::parse(R"(["X_POSSIBLE_NAMES=Lon", "Y_POSSIBLE_NAMES=Lat", "AUTODETECT_TYPE=YES"])"));
    EXPECT_EQ(sources["van track_points"]["dataset"], "track_points");
    EXPECT_FALSE(sources["fixes"].contains("open_options"));

    const Result info = RunWith({"info", Data("p.chronova.json"), "--json"});
    ASSERT_EQ(info.status, kExitSuccess) << info.err;
    const nlohmann::json report = nlohmann::json::parse(info.out);
    for (const nlohmann::json& layer : report["layers"]) {
        EXPECT_TRUE(layer["time_layer"].get<bool>()) << layer["name"];
    }

    // The fixes' extent, x 5..15 and y -8..0, fills 400x320 pixels at 40 pixels a unit: each hour's fixes are a
    // column, 06:00 at the left edge and 08:00 at the right, each file's a row.
    DrawBareFrames();
    const Result render = RunWith({"render", Data("p.chronova.json"), "--out", Data("frames"), "--size", "400x320",
                                   "--quiet", "--interval", "60"});
    ASSERT_EQ(render.status, kExitSuccess) << render.err;
    EXPECT_FALSE(fs::exists(folder_ / "frames" / "frame_00003.png"));
    const auto drawn_at = [](const QImage& image, int x, int y) {
        for (int dy = -8; dy <= 8; ++dy) {
            for (int dx = -8; dx <= 8; ++dx) {
                const QPoint pixel(x + dx, y + dy);
                if (image.valid(pixel) && image.pixelColor(pixel) != QColor(Qt::white)) {
                    return true;
                }
            }
        }
        return false;
    };
    for (int frame = 0; frame < 3; ++frame) {
        const QImage image(Data("frames/frame_0000" + std::to_string(frame) + ".png").c_str());
        ASSERT_FALSE(image.isNull()) << frame;
        // The time label covers the bottom left, where the GPX file's first fix is.
        for (const int y : {0, 160}) {
            EXPECT_EQ(drawn_at(image, 0, y), frame == 0) << "frame " << frame << ", y " << y;
        }
        for (const int y : {0, 160, 320}) {
            EXPECT_EQ(drawn_at(image, 200, y), frame == 1) << "frame " << frame << ", y " << y;
            EXPECT_EQ(drawn_at(image, 400, y), frame == 2) << "frame " << frame << ", y " << y;
        }
    }
}

TEST_F(VectorSourcesTest, NamedFilesAreReadAsVectorDataWithGeometryFromWkt) {
    WriteText(folder_ / "gps" / "areas.csv", "id,geom,date\n"
                                             "1,\"POLYGON ((0 0, 4 0, 4 4, 0 0))\",2024-05-01\n"
                                             "2,\"POLYGON ((5 0, 9 0, 9 4, 5 0))\",2024-05-02\n");
    const Result init = Init({"gps/areas.csv", "gps/fixes.geojson"});
    ASSERT_EQ(init.status, kExitSuccess) << init.err;
    EXPECT_NE(init.out.find("areas: time field date (date field); read as shapes from the WKT column geom"),
              std::string::npos)
        << init.out;
    const nlohmann::json project = nlohmann::json::parse(testing::ReadContents(folder_ / "p.chronova.json"));
    EXPECT_EQ(project["layers"][1]["source"]["open_options"],
              nlohmann::json::parse(R"(["GEOM_POSSIBLE_NAMES=geom", "AUTODETECT_TYPE=YES"])"));
    const Result info = RunWith({"info", Data("p.chronova.json")});
    EXPECT_EQ(info.status, kExitSuccess) << info.err;

    const Result table = Init({"gps/crew.csv"}, "crew.chronova.json");
    EXPECT_EQ(table.status, kExitUsage);
    EXPECT_NE(table.err.find("crew.csv holds no map layer: no columns of coordinates"), std::string::npos) << table.err;
}

// Vans report several times a day, but the shapefile's DATE field kept only the day.
class ShapefileDatesTest : public InitCommandTest {
protected:
    void WriteDays(const std::string& name, const std::vector<int>& days, OGRFieldType type = OFTDate) {
        FixtureLayer layer{name, wkbPoint, {{"DATE", type, OFSTNone, type == OFTString ? 10 : 0}}, {}};
        for (size_t i = 0; i < days.size(); ++i) {
            const FixtureValue value = type == OFTString
                                           ? FixtureValue(std::string("2024-05-0") + std::to_string(days[i]))
                                           : FixtureValue(FixtureDate{2024, 5, days[i]});
            layer.rows.push_back(PointRow(static_cast<double>(i), 0.0, {value}));
        }
        fs::create_directories(folder_ / "days");
        testing::WriteShapefile(folder_ / "days", layer);
    }
};

TEST_F(ShapefileDatesTest, WarnsOnceWhenFeaturesShareADayOfADateField) {
    WriteDays("tracks", {1, 1, 1, 2});
    ASSERT_EQ(Init({"days/tracks.shp"}).status, kExitSuccess);
    const std::string warning = "warning: tracks.shp: field 'DATE' holds dates only (a .dbf keeps no time of day); "
                                "steps are whole days (up to 3 features on one day)\n";
    platform::ScopedDebugCapture debug;
    for (const std::vector<std::string>& command :
         {std::vector<std::string>{"info", Data("p.chronova.json")},
          {"render", Data("p.chronova.json"), "--out", Data("frames"), "--size", "40x30", "--quiet"},
          {"animate", Data("p.chronova.json"), "--out", Data("tracks.gif"), "--size", "40x30", "--quiet"}}) {
        const Result result = RunWith(command);
        EXPECT_EQ(result.status, kExitSuccess) << command[0] << ": " << result.err;
        EXPECT_EQ(result.err, warning) << command[0];
    }
    ASSERT_EQ(debug.Lines().size(), 3U);
    EXPECT_EQ(debug.Lines()[0] + "\n", warning);
}

TEST_F(ShapefileDatesTest, NoWarningForOneFeatureADayNorForTextTimes) {
    WriteDays("daily", {1, 2, 3});
    WriteDays("texts", {1, 1, 2}, OFTString);
    ASSERT_EQ(Init({"days"}).status, kExitSuccess);
    platform::ScopedDebugCapture debug;
    const Result info = RunWith({"info", Data("p.chronova.json")});
    EXPECT_EQ(info.status, kExitSuccess) << info.err;
    EXPECT_EQ(info.err, "");
    EXPECT_NE(info.out.find("texts"), std::string::npos) << info.out;
    EXPECT_TRUE(debug.Lines().empty());
}

} // namespace
} // namespace chronova::cli
