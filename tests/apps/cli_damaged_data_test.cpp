// The command line on damaged copies of data: every command that reads the data fails with one message naming the
// file and GDAL's reason, leaves the data folder as it was and no temporary file behind.

#include "apps/chronova/cli.h"
#include "apps/run_command.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "platform/locale.h"
#include "support/gdal_fixtures.h"
#include "support/scratch_folder.h"

namespace chronova::cli {
namespace {

namespace fs = std::filesystem;

class CliDamagedDataTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directory(data_);
        testing::FixtureLayer ships{"ships", wkbPoint, {{"DTG", OFTString, OFSTNone, 20}}, {}};
        for (int i = 0; i < 300; ++i) {
            const std::string hour = (i % 24 < 10 ? "0" : "") + std::to_string(i % 24);
            ships.rows.push_back(testing::PointRow(i % 17, i % 13, {"01" + hour + "00Z MAR 2008"}));
        }
        testing::WriteShapefile(data_, ships);
        std::ofstream(project_) << R"({ "chronova_project": 1, "layers": [ { "name": "Ships", "kind": "feature",
            "source": { "workspace": "data", "dataset": "ships" }, "time": { "field": "DTG" } } ] })";
    }

    // Every file of the data folder with its bytes.
    std::map<std::string, std::string> DataFiles() const {
        std::map<std::string, std::string> files;
        for (const auto& entry : fs::directory_iterator(data_)) {
            files[entry.path().filename().string()] = testing::ReadContents(entry.path());
        }
        return files;
    }

    // Runs every command that reads the data; each must fail with one line that holds each of the texts.
    void ExpectEveryCommandFails(const std::vector<std::string>& texts) {
        const std::map<std::string, std::string> before = DataFiles();
        const fs::path out = folder_ / "out";
        fs::create_directory(out);
        const std::vector<std::vector<std::string>> commands{
            {"info", project_.string()},
            {"steps", project_.string(), "--layer", "Ships"},
            {"render", project_.string(), "--out", (out / "frames").string(), "--size", "64x48", "--quiet"},
            {"animate", project_.string(), "--out", (out / "ships.gif").string(), "--size", "64x48", "--quiet"}};
        for (const std::vector<std::string>& args : commands) {
            const Result result = RunWith(args);
            EXPECT_EQ(result.status, kExitRuntimeError) << args[0] << ": " << result.err;
            for (const std::string& text : texts) {
                EXPECT_NE(result.err.find(text), std::string::npos) << args[0] << ": " << result.err;
            }
            EXPECT_EQ(DataFiles(), before) << args[0];
            for (const auto& entry : fs::recursive_directory_iterator(out)) {
                EXPECT_TRUE(entry.is_directory()) << args[0] << " left " << entry.path();
            }
        }
    }

    platform::ScopedLocale us_{"en-US"};
    testing::ScratchFolder folder_;
    fs::path data_ = folder_ / "data";
    fs::path project_ = folder_ / "ships.chronova.json";
};

TEST_F(CliDamagedDataTest, AShapefileCutInHalfFailsEveryCommand) {
    ASSERT_EQ(RunWith({"steps", project_.string(), "--layer", "Ships"}).status, kExitSuccess);
    fs::resize_file(data_ / "ships.dbf", fs::file_size(data_ / "ships.dbf") / 2);
    ExpectEveryCommandFails({(data_ / "ships.dbf").string(), "failed on DBF file"});
}

TEST_F(CliDamagedDataTest, AShapefileWithoutItsTableNamesTheMissingFile) {
    fs::remove(data_ / "ships.dbf");
    ExpectEveryCommandFails({(data_ / "ships.dbf").string() + " is missing"});
}

} // namespace
} // namespace chronova::cli
