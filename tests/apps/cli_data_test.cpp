// The command line on names it cannot find and on data files: messages that list what exists with the closest
// name, info and steps describing a data file as chronova init would set it up, and read-only commands that leave
// data folders as they were.

#include "apps/chronova/cli.h"
#include "apps/run_command.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "platform/locale.h"
#include "support/gdal_fixtures.h"
#include "support/scratch_folder.h"
#include "timeapply/raster_side_files.h"

namespace chronova::cli {
namespace {

namespace fs = std::filesystem;

testing::GeoTiffLayout ThreeBands() {
    testing::GeoTiffLayout layout;
    layout.bands = 3;
    return layout;
}

class CliDataTest : public ::testing::Test {
protected:
    // Fixes in a GeoPackage table "fixes" with the fields id, ts and speed, at 06:00, 06:10 and 06:20.
    fs::path WriteFixes() {
        testing::FixtureLayer fixes{"fixes", wkbPoint, {{"id", OFTInteger}, {"ts", OFTString}, {"speed", OFTReal}}, {}};
        for (int i = 0; i < 3; ++i) {
            fixes.rows.push_back(
                testing::PointRow(i, 0.0, {int64_t{i}, "2024-05-01 06:" + std::to_string(i) + "0", 2.5}));
        }
        fs::path file = folder_ / "fixes.gpkg";
        testing::WriteGeoPackage(file, {fixes});
        return file;
    }

    std::string WriteProject(const std::string& layers, const std::string& more = "") {
        const fs::path path = folder_ / "test.chronova.json";
        std::ofstream(path) << R"({ "chronova_project": 1, "layers": [ )" << layers << " ]" << more << " }";
        return path.string();
    }

    // Every file below a folder with its contents.
    static std::map<std::string, std::string> Contents(const fs::path& folder) {
        std::map<std::string, std::string> files;
        for (const auto& entry : fs::recursive_directory_iterator(folder)) {
            files[fs::relative(entry.path(), folder).string()] =
                entry.is_regular_file() ? testing::ReadContents(entry.path()) : "<folder>";
        }
        return files;
    }

    platform::ScopedLocale us_{"en-US"};
    testing::ScratchFolder folder_;
};

TEST_F(CliDataTest, NamesNotFoundListWhatExistsWithTheClosest) {
    WriteFixes();
    const auto fixes_layer = [](const std::string& dataset, const std::string& field) {
        return R"({ "name": "Fixes", "kind": "feature", "source": { "workspace": "fixes.gpkg", "dataset": ")" +
               dataset + R"(" }, "time": { "field": ")" + field + R"(" } })";
    };
    Result result = RunWith({"info", WriteProject(fixes_layer("fixes", "time_stamp"))});
    EXPECT_EQ(result.status, kExitRuntimeError);
    EXPECT_NE(result.err.find("there is no field 'time_stamp' in 'fixes' (fields: id, ts, speed); did you mean 'ts'?"),
              std::string::npos)
        << result.err;

    result = RunWith({"info", WriteProject(fixes_layer("fixs", "ts"))});
    EXPECT_EQ(result.status, kExitRuntimeError);
    EXPECT_NE(result.err.find("cannot open the dataset 'fixs': there is no data set 'fixs' in the workspace (data "
                              "sets: fixes); did you mean 'fixes'?"),
              std::string::npos)
        << result.err;

    result = RunWith({"info", WriteProject(fixes_layer("fixes", "ts"), R"(, "time": { "range_layer": "fixes" })")});
    EXPECT_EQ(result.status, kExitUsage);
    EXPECT_NE(result.err.find("no layer is named 'fixes' (layers: Fixes); did you mean 'Fixes'?"), std::string::npos)
        << result.err;

    // A joined table the GeoPackage does not have.
    testing::FixtureLayer times{"fix_times", wkbNone, {{"id", OFTInteger}, {"ts", OFTString}}, {}};
    times.rows.push_back({"", {int64_t{1}, std::string("2024-05-01 06:00")}});
    testing::FixtureLayer fixes{"fixes", wkbPoint, {{"id", OFTInteger}}, {}};
    fixes.rows.push_back(testing::PointRow(0.0, 0.0, {int64_t{1}}));
    testing::WriteGeoPackage(folder_ / "joined.gpkg", {fixes, times});
    result = RunWith({"info", WriteProject(R"({ "name": "Joined", "kind": "feature",
        "source": { "workspace": "joined.gpkg", "dataset": "fixes" },
        "time": { "field": "ts", "join": { "key": "id", "table": "fix_time", "table_key": "id" } } })")});
    EXPECT_EQ(result.status, kExitRuntimeError);
    EXPECT_NE(result.err.find("there is no table 'fix_time' to join in its GeoPackage (tables: "), std::string::npos)
        << result.err;
    EXPECT_NE(result.err.find("did you mean 'fix_times'?"), std::string::npos) << result.err;

    // steps --layer takes a name in any letter case when only one layer has it.
    const std::string project =
        WriteProject(fixes_layer("fixes", "ts") + R"(, { "name": "Plain", "kind": "group", "layers": [] })");
    result = RunWith({"steps", project, "--layer", "FIXES"});
    ASSERT_EQ(result.status, kExitSuccess) << result.err;
    EXPECT_EQ(result.out, "1\t2024-05-01 06:00\t5/1/2024 6:00:00 AM\n2\t2024-05-01 06:10\t5/1/2024 6:10:00 AM\n"
                          "3\t2024-05-01 06:20\t5/1/2024 6:20:00 AM\n");
    result = RunWith({"steps", project, "--layer", "fixed"});
    EXPECT_EQ(result.status, kExitUsage);
    EXPECT_EQ(result.err, "chronova: the project has no layer named 'fixed' (layers: Fixes, Plain); did you mean "
                          "'Fixes'?\n");
    result = RunWith({"steps", project, "--layer", "Plain"});
    EXPECT_EQ(result.status, kExitUsage);
    EXPECT_EQ(result.err, "chronova: the layer 'Plain' is not a time layer (time layers: Fixes)\n");
}

TEST_F(CliDataTest, AShapefilesDatasetMayNameItsFile) {
    testing::FixtureLayer dots{"dots", wkbPoint, {{"DTG", OFTString, OFSTNone, 20}}, {}};
    dots.rows.push_back(testing::PointRow(0.0, 0.0, {std::string("010000Z MAR 2008")}));
    testing::WriteShapefile(folder_.Path(), dots);
    for (const std::string source :
         {R"("workspace": ".", "dataset": "dots.shp")", R"("workspace": "dots.shp", "dataset": "dots")",
          R"("workspace": "dots.shp", "dataset": "dots.shp")"}) {
        const Result result = RunWith({"steps",
                                       WriteProject(R"({ "name": "Dots", "kind": "feature", "source": { )" + source +
                                                    R"( }, "time": { "field": "DTG" } })"),
                                       "--layer", "Dots"});
        ASSERT_EQ(result.status, kExitSuccess) << source << ": " << result.err;
        EXPECT_EQ(result.out, "1\t2008-03-01 00:00\t010000Z MAR 2008\n") << source;
    }
}

TEST_F(CliDataTest, InfoAndStepsDescribeADataFile) {
    const fs::path gpkg = WriteFixes();
    testing::WriteGeoTiff(folder_ / "grid.tif", testing::GeoTiffLayout{}, [](int, int, int) { return 1.0; });
    const std::vector<std::string> before = testing::FolderNames(folder_.Path());

    Result result = RunWith({"info", gpkg.string(), "--json"});
    ASSERT_EQ(result.status, kExitSuccess) << result.err;
    const nlohmann::json report = nlohmann::json::parse(result.out);
    ASSERT_EQ(report["layers"].size(), 1u);
    const nlohmann::json& layer = report["layers"][0];
    EXPECT_EQ(layer["name"], "fixes");
    EXPECT_EQ(layer["geometry"], "point");
    EXPECT_EQ(layer["features"], 3);
    EXPECT_EQ(layer["fields"], nlohmann::json::parse(R"([{"name": "fid", "type": "object id"},
        {"name": "id", "type": "integer"}, {"name": "ts", "type": "text"}, {"name": "speed", "type": "double"}])"));
    EXPECT_EQ(layer["time_field_candidates"], nlohmann::json::parse(R"(["ts"])"));
    EXPECT_EQ(layer["time_field"], "ts");
    EXPECT_EQ(layer["time_layer"], true);

    result = RunWith({"info", gpkg.string()});
    ASSERT_EQ(result.status, kExitSuccess) << result.err;
    EXPECT_NE(result.out.find("fixes (point, 3 features)\n"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("  ts  text  (time?)\n"), std::string::npos) << result.out;

    result = RunWith({"info", (folder_ / "grid.tif").string()});
    ASSERT_EQ(result.status, kExitSuccess) << result.err;
    EXPECT_NE(result.out.find("grid.tif (raster, 1 band)\n  not a time layer"), std::string::npos) << result.out;

    result = RunWith({"steps", gpkg.string(), "--layer", "Fixes", "--json"});
    ASSERT_EQ(result.status, kExitSuccess) << result.err;
    EXPECT_EQ(nlohmann::json::parse(result.out)["steps"].size(), 3u);
    result = RunWith({"steps", (folder_ / "grid.tif").string(), "--layer", "grid.tif"});
    EXPECT_EQ(result.status, kExitUsage);
    EXPECT_NE(result.err.find("the layer 'grid.tif' of " + (folder_ / "grid.tif").string() + " is not a time layer"),
              std::string::npos)
        << result.err;
    EXPECT_EQ(testing::FolderNames(folder_.Path()), before);

    // GeoJSON is data, even named .json.
    testing::FixtureLayer points{"points", wkbPoint, {{"DATE", OFTDate}}, {}};
    testing::FixtureDate first_of_may;
    first_of_may.year = 2024;
    first_of_may.month = 5;
    points.rows.push_back(testing::PointRow(0.0, 0.0, {first_of_may}));
    testing::WriteVectorFile(folder_ / "points.json", "GeoJSON", points);
    result = RunWith({"info", (folder_ / "points.json").string(), "--json"});
    ASSERT_EQ(result.status, kExitSuccess) << result.err;
    EXPECT_EQ(nlohmann::json::parse(result.out)["layers"][0]["time_field_candidates"],
              nlohmann::json::parse(R"(["DATE"])"));

    // A project file with a syntax error is still reported as one.
    std::ofstream(folder_ / "broken.json") << "{ not json";
    result = RunWith({"info", (folder_ / "broken.json").string()});
    EXPECT_EQ(result.status, kExitUsage);
    EXPECT_NE(result.err.find("line 1, column 4"), std::string::npos) << result.err;
}

TEST_F(CliDataTest, ReadOnlyCommandsLeaveDataFoldersAsTheyWere) {
    const fs::path data = folder_ / "data";
    fs::create_directory(data);
    testing::WriteGeoTiff(data / "rain.tif", ThreeBands(), [](int band, int x, int) { return band * 10.0 + x; });
    const fs::path cache = folder_ / "cache";
    testing::ScopedEnvironment cache_folder("CHRONOVA_SIDE_FILE_CACHE", cache.string());
    const std::string project =
        WriteProject(R"({ "name": "Rain", "kind": "raster", "source": { "path": "data/rain.tif" },
        "time": { "raster": { "start": "2008-03-01 00:00", "interval": 3600, "unit": "h" } } })");
    const std::map<std::string, std::string> before = Contents(data);

    for (const std::vector<std::string>& args : {std::vector<std::string>{"info", project},
                                                 {"steps", project, "--layer", "Rain"},
                                                 {"info", (data / "rain.tif").string()}}) {
        const Result result = RunWith(args);
        ASSERT_EQ(result.status, kExitSuccess) << args[0] << ": " << result.err;
        EXPECT_EQ(Contents(data), before) << args[0];
        EXPECT_EQ(SideFilesGoTo(), SideFileFolder::BesideData) << "the choice is the command's alone";
    }
    // The settings went to the cache, where a later read finds them.
    const fs::path cached = CachedSideFile((data / "rain.ini").string());
    ASSERT_TRUE(fs::is_regular_file(cached)) << cached.string();
    EXPECT_EQ(cached.parent_path().parent_path(), cache);
    ASSERT_TRUE(ReadRasterSettings((data / "rain.ini").string()).has_value());
    EXPECT_EQ(ReadRasterSettings((data / "rain.ini").string())->IntervalUnits, "h");

    // Drawing the data reads it only: its settings go to the cache too, and the frames to their own folder.
    for (const std::string command : {"render", "animate"}) {
        const fs::path out = folder_ / (command == "render" ? "frames" : "rain.gif");
        const Result result = RunWith({command, project, "--out", out.string(), "--size", "64x48", "--quiet"});
        ASSERT_EQ(result.status, kExitSuccess) << command << ": " << result.err;
        EXPECT_EQ(Contents(data), before) << command;
        EXPECT_EQ(SideFilesGoTo(), SideFileFolder::BesideData) << command;
    }
}

// A raster whose time block gives no timing takes its band times from its step list alone: a list that cannot
// give them stops info, steps and render with one line naming the list, the element and the value, even next to
// a settings file, and nothing is written, neither beside the data nor in the cache.
TEST_F(CliDataTest, AStepListThatCannotTimeTheBandsIsRefusedAndWritesNothing) {
    const fs::path data = folder_ / "data";
    fs::create_directory(data);
    testing::WriteGeoTiff(data / "rain.tif", ThreeBands(), [](int band, int x, int) { return band * 10.0 + x; });
    const fs::path cache = folder_ / "cache";
    testing::ScopedEnvironment cache_folder("CHRONOVA_SIDE_FILE_CACHE", cache.string());
    const std::string project =
        WriteProject(R"({ "name": "Rain", "kind": "raster", "source": { "path": "data/rain.tif" }, "time": {} })");
    const std::string list = (data / "rain.xml").string();
    const fs::path frames = folder_ / "frames";
    const struct {
        const char* steps;
        bool settings;
        std::string message;
    } cases[] = {
        {"<timesteps></timesteps>", false, "the step list has no <timestep> element"},
        {"", false, "the step list is empty"},
        {R"({"time": {}})", false, "not well-formed XML at line 1 (No document element found): '{\"time\": {}}'"},
        {"<steps><timestep>2008-03-01 00:00</timestep>", true, "not well-formed XML at line 1"},
        {"<steps>\n<timestep>2008-03-01 00:00</timestep>\n<timestep>later</timestep>\n</steps>", true,
         "timestep 2 (line 3) 'later' is not a date or a date-time group"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.steps);
        std::ofstream(list, std::ios::binary) << c.steps;
        fs::remove(data / "rain.ini");
        if (c.settings) {
            std::ofstream(data / "rain.ini", std::ios::binary) << " 56813760 \r\n 1 \r\nh\r\n";
        }
        const std::map<std::string, std::string> before = Contents(data);
        for (const std::vector<std::string>& args : {std::vector<std::string>{"info", project},
                                                     {"steps", project, "--layer", "Rain"},
                                                     {"render", project, "--out", frames.string(), "--quiet"}}) {
            const Result result = RunWith(args);
            EXPECT_EQ(result.status, kExitRuntimeError) << args[0];
            EXPECT_NE(result.err.find(list + ": " + c.message), std::string::npos) << args[0] << ": " << result.err;
            EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
            EXPECT_EQ(Contents(data), before) << args[0];
        }
        EXPECT_FALSE(fs::exists(cache)) << "no settings made up in the cache either";
        EXPECT_FALSE(fs::exists(frames));
    }

    // A list that reads times the bands by itself; no settings file is made from a start and interval nobody gave.
    std::ofstream(list, std::ios::binary) << "<steps><timestep>020000Z MAR 2008</timestep><timestep>2008-03-02 01:00"
                                             "</timestep><timestep>020200Z MAR 2008</timestep></steps>";
    fs::remove(data / "rain.ini");
    const std::map<std::string, std::string> before = Contents(data);
    const Result steps = RunWith({"steps", project, "--layer", "Rain"});
    ASSERT_EQ(steps.status, kExitSuccess) << steps.err;
    EXPECT_NE(steps.out.find("2008-03-02 02:00"), std::string::npos) << steps.out;
    const Result render = RunWith({"render", project, "--out", frames.string(), "--quiet"});
    ASSERT_EQ(render.status, kExitSuccess) << render.err;
    EXPECT_EQ(Contents(data), before);
    EXPECT_FALSE(fs::exists(CachedSideFile((data / "rain.ini").string())));
}

} // namespace
} // namespace chronova::cli
