// The real program on data with a bad value in one row: one line that names the file, the feature, the field and
// the value, exit status 1, the data left as it was; the call stack only in the error log and with --verbose.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include <sys/wait.h>

#include "apps/program_run.h"
#include "support/gdal_fixtures.h"
#include "support/scratch_folder.h"

namespace chronova::cli {
namespace {

namespace fs = std::filesystem;

struct Outcome {
    int status = -1;
    std::string err;
};

// Runs the built chronova with the arguments, its error log at log, and returns how it ended and what it wrote
// to stderr.
Outcome RunProgram(const std::vector<std::string>& arguments, const fs::path& log, const fs::path& logs_folder) {
    ProgramRun run(arguments, logs_folder, {"CHRONOVA_ERROR_LOG=" + log.string()});
    Outcome outcome;
    if (!run.Started()) {
        ADD_FAILURE() << "cannot start " << ChronovaProgram();
        return outcome;
    }
    const int status = run.Wait();
    outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    outcome.err = run.Err();
    return outcome;
}

class DataMessagesTest : public ::testing::Test {
protected:
    // Ship reports in the shapefile ships/ship_tracks, one an hour from 1 March 2008 01:00; the row at bad_row
    // holds the text bad instead of its date-time group.
    void WriteShips(int bad_row, const std::string& bad) {
        testing::FixtureLayer ships{
            "ship_tracks", wkbPoint, {{"DTG", OFTString, OFSTNone, 20}, {"SHIP", OFTString}}, {}};
        for (int row = 0; row < 5; ++row) {
            const std::string dtg = "01" + std::string(row < 9 ? "0" : "") + std::to_string(row + 1) + "00Z MAR 2008";
            ships.rows.push_back(testing::PointRow(row, row, {row == bad_row ? bad : dtg, std::string("Aurora")}));
        }
        fs::create_directories(data_ / "ships");
        testing::WriteShapefile(data_ / "ships", ships);
    }

    // Yearly counts in the GeoPackage table "counts" of years.gpkg, the third holding the year given.
    void WriteYears(int64_t third_year) {
        testing::FixtureLayer counts{"counts", wkbPoint, {{"YEAR", OFTInteger}, {"COUNT", OFTInteger}}, {}};
        for (const int64_t year : {int64_t{2001}, int64_t{2002}, third_year, int64_t{2004}}) {
            counts.rows.push_back(testing::PointRow(1.0, 2.0, {year, int64_t{7}}));
        }
        testing::WriteGeoPackage(data_ / "years.gpkg", {counts});
    }

    std::string WriteProject(const std::string& layer) {
        const fs::path path = data_ / "test.chronova.json";
        std::ofstream(path) << R"({ "chronova_project": 1, "layers": [ )" << layer
                            << R"( ], "export": { "size": [64, 48] } })";
        return path.string();
    }

    static std::string ShipsLayer() {
        return R"({ "name": "Ships", "kind": "feature", "source": { "workspace": "ships", "dataset": "ship_tracks" },
                    "time": { "field": "DTG" } })";
    }

    Outcome Run(const std::vector<std::string>& arguments) { return RunProgram(arguments, log_, logs_.Path()); }

    // Every file below the data folder with its contents.
    std::map<std::string, std::string> DataContents() const {
        std::map<std::string, std::string> files;
        for (const auto& entry : fs::recursive_directory_iterator(data_)) {
            files[fs::relative(entry.path(), data_).string()] =
                entry.is_regular_file() ? testing::ReadContents(entry.path()) : "<folder>";
        }
        return files;
    }

    testing::ScratchFolder folder_;
    testing::ScratchFolder logs_;
    const fs::path data_ = folder_ / "data";
    const fs::path log_ = logs_ / "error.log";
    const fs::path out_ = folder_ / "frames";

    void SetUp() override { fs::create_directories(data_); }
};

TEST_F(DataMessagesTest, ABadDateTimeGroupIsNamedWithItsFileFeatureAndField) {
    WriteShips(2, "010300Z MAR' 2008");
    const std::string project = WriteProject(ShipsLayer());
    const std::map<std::string, std::string> before = DataContents();
    const std::string expected = "chronova: " + (data_ / "ships" / "ship_tracks.dbf").string() +
                                 ": feature 2, field DTG: '010300Z MAR' 2008' is not a date-time group "
                                 "(DDHHMMZ MON YYYY)\n";
    for (const std::string command : {"info", "steps", "render", "animate"}) {
        std::vector<std::string> arguments{command, project};
        if (command == "steps") {
            arguments.insert(arguments.end(), {"--layer", "Ships"});
        } else if (command == "render") {
            arguments.insert(arguments.end(), {"--out", out_.string(), "--quiet"});
        } else if (command == "animate") {
            arguments.insert(arguments.end(), {"--out", (out_ / "ships.gif").string(), "--quiet"});
        }
        const Outcome outcome = Run(arguments);
        EXPECT_EQ(outcome.status, 1) << command;
        EXPECT_EQ(outcome.err, expected) << command;
        EXPECT_EQ(DataContents(), before) << command << " changed the data folder";
        EXPECT_TRUE(!fs::exists(out_) || fs::is_empty(out_)) << command << " left files in the output folder";
    }
}

TEST_F(DataMessagesTest, TheCallStackGoesToTheErrorLogAndWithVerboseToStderr) {
    WriteShips(4, "05:00 on 1 March");
    const std::string project = WriteProject(ShipsLayer());
    const std::string line = (data_ / "ships" / "ship_tracks.dbf").string() +
                             ": feature 4, field DTG: '05:00 on 1 March' is not a date-time group (DDHHMMZ MON YYYY)";

    Outcome outcome = Run({"info", project});
    EXPECT_EQ(outcome.err, "chronova: " + line + "\n");
    const std::string logged = testing::ReadContents(log_);
    EXPECT_NE(logged.find("chronova: " + line + "\n"), std::string::npos) << logged;
    EXPECT_NE(logged.find("\tRetrieveTimeInfo ArcObjects \n"), std::string::npos) << logged;
    EXPECT_NE(logged.find("Error Number \n\t13\nDescription\n\tType mismatch\n"), std::string::npos) << logged;

    // Before or after the command's name, --verbose adds the call stack under the line; the log grows by a record.
    for (const std::vector<std::string>& arguments : {std::vector<std::string>{"--verbose", "info", project},
                                                      std::vector<std::string>{"info", project, "--verbose"}}) {
        outcome = Run(arguments);
        EXPECT_EQ(outcome.status, 1);
        EXPECT_TRUE(outcome.err.starts_with("chronova: " + line + "\nlayer 'Ships' cannot be a time layer: \t"))
            << outcome.err;
        EXPECT_NE(outcome.err.find("\tRetrieveTimeInfo ArcObjects \n"), std::string::npos) << outcome.err;
        EXPECT_NE(outcome.err.find("Description\n\tType mismatch\n"), std::string::npos) << outcome.err;
        EXPECT_EQ(outcome.err.find('\r'), std::string::npos);
    }
    const std::string grown = testing::ReadContents(log_);
    EXPECT_TRUE(grown.starts_with(logged));
    EXPECT_GT(grown.size(), logged.size());
}

TEST_F(DataMessagesTest, AYearOutOfTheCalendarIsNamedInItsGeoPackageLayer) {
    WriteYears(20030);
    const std::string project = WriteProject(
        R"({ "name": "Counts", "kind": "feature", "source": { "workspace": "years.gpkg", "dataset": "counts" },
             "time": { "field": "YEAR", "kind": "year" } })");
    const std::map<std::string, std::string> before = DataContents();
    const Outcome outcome = Run({"info", project});
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.err, "chronova: " + (data_ / "years.gpkg").string() +
                               ", layer counts: feature 3, field YEAR: 20030 is not a year from 100 to 9999\n");
    EXPECT_EQ(DataContents(), before);
}

} // namespace
} // namespace chronova::cli
