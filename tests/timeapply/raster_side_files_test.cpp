#include "timeapply/raster_side_files.h"

#include <gtest/gtest.h>

#include <fstream>

#include "datetime/mod_date_time.h"
#include "platform/automation_error.h"
#include "support/scratch_folder.h"

namespace chronova {
namespace {

using testing::ReadContents;
using testing::ScratchFolder;

void Write(const std::filesystem::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

TEST(RasterStepListTest, TakesEveryTimestepElementInDocumentOrder) {
    ScratchFolder folder;
    const auto path = folder.Path() / "rain.xml";
    Write(path, "<?xml version=\"1.0\"?><steps><group><timestep>011200Z MAR 2008</timestep></group>"
                "<other/><timestep>3/1/2008 6:00 PM</timestep><x><y><timestep>3/2/2008</timestep></y></x></steps>");
    const auto list = ReadRasterStepList(path.string());
    ASSERT_TRUE(list);
    EXPECT_EQ(list->Problem, "");
    EXPECT_EQ(list->Steps, (std::vector<std::string>{"011200Z MAR 2008", "3/1/2008 6:00 PM", "3/2/2008"}));
    EXPECT_FALSE(ReadRasterStepList((folder.Path() / "none.xml").string())) << "no file, no list";
}

// Every list that cannot time bands is refused in one line naming the file, the element and the value, and
// gives no step at all: a band time is never made up from what could be read.
TEST(RasterStepListTest, RefusesListsThatCannotTimeBandsNamingTheFileElementAndValue) {
    const struct {
        const char* xml;
        std::vector<std::string> named;
    } cases[] = {
        {"", {"the step list is empty"}},
        {" \r\n\t", {"the step list is empty"}},
        {"<steps><timestep>1/1/2008</steps>", {"not well-formed XML at line 1", "1/1/2008</steps"}},
        {"<steps>\n<timestep>1/1/2008</timestep>\n<timestep>2/1/2008", {"not well-formed XML at line 3"}},
        {"{\"time\": {}}", {"not well-formed XML at line 1", "'{\"time\": {}}'"}},
        {"<timesteps/>", {"no <timestep> element", "<timesteps>"}},
        {"<steps><TimeStep>1/1/2008</TimeStep></steps>", {"no <timestep> element", "<steps>"}},
        {"<steps>\n<timestep>011200Z MAR 2008</timestep>\n\n<timestep band=\"2\">soon</timestep></steps>",
         {"timestep 2 (line 4) 'soon' is not a date or a date-time group"}},
        {"<steps><timestep>011200Z MAR 2008</timestep><timestep></timestep></steps>", {"timestep 2", "''"}},
        {"<steps><timestep>010300Z MAR' 2008</timestep></steps>", {"timestep 1", "'010300Z MAR' 2008'"}},
        {"<steps><timestep>1/1/9999</timestep></steps>", {"timestep 1", "'1/1/9999'"}},
        {"<steps><timestep>bad\nstep</timestep></steps>", {"'bad step'"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.xml);
        const RasterStepList list = ParseRasterStepList(c.xml, "/data/rain.xml");
        EXPECT_TRUE(list.Steps.empty());
        EXPECT_EQ(list.Problem.rfind("/data/rain.xml: ", 0), 0u) << list.Problem;
        EXPECT_EQ(list.Problem.find('\n'), std::string::npos) << list.Problem;
        for (const std::string& part : c.named) {
            EXPECT_NE(list.Problem.find(part), std::string::npos) << list.Problem;
        }
    }
}

TEST(RasterStepListTest, AListThatCannotBeReadIsRefusedNotTakenForMissing) {
    ScratchFolder folder;
    const auto path = folder.Path() / "rain.xml";
    std::filesystem::create_directory(path); // a folder of that name cannot be read as a file
    const auto list = ReadRasterStepList(path.string());
    ASSERT_TRUE(list);
    EXPECT_TRUE(list->Steps.empty());
    EXPECT_EQ(list->Problem.rfind(path.string() + ": the step list cannot be read", 0), 0u) << list->Problem;
}

TEST(RasterStepListTest, StepTimesAreDateTimeGroupsOrDatesWithinTheMinuteRange) {
    EXPECT_EQ(StepTextMinutes("020000Z MAR 2008"), modDateTime::PartsToMinutes(2008, 3, 2, 0, 0));
    EXPECT_EQ(StepTextMinutes("3/2/2008 1:30 AM"), modDateTime::PartsToMinutes(2008, 3, 2, 1, 30));
    EXPECT_FALSE(StepTextMinutes(""));
    EXPECT_FALSE(StepTextMinutes("tomorrow"));
    EXPECT_FALSE(StepTextMinutes("Z 2008"));
    EXPECT_FALSE(StepTextMinutes("1/1/9999")) << "past the last minute count";
}

TEST(RasterSettingsTest, WritesThreeLinesInThePrintFormAndReadsThemBack) {
    ScratchFolder folder;
    const auto path = folder.Path() / "rain.ini";
    WriteRasterSettings(path.string(), {56813760, 6, "h"});
    EXPECT_EQ(ReadContents(path), " 56813760 \r\n 6 \r\nh\r\n");
    WriteRasterSettings(path.string(), {-15, 0, "n"});
    EXPECT_EQ(ReadContents(path), "-15 \r\n 0 \r\nn\r\n");
    const auto settings = ReadRasterSettings(path.string());
    ASSERT_TRUE(settings);
    EXPECT_EQ(settings->StartTime, -15);
    EXPECT_EQ(settings->Interval, 0);
    EXPECT_EQ(settings->IntervalUnits, "n");
}

TEST(RasterSettingsTest, ReadsTolerantlyAndRejectsShortFiles) {
    ScratchFolder folder;
    const auto path = folder.Path() / "hand.ini";
    Write(path, "  120  minutes\n2.6\nd");
    const auto settings = ReadRasterSettings(path.string());
    ASSERT_TRUE(settings);
    EXPECT_EQ(settings->StartTime, 120);
    EXPECT_EQ(settings->Interval, 3);
    EXPECT_EQ(settings->IntervalUnits, "d");
    Write(path, "1\r\n2\r\n");
    EXPECT_FALSE(ReadRasterSettings(path.string()));
    EXPECT_FALSE(ReadRasterSettings((folder.Path() / "missing.ini").string()));
}

TEST(RasterSettingsTest, AFailedWriteRaisesAndLeavesNoFile) {
    ScratchFolder folder;
    const auto path = folder.Path() / "no-such-folder" / "rain.ini";
    EXPECT_THROW(WriteRasterSettings(path.string(), {1, 2, "h"}), platform::AutomationError);
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(RasterSettingsTest, InTheCacheModeWritesGoToTheCacheAndReadsPreferTheDataFolder) {
    ScratchFolder folder;
    const testing::ScopedEnvironment cache("CHRONOVA_SIDE_FILE_CACHE", (folder.Path() / "cache").string());
    const std::string beside = (folder.Path() / "rain.ini").string();
    {
        const SideFilesInCache to_cache;
        WriteRasterSettings(beside, RasterSettings{100, 60, "n"});
    }
    EXPECT_EQ(SideFilesGoTo(), SideFileFolder::BesideData);
    EXPECT_FALSE(std::filesystem::exists(beside));
    EXPECT_EQ(ReadContents(CachedSideFile(beside)), " 100 \r\n 60 \r\nn\r\n");
    ASSERT_TRUE(ReadRasterSettings(beside));
    EXPECT_EQ(ReadRasterSettings(beside)->StartTime, 100);
    // The same name in another folder is another file.
    EXPECT_NE(CachedSideFile((folder.Path() / "other" / "rain.ini").string()), CachedSideFile(beside));

    WriteRasterSettings(beside, RasterSettings{200, 1, "h"});
    EXPECT_EQ(ReadRasterSettings(beside)->StartTime, 200);
    EXPECT_EQ(ReadRasterSettings(CachedSideFile(beside).string())->StartTime, 100);
}

} // namespace
} // namespace chronova
