// The command line on time layers whose rows stay in PostgreSQL: the frames are those of the same rows in a
// GeoPackage, steps come from the server, and a server that cannot be reached is one clear line.
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gdal_utils.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "apps/run_command.h"
#include "gis/ogr/gdal_environment.h"
#include "gis/ogr/gdal_handles.h"
#include "support/scratch_folder.h"
#include "support/test_database.h"

namespace chronova::cli {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

std::string Contents(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Copies a table of the database into a GeoPackage with GDAL, as an analyst would export it.
void CopyToGeoPackage(const std::string& connection, const std::string& table, const fs::path& target) {
    gis::RegisterGdalDrivers();
    gis::DatasetHandle source(GDALOpenEx(connection.c_str(), GDAL_OF_VECTOR, nullptr, nullptr, nullptr));
    ASSERT_TRUE(source);
    const char* arguments[] = {"-f", "GPKG", table.c_str(), nullptr};
    GDALVectorTranslateOptions* options = GDALVectorTranslateOptionsNew(const_cast<char**>(arguments), nullptr);
    GDALDatasetH source_handle = source.get();
    int usage_error = 0;
    gis::DatasetHandle copy(GDALVectorTranslate(target.c_str(), nullptr, 1, &source_handle, options, &usage_error));
    GDALVectorTranslateOptionsFree(options);
    ASSERT_TRUE(copy);
}

// A project of one time layer over a workspace and dataset, on a fixed extent so both sources draw alike.
fs::path WriteProject(const fs::path& folder, const std::string& name, const std::string& source) {
    fs::path path = folder / (name + ".chronova.json");
    std::ofstream(path) << R"({"chronova_project": 1, "map": {"extent": [-180, -90, 180, 90]},
      "layers": [{"name": "Fixes", "kind": "feature", "source": )"
                        << source << R"(, "symbology": {"color": "#c03020", "size": 5},
                  "time": {"field": "fix_time"}}],
      "export": {"size": [320, 240]}})";
    return path;
}

std::string JsonText(const std::string& text) {
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            quoted += '\\';
        }
        quoted += c;
    }
    return quoted + "\"";
}

class CliDatabaseTest : public ::testing::Test {
protected:
    void SetUp() override {
        testing::FixesTable fixes;
        fixes.rows = 2000;
        fixes.rows_per_step = 200;
        database.LoadFixes(fixes);
    }

    std::string Source(const std::string& dataset) const {
        return R"({"workspace": )" + JsonText(database.ConnectionString()) + R"(, "dataset": )" + JsonText(dataset) +
               "}";
    }

    testing::TestDatabase database;
    testing::ScratchFolder scratch;
};

TEST_F(CliDatabaseTest, FramesOfADatabaseTableAreThoseOfTheSameRowsInAGeoPackage) {
    CopyToGeoPackage(database.ConnectionString(), "fixes", scratch / "fixes.gpkg");
    const fs::path from_database = WriteProject(scratch.Path(), "database", Source("fixes"));
    const fs::path from_file =
        WriteProject(scratch.Path(), "file", R"({"workspace": "fixes.gpkg", "dataset": "fixes"})");

    const Result database_info = RunWith({"steps", from_database.string(), "--layer", "Fixes"});
    const Result file_info = RunWith({"steps", from_file.string(), "--layer", "Fixes"});
    ASSERT_EQ(database_info.status, 0) << database_info.err;
    ASSERT_EQ(file_info.status, 0) << file_info.err;
    EXPECT_EQ(database_info.out, file_info.out);
    EXPECT_THAT(database_info.out, HasSubstr("2008"));

    for (const auto& [project, out] : {std::pair{from_database, scratch / "database"}, {from_file, scratch / "file"}}) {
        const Result rendered =
            RunWith({"render", project.string(), "--out", out.string(), "--to", "2008-03-01 04:00"});
        ASSERT_EQ(rendered.status, 0) << rendered.err;
    }
    size_t compared = 0;
    for (const auto& frame : fs::directory_iterator(scratch / "file")) {
        SCOPED_TRACE(frame.path().filename().string());
        EXPECT_EQ(Contents(frame.path()), Contents(scratch / "database" / frame.path().filename()));
        ++compared;
    }
    EXPECT_EQ(compared, 5U);
    // Consecutive steps differ, so equal frames are not blank ones.
    EXPECT_NE(Contents(scratch / "file" / "frame_00000.png"), Contents(scratch / "file" / "frame_00001.png"));
}

TEST_F(CliDatabaseTest, AQueryIsALayerAndABadServerIsOneLine) {
    const fs::path project = WriteProject(
        scratch.Path(), "query",
        R"({"workspace": )" + JsonText(database.ConnectionString()) +
            R"(, "dataset": "slow fixes", "query": "SELECT id, geom, fix_time FROM fixes WHERE speed < 10"})");
    const Result info = RunWith({"info", project.string()});
    ASSERT_EQ(info.status, 0) << info.err;
    EXPECT_THAT(info.out, HasSubstr("10 steps"));

    const fs::path unreachable =
        WriteProject(scratch.Path(), "unreachable",
                     R"({"workspace": "PG:host=/nonexistent port=1 dbname=none", "dataset": "fixes"})");
    const Result failed = RunWith({"info", unreachable.string()});
    EXPECT_EQ(failed.status, 1);
    EXPECT_THAT(failed.err, HasSubstr("Cannot connect to the database 'PG:host=/nonexistent"));
    EXPECT_EQ(std::count(failed.err.begin(), failed.err.end(), '\n'), 1) << failed.err;

    const fs::path misplaced = WriteProject(scratch.Path(), "misplaced",
                                            R"({"workspace": "fixes.gpkg", "dataset": "f", "query": "SELECT 1"})");
    const Result refused = RunWith({"info", misplaced.string()});
    EXPECT_EQ(refused.status, 2);
    EXPECT_THAT(refused.err, HasSubstr("a query needs a database workspace"));
}

} // namespace
} // namespace chronova::cli
