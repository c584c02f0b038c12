#include "generator/partial_files.h"

#include <gtest/gtest.h>

#include <fstream>

#include <sys/wait.h>
#include <unistd.h>

#include "support/scratch_folder.h"

namespace chronova::sample_data {
namespace {

namespace fs = std::filesystem;
using testing::FolderNames;
using testing::ReadContents;
using testing::ScratchFolder;

void Write(const fs::path& file, const std::string& text) {
    std::ofstream(file, std::ios::binary) << text;
}

// The id of a process that has ended and been reaped.
pid_t EndedProcess() {
    const pid_t child = ::fork();
    if (child == 0) {
        ::_exit(0);
    }
    ::waitpid(child, nullptr, 0);
    return child;
}

TEST(PartialOutputTest, TheTargetAppearsOnlyWhenPublished) {
    ScratchFolder folder;
    {
        PartialOutput output(folder / "rain.tif");
        EXPECT_EQ(output.Path().extension(), ".tif");
        EXPECT_EQ(output.Path().parent_path(), folder.Path());
        Write(output.Path(), "half");
    }
    EXPECT_TRUE(FolderNames(folder.Path()).empty()) << "an unpublished output must go";

    Write(folder / "rain.tif", "old");
    {
        PartialOutput output(folder / "rain.tif");
        Write(output.Path(), "new");
        output.Publish();
    }
    EXPECT_EQ(FolderNames(folder.Path()), std::vector<std::string>{"rain.tif"});
    EXPECT_EQ(ReadContents(folder / "rain.tif"), "new");
}

TEST(PartialOutputTest, AFolderGivesWayToOneAnotherRunPublishedFirst) {
    ScratchFolder folder;
    fs::create_directory(folder / "ships");
    Write(folder / "ships" / "a.shp", "first");
    {
        PartialOutput output(folder / "ships");
        fs::create_directory(output.Path());
        Write(output.Path() / "a.shp", "second");
        output.Publish();
    }
    EXPECT_EQ(FolderNames(folder.Path()), std::vector<std::string>{"ships"});
    EXPECT_EQ(ReadContents(folder / "ships" / "a.shp"), "first");
}

TEST(PartialOutputTest, OnlyPartialsOfEndedProcessesAreRemoved) {
    ScratchFolder folder;
    const std::string ended = std::to_string(EndedProcess());
    const std::string running = std::to_string(::getpid());
    for (const std::string& name :
         {"storms.partial-" + ended + "-0.gpkg", "storms.partial-" + ended + "-0.gpkg-journal",
          "rain.partial-" + running + "-3.tif", std::string("notes.partial-x.txt"), std::string("buoys.csv")}) {
        Write(folder / name, "x");
    }
    fs::create_directory(folder / ("ships.partial-" + ended + "-1"));
    Write(folder / ("ships.partial-" + ended + "-1") / "ship_tracks.shp", "x");

    RemoveAbandonedPartials(folder.Path());
    EXPECT_EQ(FolderNames(folder.Path()),
              (std::vector<std::string>{"buoys.csv", "notes.partial-x.txt", "rain.partial-" + running + "-3.tif"}));
}

} // namespace
} // namespace chronova::sample_data
