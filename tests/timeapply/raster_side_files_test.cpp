#include "timeapply/raster_side_files.h"

#include <gtest/gtest.h>

#include <fstream>

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
    const auto steps = ReadRasterStepList(path.string());
    ASSERT_TRUE(steps);
    EXPECT_EQ(*steps, (std::vector<std::string>{"011200Z MAR 2008", "3/1/2008 6:00 PM", "3/2/2008"}));
}

TEST(RasterStepListTest, MissingOrBrokenFilesGiveNothingAndEmptyListsGiveNoSteps) {
    ScratchFolder folder;
    EXPECT_FALSE(ReadRasterStepList((folder.Path() / "none.xml").string()));
    Write(folder.Path() / "broken.xml", "<steps><timestep>1/1/2008</steps>");
    EXPECT_FALSE(ReadRasterStepList((folder.Path() / "broken.xml").string()));
    Write(folder.Path() / "empty.xml", "<steps><TimeStep>1/1/2008</TimeStep></steps>");
    const auto steps = ReadRasterStepList((folder.Path() / "empty.xml").string());
    ASSERT_TRUE(steps);
    EXPECT_TRUE(steps->empty());
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
