// The command line end to end: usage, project errors, reports checked against the registry, and frames whose
// pixels show each feature exactly at its step.

#include "apps/chronova/cli.h"
#include "apps/chronova/progress_bar.h"
#include "apps/run_command.h"

#include <gif_lib.h>
#include <gtest/gtest.h>

#include <QImage>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>

#include "generator/sample_data.h"
#include "platform/conversions.h"
#include "platform/locale.h"
#include "platform/ui/event_loop.h"
#include "project/project_file.h"
#include "project/project_session.h"
#include "records/layer_data.h"
#include "registry/chronova_data.h"
#include "slider/frm_slider.h"
#include "support/gdal_fixtures.h"
#include "support/golden_file.h"
#include "support/scratch_folder.h"

namespace chronova::cli {
namespace {

namespace fs = std::filesystem;

class CliTest : public ::testing::Test {
protected:
    // The sample data, generated once for the suite.
    static void SetUpTestSuite() {
        demo_folder_ = new testing::ScratchFolder();
        sample_data::GenerateSampleData(demo_folder_->Path());
    }
    static void TearDownTestSuite() {
        delete demo_folder_;
        demo_folder_ = nullptr;
    }
    static std::string DemoProject() { return (demo_folder_->Path() / sample_data::kDemoProjectFileName).string(); }

    // Three points in a row, reported at 00:00, 01:00 and 02:00 on 1 March 2008 (date-time groups), drawn as
    // large red squares.
    std::string WriteDotsProject() {
        testing::FixtureLayer dots{"dots", wkbPoint, {{"ID", OFTInteger}, {"WHEN", OFTString, OFSTNone, 20}}, {}};
        for (int i = 0; i < 3; ++i) {
            const std::string dtg = "010" + std::to_string(i) + "00Z MAR 2008";
            dots.rows.push_back(testing::PointRow(i * 10.0, 0.0, {int64_t{i + 1}, dtg}));
        }
        testing::WriteShapefile(folder_.Path(), dots);
        return WriteProject(R"({
  "chronova_project": 1,
  "map": { "extent": [-5, -5, 25, 5], "background": "#ffffff" },
  "layers": [ { "name": "Dots", "kind": "feature", "source": { "workspace": ".", "dataset": "dots" },
                "symbology": { "color": "#ff0000", "size": 12, "marker": "square" },
                "time": { "field": "WHEN" } } ],
  "export": { "size": [300, 100], "fps": 5 },
  "layout": false
})");
    }

    std::string WriteProject(const std::string& text, const std::string& name = "test.chronova.json") {
        const fs::path path = folder_ / name;
        std::ofstream(path) << text;
        return path.string();
    }

    static bool IsRed(const QImage& image, int x, int y) {
        const QColor color = image.pixelColor(x, y);
        return color.red() > 200 && color.green() < 60 && color.blue() < 60;
    }

    static int GifFrameCount(const fs::path& file) {
        int error = 0;
        GifFileType* gif = DGifOpenFileName(file.c_str(), &error);
        if (gif == nullptr) {
            return -1;
        }
        const int count = DGifSlurp(gif) == GIF_OK ? gif->ImageCount : -1;
        DGifCloseFile(gif, &error);
        return count;
    }

    platform::ScopedLocale us_{"en-US"};
    testing::ScratchFolder folder_;
    static testing::ScratchFolder* demo_folder_;
};

testing::ScratchFolder* CliTest::demo_folder_ = nullptr;

TEST_F(CliTest, HelpVersionAndEveryCommandsHelp) {
    const Result version = RunWith({"--version"});
    EXPECT_EQ(version.status, kExitSuccess);
    EXPECT_EQ(version.out.rfind("chronova ", 0), 0u);
    for (const auto& args : {std::vector<std::string>{}, {"--help"}}) {
        const Result help = RunWith(args);
        EXPECT_EQ(help.status, kExitSuccess);
        EXPECT_NE(help.out.find("Usage: chronova"), std::string::npos);
    }
    for (const std::string command : {"info", "steps", "render", "animate", "demo"}) {
        const Result help = RunWith({command, "--help"});
        EXPECT_EQ(help.status, kExitSuccess) << command;
        EXPECT_NE(help.out.find("Usage: chronova " + command), std::string::npos) << help.out;
    }
}

TEST_F(CliTest, BadOptionsAreUsageErrorsThatWriteNothing) {
    const std::string project = WriteDotsProject();
    const std::string out = (folder_ / "out").string();
    const std::vector<std::vector<std::string>> cases = {
        {"--frobnicate"},
        {"render", "--out", out},
        {"render", project},
        {"render", project, "--out", out, "--size", "0x10"},
        {"render", project, "--out", out, "--size", "big"},
        // Sides past the int range must not wrap around to small ones.
        {"render", project, "--out", out, "--size", "4294967297x1"},
        {"render", project, "--out", out, "--size", "100x4294967396"},
        {"render", project, "--out", out, "--size", "16385x10"},
        {"render", project, "--out", out, "--size", "-5x10"},
        {"render", project, "--out", out, "--size", "100x"},
        {"render", project, "--out", out, "--size", "100x10px"},
        {"render", project, "--out", out, "--from", "yesterday-ish"},
        {"render", project, "--out", out, "--from", "2008-03-02 00:00", "--to", "2008-03-01 00:00"},
        {"render", project, "--out", out, "--interval", "0"},
        {"render", project, "--out", out, "--interval", "5", "--unique"},
        {"animate", project, "--out", out + ".avi"},
        {"animate", project, "--out", out + ".gif", "--fps", "0"},
        {"steps", project},
    };
    for (const auto& args : cases) {
        const Result result = RunWith(args);
        EXPECT_EQ(result.status, kExitUsage) << args.back() << ": " << result.err;
        EXPECT_FALSE(result.err.empty());
        EXPECT_FALSE(fs::exists(out)) << args.back();
    }
    const Result no_layer = RunWith({"steps", project, "--layer", "Nope"});
    EXPECT_EQ(no_layer.status, kExitUsage);
    EXPECT_NE(no_layer.err.find("Nope"), std::string::npos);
}

TEST_F(CliTest, BadProjectFilesNameTheFileAndThePlace) {
    const std::string out = (folder_ / "frames").string();
    const std::pair<const char*, const char*> cases[] = {
        {"{ not json", "line 1, column 4"},
        {R"({"chronova_project": 1, "layers": [{"name": "A", "kind": "teapot"}]})", "/layers/0/kind"},
        {R"({"chronova_project": 1, "layers": [{"name": "A", "kind": "raster", "source": {"path": 5}}]})",
         "/layers/0/source/path"},
        {R"({"chronova_project": 1, "layers": [], "export": {"fps": 0}})", "/export/fps"},
    };
    for (const auto& [text, place] : cases) {
        const std::string project = WriteProject(text);
        for (const auto& args : {std::vector<std::string>{"info", project}, {"render", project, "--out", out}}) {
            const Result result = RunWith(args);
            EXPECT_EQ(result.status, kExitUsage) << text;
            EXPECT_NE(result.err.find(project), std::string::npos) << result.err;
            EXPECT_NE(result.err.find(place), std::string::npos) << result.err;
        }
        EXPECT_FALSE(fs::exists(out));
    }
}

TEST_F(CliTest, MissingDataIsARuntimeError) {
    const std::string project = WriteProject(R"({"chronova_project": 1, "layers": [
        {"name": "Gone", "kind": "raster", "source": {"path": "no-such.tif"}}]})");
    const Result result = RunWith({"info", project});
    EXPECT_EQ(result.status, kExitRuntimeError);
    EXPECT_NE(result.err.find("no-such.tif"), std::string::npos) << result.err;
}

TEST_F(CliTest, InfoAndStepsReportWhatTheRegistryHolds) {
    const Result info = RunWith({"info", DemoProject(), "--json"});
    ASSERT_EQ(info.status, kExitSuccess) << info.err;
    const nlohmann::json report = nlohmann::json::parse(info.out);
    const Result steps = RunWith({"steps", DemoProject(), "--layer", "Ship tracks", "--json"});
    ASSERT_EQ(steps.status, kExitSuccess) << steps.err;
    const nlohmann::json ship_steps = nlohmann::json::parse(steps.out);

    // The same project opened here, read directly from the registry and the slider.
    platform::ui::EventLoop loop;
    project::ProjectSession session(project::LoadProject(DemoProject()), loop);
    size_t time_layers = 0;
    for (const nlohmann::json& layer : report["layers"]) {
        const project::SessionLayer* entry = session.FindLayer(layer["name"].get<std::string>());
        ASSERT_NE(entry, nullptr) << layer["name"];
        ASSERT_EQ(layer["time_layer"].get<bool>(), entry->Record != nullptr) << layer["name"];
        if (entry->Record) {
            ++time_layers;
            EXPECT_EQ(layer["steps"], entry->Record->TimeStepsCount());
            EXPECT_EQ(layer["time_field_type"], entry->Record->TimeFieldType);
            EXPECT_EQ(layer["interval_minutes"], entry->Record->Interval);
        }
    }
    EXPECT_GE(time_layers, 7u);
    const frmSlider& slider = *session.Registry().Slider();
    EXPECT_EQ(report["slider"]["max"], slider.Slider1.Max());
    EXPECT_EQ(report["slider"]["start_label"], slider.lblTime[0].Caption());
    EXPECT_EQ(report["slider"]["finish_label"], slider.lblTime[1].Caption());
    EXPECT_EQ(report["slider"]["interval_label"], slider.Label1[2].Caption());

    const auto& record = session.FindLayer("Ship tracks")->Record;
    ASSERT_EQ(ship_steps["steps"].size(), static_cast<size_t>(record->TimeStepsCount()));
    EXPECT_EQ(ship_steps["steps"][0]["time"], "2008-03-01 00:00");
    EXPECT_EQ(ship_steps["steps"][0]["value"], platform::CStr(record->TimeSteps(1)));
}

// The golden file of a time layer's steps: its name in lower case with a '_' for each run of other characters.
std::string StepsGoldenName(const std::string& layer) {
    std::string name = "demo_steps_";
    for (const char c : layer) {
        if (std::isalnum(static_cast<unsigned char>(c)) != 0) {
            name += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        } else if (name.back() != '_') {
            name += '_';
        }
    }
    return name + ".json";
}

// The whole reports of the demo project, kept in tests/apps/golden so that any change to them shows in review.
// Two things vary between runs and are replaced: the scratch folder's path, and the times of the web map layer,
// whose steps lie round the present hour (each of its times, in either spelling, becomes <present hour>).
TEST_F(CliTest, InfoAndStepsOfTheDemoMatchTheGoldenFiles) {
    const fs::path golden = CHRONOVA_GOLDEN_DIR;
    const auto normalised = [](std::string text, const std::vector<std::string>& clock_times) {
        text = testing::ReplaceAll(text, demo_folder_->Path().string(), "<demo>");
        for (const std::string& time : clock_times) {
            text = testing::ReplaceAll(text, '"' + time + '"', "\"<present hour>\"");
        }
        return text;
    };
    const Result info = RunWith({"info", DemoProject(), "--json"});
    ASSERT_EQ(info.status, kExitSuccess) << info.err;
    const nlohmann::json report = nlohmann::json::parse(info.out);
    std::vector<std::string> info_clock_times;
    for (const nlohmann::json& layer : report["layers"]) {
        if (layer["kind"] == "wms" && layer["time_layer"].get<bool>()) {
            info_clock_times.push_back(layer["start"].get<std::string>());
            info_clock_times.push_back(layer["finish"].get<std::string>());
        }
    }
    EXPECT_TRUE(testing::MatchesGoldenFile(normalised(info.out, info_clock_times), golden / "demo_info.json"));

    std::set<std::string> written;
    for (const nlohmann::json& layer : report["layers"]) {
        if (!layer["time_layer"].get<bool>()) {
            continue;
        }
        const std::string name = layer["name"].get<std::string>();
        const Result steps = RunWith({"steps", DemoProject(), "--layer", name, "--json"});
        ASSERT_EQ(steps.status, kExitSuccess) << name << ": " << steps.err;
        std::vector<std::string> clock_times;
        if (layer["kind"] == "wms") {
            const nlohmann::json listed = nlohmann::json::parse(steps.out);
            for (const nlohmann::json& step : listed["steps"]) {
                clock_times.push_back(step["time"].get<std::string>());
                clock_times.push_back(step["value"].get<std::string>());
            }
        }
        written.insert(StepsGoldenName(name));
        EXPECT_TRUE(testing::MatchesGoldenFile(normalised(steps.out, clock_times), golden / StepsGoldenName(name)))
            << name;
    }
    // A steps file of a layer the demo no longer has is stale: an update removes it, a comparison names it.
    ASSERT_TRUE(fs::is_directory(golden)) << golden.string();
    for (const std::string& file : testing::FolderNames(golden)) {
        if (file.rfind("demo_steps_", 0) == 0 && written.count(file) == 0) {
            if (testing::UpdatingGoldenFiles()) {
                fs::remove(golden / file);
            } else {
                ADD_FAILURE() << "stale golden file " << (golden / file).string()
                              << ": the demo has no such time layer";
            }
        }
    }
}

TEST_F(CliTest, EachFrameShowsTheFeaturesOfItsStepOnly) {
    const std::string project = WriteDotsProject();
    const fs::path out = folder_ / "frames";
    const Result result = RunWith({"render", project, "--out", out.string(), "--quiet"});
    ASSERT_EQ(result.status, kExitSuccess) << result.err;
    EXPECT_NE(result.out.find("3 frames"), std::string::npos) << result.out;

    // Point i sits at x = 10 i in an extent from -5 to 25 drawn 300 pixels wide: pixel x = 50 + 100 i.
    for (int frame = 0; frame < 3; ++frame) {
        char name[32];
        std::snprintf(name, sizeof name, "frame_%05d.png", frame);
        const QImage image((out / name).string().c_str());
        ASSERT_FALSE(image.isNull()) << name;
        EXPECT_EQ(image.size(), QSize(300, 100));
        for (int point = 0; point < 3; ++point) {
            EXPECT_EQ(IsRed(image, 50 + 100 * point, 50), point == frame) << name << " point " << point;
        }
    }
    EXPECT_FALSE(fs::exists(out / "frame_00003.png"));
}

TEST_F(CliTest, AxisOptionsChooseTheFrames) {
    const std::string project = WriteDotsProject();
    const fs::path out = folder_ / "half-hours";
    const Result result = RunWith({"render", project, "--out", out.string(), "--interval", "30", "--from",
                                   "2008-03-01 01:00", "--size", "150x50", "--quiet"});
    ASSERT_EQ(result.status, kExitSuccess) << result.err;
    // 01:00, 01:30 and 02:00; the half hour shows nothing.
    EXPECT_EQ(std::distance(fs::directory_iterator(out), fs::directory_iterator()), 3);
    const QImage middle((out / "frame_00001.png").string().c_str());
    EXPECT_EQ(middle.size(), QSize(150, 50));
    for (int x = 0; x < 150; ++x) {
        EXPECT_FALSE(IsRed(middle, x, 25)) << x;
    }
}

TEST_F(CliTest, IntervalTextsChooseTheStepAndBadOnesShowTheAcceptedForms) {
    const std::string project = WriteDotsProject();
    // 01 00:00 to 01 02:00: "1h" gives three frames and "2h" two; a month is longer than the range, so only its
    // start is drawn (the slider keeps a position past the finish, which no frame shows).
    const std::pair<const char*, int> counts[] = {{"1h", 3}, {"60", 3}, {"2h", 2}, {"120min", 2}, {"1mon", 1}};
    for (const auto& [interval, frames] : counts) {
        const fs::path out = folder_ / (std::string("by-") + interval);
        const Result result =
            RunWith({"render", project, "--out", out.string(), "--interval", interval, "--size", "30x10", "--quiet"});
        ASSERT_EQ(result.status, kExitSuccess) << interval << ": " << result.err;
        EXPECT_EQ(std::distance(fs::directory_iterator(out), fs::directory_iterator()), frames) << interval;
    }
    for (const char* bad : {"3 weeks", "1m", "2.5h", "h"}) {
        const fs::path out = folder_ / "bad";
        const Result result = RunWith({"render", project, "--out", out.string(), "--interval", bad});
        EXPECT_EQ(result.status, kExitUsage) << bad;
        EXPECT_NE(result.err.find("15min, 2h, 1d, 1mon, 1y"), std::string::npos) << result.err;
        EXPECT_NE(result.err.find(bad), std::string::npos) << result.err;
        EXPECT_FALSE(fs::exists(out));
    }
}

TEST_F(CliTest, FixesAtArbitrarySecondsShowInTheirWindowInTheDisplayZone) {
    // Two loggers write the same minute differently: Z and +02:00; each fix lies inside one minute.
    testing::FixtureLayer fixes{"fixes", wkbPoint, {{"TS", OFTString}}, {}};
    fixes.rows.push_back(testing::PointRow(0.0, 0.0, {std::string("2024-05-01T06:00:37Z")}));
    fixes.rows.push_back(testing::PointRow(10.0, 0.0, {std::string("2024-05-01T08:01:12+02:00")}));
    testing::WriteGeoPackage(folder_ / "fixes.gpkg", {fixes});
    const std::string project = WriteProject(R"({
  "chronova_project": 1,
  "map": { "extent": [-5, -5, 15, 5] },
  "layers": [ { "name": "Fixes", "kind": "feature", "source": { "workspace": "fixes.gpkg", "dataset": "fixes" },
                "symbology": { "color": "#ff0000", "size": 12, "marker": "square" },
                "time": { "field": "TS", "window": "interval" } } ],
  "display": { "time_zone": "Europe/Berlin" },
  "layout": false
})");
    const Result info = RunWith({"info", project});
    ASSERT_EQ(info.status, kExitSuccess) << info.err;
    EXPECT_NE(info.out.find("2 steps from 2024-05-01 08:00 to 2024-05-01 08:01, interval 1 min, window interval"),
              std::string::npos)
        << info.out;
    EXPECT_NE(info.out.find("start   5/1/2024 8:00:00 AM CEST"), std::string::npos) << info.out;

    const fs::path out = folder_ / "frames";
    const Result render = RunWith({"render", project, "--out", out.string(), "--from", "2024-05-01T06:00Z", "--to",
                                   "2024-05-01T06:02Z", "--interval", "1", "--size", "200x100", "--quiet"});
    ASSERT_EQ(render.status, kExitSuccess) << render.err;
    ASSERT_GE(std::distance(fs::directory_iterator(out), fs::directory_iterator()), 3) << "08:00, 08:01, 08:02 CEST";
    const auto red_at = [&](int frame, int x) {
        const QImage image((out / ("frame_0000" + std::to_string(frame) + ".png")).string().c_str());
        return IsRed(image, x, 50);
    };
    EXPECT_TRUE(red_at(0, 50) && !red_at(0, 150)) << "06:00:37Z in the 08:00 frame";
    EXPECT_TRUE(!red_at(1, 50) && red_at(1, 150)) << "08:01:12+02:00 in the 08:01 frame";
    EXPECT_FALSE(red_at(2, 50) || red_at(2, 150));
}

TEST_F(CliTest, AnimateWritesOneGifFramePerPosition) {
    const std::string project = WriteDotsProject();
    const fs::path gif = folder_ / "dots.gif";
    const Result result = RunWith({"animate", project, "--out", gif.string(), "--quiet"});
    ASSERT_EQ(result.status, kExitSuccess) << result.err;
    EXPECT_EQ(GifFrameCount(gif), 3);
}

TEST_F(CliTest, TheDemoRendersEveryPositionOfTheSampleData) {
    const fs::path out = folder_ / "demo";
    const Result result = RunWith({"demo", "--out", out.string(), "--quiet"});
    ASSERT_EQ(result.status, kExitSuccess) << result.err;
    const Result info = RunWith({"info", (out / "data" / sample_data::kDemoProjectFileName).string(), "--json"});
    const int positions = nlohmann::json::parse(info.out)["slider"]["positions"];
    EXPECT_EQ(std::distance(fs::directory_iterator(out / "frames"), fs::directory_iterator()), positions);
    EXPECT_EQ(GifFrameCount(out / "demo.gif"), positions);
    EXPECT_NE(result.out.find((out / "demo.gif").string()), std::string::npos);
}

TEST(ProgressBarTest, DrawsInPlaceOnlyWhenEnabled) {
    std::ostringstream shown;
    {
        ProgressBar bar(shown, true, "Rendering", 4);
        EXPECT_EQ(bar.Line(0), "Rendering [..............................] 0/4 (0%)");
        EXPECT_EQ(bar.Line(3), "Rendering [######################........] 3/4 (75%)");
        EXPECT_EQ(bar.Line(9), bar.Line(4)); // clamped
        bar.Update(1);
        bar.Update(4); // the end is always drawn
    }
    EXPECT_EQ(shown.str(), "\r" + ProgressBar(shown, false, "Rendering", 4).Line(1) + "\r" +
                               ProgressBar(shown, false, "Rendering", 4).Line(4) + "\n");

    std::ostringstream hidden;
    {
        ProgressBar bar(hidden, false, "Rendering", 4);
        bar.Update(4);
    }
    EXPECT_EQ(hidden.str(), "");
}

} // namespace
} // namespace chronova::cli
