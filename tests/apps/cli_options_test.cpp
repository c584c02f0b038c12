// The render and animate options that choose the frames and the outputs: --at, ranges with --unique, options
// that override the project, the frame cap, times that could be misread, earlier frames and the project's outputs.

#include "apps/chronova/cli.h"
#include "apps/chronova/export/mp4_writer.h"
#include "apps/chronova/frame_folder.h"
#include "apps/chronova/time_text.h"
#include "apps/run_command.h"

#include <gtest/gtest.h>

#include <QImage>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/locale.h"
#include "support/gdal_fixtures.h"
#include "support/scratch_folder.h"

namespace chronova::cli {
namespace {

namespace fs = std::filesystem;

class CliOptionsTest : public ::testing::Test {
protected:
    // Three points at x = 0, 10 and 20, reported at 00:00, 01:00 and 02:00 on 1 March 2008, drawn as red
    // squares on a 300 x 100 frame; extra keys go at the end of the project object.
    std::string WriteDotsProject(const std::string& extra = "",
                                 const std::string& export_settings = R"({ "size": [300, 100] })") {
        testing::FixtureLayer dots{"dots", wkbPoint, {{"WHEN", OFTString, OFSTNone, 20}}, {}};
        for (int i = 0; i < 3; ++i) {
            dots.rows.push_back(testing::PointRow(i * 10.0, 0.0, {"2008-03-01 0" + std::to_string(i) + ":00"}));
        }
        testing::WriteShapefile(folder_.Path(), dots);
        const fs::path path = folder_ / "dots.chronova.json";
        std::ofstream(path) << R"({
  "chronova_project": 1,
  "map": { "extent": [-5, -5, 25, 5], "background": "#ffffff" },
  "layers": [ { "name": "Dots", "kind": "feature", "source": { "workspace": ".", "dataset": "dots" },
                "symbology": { "color": "#ff0000", "size": 12, "marker": "square" },
                "time": { "field": "WHEN" } } ],
  "export": )" << export_settings
                            << extra << "\n}";
        return path.string();
    }

    // Which points a frame shows: point i is drawn in the i-th third of the frame, on the map's middle row (the
    // frame's furniture lies along its edges).
    static std::vector<int> PointsShown(const fs::path& file) {
        const QImage image(QString::fromStdString(file.string()));
        EXPECT_FALSE(image.isNull()) << file.string();
        std::vector<int> shown;
        for (int point = 0; point < 3; ++point) {
            bool red = false;
            for (int x = point * 100; x < point * 100 + 100 && !red; ++x) {
                for (int y = 35; y < 65 && !red; ++y) {
                    const QColor color = image.pixelColor(x, y);
                    red = color.red() > 200 && color.green() < 60 && color.blue() < 60;
                }
            }
            if (red) {
                shown.push_back(point);
            }
        }
        return shown;
    }

    // The points each frame of a folder shows, in frame order.
    static std::vector<std::vector<int>> Frames(const fs::path& folder) {
        std::vector<std::vector<int>> frames;
        for (const std::string& name : testing::FolderNames(folder)) {
            frames.push_back(PointsShown(folder / name));
        }
        return frames;
    }

    Result Render(const std::string& project, const fs::path& out, std::vector<std::string> more) {
        std::vector<std::string> args = {"render", project, "--out", out.string(), "--quiet"};
        args.insert(args.end(), more.begin(), more.end());
        return RunWith(args);
    }

    platform::ScopedLocale us_{"en-US"};
    testing::ScratchFolder folder_;
};

using Shown = std::vector<std::vector<int>>;

TEST_F(CliOptionsTest, AtDrawsOneFrameAtThatTime) {
    const std::string project = WriteDotsProject();
    const fs::path out = folder_ / "at";
    Result result = Render(project, out, {"--at", "2008-03-01 01:00"});
    ASSERT_EQ(result.status, kExitSuccess) << result.err;
    EXPECT_EQ(result.out, "1 frame written to " + out.string() + "\n");
    EXPECT_EQ(Frames(out), (Shown{{1}}));

    // Past the data's finish the axis follows the time; the map shows no step there.
    result = Render(project, out, {"--at", "2008-03-01 05:00"});
    ASSERT_EQ(result.status, kExitSuccess) << result.err;
    EXPECT_EQ(Frames(out), Shown(1));

    // On the step list, the step at or before the time; before the first step there is none.
    result = Render(project, out, {"--at", "2008-03-01 01:59", "--unique"});
    ASSERT_EQ(result.status, kExitSuccess) << result.err;
    EXPECT_EQ(Frames(out), (Shown{{1}}));
    const fs::path refused = folder_ / "refused";
    result = Render(project, refused, {"--at", "2008-02-28 00:00", "--unique"});
    EXPECT_EQ(result.status, kExitUsage);
    EXPECT_EQ(result.err, "chronova: --at '2008-02-28 00:00' is before the first step (2008-03-01 00:00)\n");
    result = Render(project, refused, {"--at", "2008-03-01 01:00", "--from", "2008-03-01 00:00"});
    EXPECT_EQ(result.status, kExitUsage);
    EXPECT_NE(result.err.find("--from excludes --at"), std::string::npos) << result.err;
    EXPECT_FALSE(fs::exists(refused));
}

TEST_F(CliOptionsTest, NoFramePastTheFinish) {
    const std::string project = WriteDotsProject();
    // A 2-minute interval on a 1-minute range: the slider keeps a position at 00:02, the frames stop at 00:00.
    const fs::path out = folder_ / "short";
    Result result = Render(project, out, {"--from", "2008-03-01 00:00", "--to", "2008-03-01 00:01", "--interval", "2"});
    ASSERT_EQ(result.status, kExitSuccess) << result.err;
    EXPECT_EQ(Frames(out), (Shown{{0}}));
    // An interval longer than the data's range: the start only.
    const fs::path month = folder_ / "month";
    result = Render(project, month, {"--interval", "1mon"});
    ASSERT_EQ(result.status, kExitSuccess) << result.err;
    EXPECT_EQ(Frames(month), (Shown{{0}}));
}

TEST_F(CliOptionsTest, UniqueStepsInsideTheRangeOnly) {
    const std::string project = WriteDotsProject();
    const fs::path out = folder_ / "unique";
    const Result result = Render(project, out, {"--unique", "--from", "2008-03-01 00:30", "--to", "2008-03-01 02:00"});
    ASSERT_EQ(result.status, kExitSuccess) << result.err;
    EXPECT_EQ(Frames(out), (Shown{{1}, {2}}));
    const Result empty =
        Render(project, folder_ / "none", {"--unique", "--from", "2008-03-01 00:10", "--to", "2008-03-01 00:50"});
    EXPECT_EQ(empty.status, kExitUsage);
    EXPECT_EQ(empty.err, "chronova: no step of the time layers lies between 2008-03-01 00:10 and 2008-03-01 00:50\n");
    EXPECT_FALSE(fs::exists(folder_ / "none"));
}

TEST_F(CliOptionsTest, CommandLineOptionsOverrideTheProjectsDisplay) {
    // A project on the step list, rendered by a 30-minute interval: the half hours show nothing.
    const std::string unique = WriteDotsProject(R"(, "display": { "type": "unique" })");
    const fs::path by_interval = folder_ / "by-interval";
    Result result = Render(unique, by_interval, {"--interval", "30"});
    ASSERT_EQ(result.status, kExitSuccess) << result.err;
    EXPECT_EQ(Frames(by_interval), (Shown{{0}, {}, {1}, {}, {2}}));

    // A project on a 20-minute interval, rendered by its steps.
    const std::string interval = WriteDotsProject(R"(, "time": { "interval": 20 })");
    const fs::path by_steps = folder_ / "by-steps";
    result = Render(interval, by_steps, {"--unique"});
    ASSERT_EQ(result.status, kExitSuccess) << result.err;
    EXPECT_EQ(Frames(by_steps), (Shown{{0}, {1}, {2}}));
}

TEST_F(CliOptionsTest, TheFrameCapRefusesALongRunBeforeWriting) {
    const std::string project = WriteDotsProject();
    const fs::path out = folder_ / "capped";
    Result result = Render(project, out, {"--interval", "1", "--max-frames", "100"});
    EXPECT_EQ(result.status, kExitUsage);
    EXPECT_EQ(result.err, "chronova: this run would write 121 frames, more than --max-frames 100 allows; narrow "
                          "--from/--to, widen --interval, or raise the cap with --max-frames 121\n");
    EXPECT_FALSE(fs::exists(out));
    result = RunWith({"animate", project, "--out", (folder_ / "capped.gif").string(), "--max-frames", "2"});
    EXPECT_EQ(result.status, kExitUsage);
    EXPECT_FALSE(fs::exists(folder_ / "capped.gif"));
    result = Render(project, out, {"--interval", "1", "--max-frames", "121"});
    ASSERT_EQ(result.status, kExitSuccess) << result.err;
    EXPECT_EQ(testing::FolderNames(out).size(), 121u);
}

// Numbers are read as written, in decimal: one past the type's range is refused rather than wrapped around, and
// a leading zero does not make a number octal.
TEST_F(CliOptionsTest, NumericOptionsAreCheckedBeforeTheyAreConverted) {
    const std::string project = WriteDotsProject();
    const fs::path gif = folder_ / "dots.gif";
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"--fps", "4294967297"}, "--fps: must be a whole number from 1 to 100, not '4294967297'"},
        {{"--fps", "0x10"}, "--fps: must be a whole number from 1 to 100, not '0x10'"},
        {{"--fps", "101"}, "--fps: must be a whole number from 1 to 100, not '101'"},
        {{"--max-frames", "99999999999999999999"},
         "--max-frames: must be a whole number from 1 to 2147483647, not '99999999999999999999'"},
        {{"--max-frames", "2147483648"}, "--max-frames: must be a whole number from 1 to 2147483647, not '2147483648'"},
        {{"--max-frames", "-1"}, "--max-frames: must be a whole number from 1 to 2147483647, not '-1'"},
        {{"--interval", "99999999999999999999min"}, "--interval must be"},
        {{"--interval", "2147483648"}, "--interval must be"},
        {{"--interval", "35791395h"}, "--interval must be"}, // past 2^31 - 1 minutes
        {{"--size", "4294967297x1"}, "--size must be WxH with sides from 1 to 16384"},
    };
    for (const auto& [options, message] : cases) {
        std::vector<std::string> args = {"animate", project, "--out", gif.string()};
        args.insert(args.end(), options.begin(), options.end());
        const Result result = RunWith(args);
        EXPECT_EQ(result.status, kExitUsage) << options[1];
        EXPECT_NE(result.err.find(message), std::string::npos) << result.err;
        EXPECT_FALSE(fs::exists(gif)) << options[1];
    }
    const Result decimal = Render(project, folder_ / "frames", {"--interval", "1", "--max-frames", "0100"});
    EXPECT_EQ(decimal.status, kExitUsage);
    EXPECT_NE(decimal.err.find("more than --max-frames 100 allows"), std::string::npos) << decimal.err;
}

TEST_F(CliOptionsTest, TimesThatCouldBeMisreadAreRefused) {
    const std::string project = WriteDotsProject();
    const fs::path out = folder_ / "times";
    const std::pair<std::vector<std::string>, std::string> refusals[] = {
        {{"--from", "08:00"}, "--from '08:00' has no date; write it as YYYY-MM-DD HH:MM, e.g. 2024-05-01 08:00"},
        {{"--to", "6:30 PM"}, "--to '6:30 PM' has no date; write it as YYYY-MM-DD HH:MM, e.g. 2024-05-01 18:30"},
        {{"--at", "01/05/2024"},
         "--at '01/05/2024' could be 2024-01-05 (month first) or 2024-05-01 (day first); write it as "
         "YYYY-MM-DD HH:MM, e.g. 2024-01-05 00:00"},
        {{"--from", "3/1/2008 6:00 AM"},
         "--from '3/1/2008 6:00 AM' could be 2008-03-01 (month first) or 2008-01-03 (day first); write it as "
         "YYYY-MM-DD HH:MM, e.g. 2008-03-01 00:00"},
    };
    for (const auto& [options, message] : refusals) {
        const Result result = Render(project, out, options);
        EXPECT_EQ(result.status, kExitUsage) << options[1];
        EXPECT_EQ(result.err, "chronova: " + message + "\n");
        EXPECT_FALSE(fs::exists(out)) << options[1];
    }
    // Forms that read one way only.
    for (const std::string text :
         {"2008-03-01 01:00", "2008-03-01T01:00", "010100Z MAR 2008", "3/13/2008 6:00 AM", "13/3/2008", "3/3/2008"}) {
        EXPECT_EQ(UnclearTimeMessage("--from", text), "") << text;
    }
    const Result dtg = Render(project, out, {"--from", "010100Z MAR 2008"});
    ASSERT_EQ(dtg.status, kExitSuccess) << dtg.err;
    EXPECT_EQ(Frames(out), (Shown{{1}, {2}}));
}

TEST_F(CliOptionsTest, EarlierFramesOfTheToolAreRemovedAfterASuccessfulRun) {
    const std::string project = WriteDotsProject();
    const fs::path out = folder_ / "frames";
    ASSERT_EQ(Render(project, out, {}).status, kExitSuccess);
    for (const char* other : {"frame_7.png", "frame_00009.png.bak", "notes.txt", "frame_000001.png"}) {
        std::ofstream(out / other) << "kept";
    }
    fs::create_directory(out / "frame_00010.png");
    const std::vector<std::string> before = testing::FolderNames(out);

    // A refused run leaves everything as it was.
    EXPECT_EQ(Render(project, out, {"--max-frames", "1"}).status, kExitUsage);
    EXPECT_EQ(testing::FolderNames(out), before);

    const Result one = Render(project, out, {"--at", "2008-03-01 02:00"});
    ASSERT_EQ(one.status, kExitSuccess) << one.err;
    EXPECT_EQ(one.out, "1 frame written to " + out.string() + " (removed 2 earlier frames)\n");
    EXPECT_EQ(testing::FolderNames(out),
              (std::vector<std::string>{"frame_00000.png", "frame_000001.png", "frame_00009.png.bak", "frame_00010.png",
                                        "frame_7.png", "notes.txt"}));
    EXPECT_EQ(PointsShown(out / "frame_00000.png"), std::vector<int>{2});
    EXPECT_EQ(RemoveStaleFrames(out, 0), 1);
}

TEST_F(CliOptionsTest, TheProjectsExportSettingsNameTheOutputsLeftOut) {
    const std::string bare = WriteDotsProject();
    const std::vector<std::string> before = testing::FolderNames(folder_.Path());
    Result result = RunWith({"render", bare, "--quiet"});
    EXPECT_EQ(result.status, kExitUsage);
    EXPECT_EQ(result.err, "chronova: render needs a folder for the frames: give --out DIR, or name \"out\" in the "
                          "project's \"export\"\n");
    result = RunWith({"animate", bare, "--quiet"});
    EXPECT_EQ(result.status, kExitUsage);
    EXPECT_EQ(result.err, "chronova: animate needs a file to write: give --out FILE.gif (or .mp4), or name \"gif\" "
                          "or \"mp4\" in the project's \"export\"\n");
    EXPECT_EQ(testing::FolderNames(folder_.Path()), before);

    const std::string named = WriteDotsProject(
        "", R"({ "size": [300, 100], "out": "made/frames", "gif": "made/dots.gif", "mp4": "made/dots.mp4" })");
    result = RunWith({"render", named, "--quiet"});
    ASSERT_EQ(result.status, kExitSuccess) << result.err;
    EXPECT_EQ(testing::FolderNames(folder_ / "made" / "frames").size(), 3u);

    result = RunWith({"animate", named, "--quiet"});
    if (exporting::FfmpegAvailable()) {
        ASSERT_EQ(result.status, kExitSuccess) << result.err;
        EXPECT_TRUE(fs::is_regular_file(folder_ / "made" / "dots.gif"));
        EXPECT_TRUE(fs::is_regular_file(folder_ / "made" / "dots.mp4"));
    } else {
        EXPECT_EQ(result.status, kExitRuntimeError);
        EXPECT_NE(result.err.find("MP4 needs ffmpeg"), std::string::npos) << result.err;
        EXPECT_FALSE(fs::exists(folder_ / "made" / "dots.gif")) << "nothing is written when one output cannot be";
    }
    // --out names the one file to write.
    result = RunWith({"animate", named, "--out", (folder_ / "only.gif").string(), "--quiet"});
    ASSERT_EQ(result.status, kExitSuccess) << result.err;
    EXPECT_EQ(result.out, "3 frames written to " + (folder_ / "only.gif").string() + "\n");
}

} // namespace
} // namespace chronova::cli
