#include "platform/temporary_files.h"

#include <chrono>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "platform/atomic_file.h"
#include "support/scratch_folder.h"

namespace chronova::platform {
namespace {

namespace fs = std::filesystem;

using testing::FolderNames;

// The id of a process that has ended: a child that exits at once, waited for.
pid_t EndedProcess() {
    const pid_t child = ::fork();
    if (child == 0) {
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return child;
}

std::string Id(pid_t pid) {
    return std::to_string(pid);
}

void Touch(const fs::path& file) {
    std::ofstream(file) << "partial";
}

TEST(TemporaryFiles, NamesTellTheirWriterAndOnlyOursAreRead) {
    const fs::path first = TemporaryPathFor("/out/storm.gif");
    const fs::path second = TemporaryPathFor("/out/storm.gif");
    EXPECT_NE(first, second);
    EXPECT_EQ(first.parent_path(), "/out");
    EXPECT_EQ(WriterOfTemporaryFile(first.filename().string()), ::getpid());

    EXPECT_EQ(WriterOfTemporaryFile("rain.ini.tmp-4242-0"), 4242);
    EXPECT_EQ(WriterOfTemporaryFile("rain.ini.tmp-4242-17-801234"), 4242) << "the form earlier versions wrote";
    EXPECT_EQ(WriterOfTemporaryFile("a.tmp-report.gif.tmp-77-3"), 77) << "the last marker counts";
    for (const char* foreign : {"storm.gif", "storm.gif.tmp", "storm.gif.tmp-", "storm.gif.tmp-12", "x.tmp-abc-1",
                                "x.tmp-012-1", "x.tmp-0-1", ".tmp-5-1", "x.tmp-5-", "x.tmp-5-1-2-3", "x.tmp-5-1x",
                                "x.tmp--5-1", "x.tmp-99999999999-1", "x.tmp-5-1.png"}) {
        EXPECT_EQ(WriterOfTemporaryFile(foreign), std::nullopt) << foreign;
    }
}

TEST(TemporaryFiles, TheWriterHasEndedWhenItsIdIsFreeOrTakenOverLater) {
    testing::ScratchFolder folder;
    const fs::path file = folder / "f.tmp-1-0";
    Touch(file);
    EXPECT_TRUE(WriterHasEnded(EndedProcess(), file));
    EXPECT_FALSE(WriterHasEnded(::getpid(), file)) << "this process wrote it";
    EXPECT_FALSE(WriterHasEnded(0, file));
    EXPECT_FALSE(WriterHasEnded(::getpid(), folder / "missing"));

    // A file from before this process started cannot be this process's: its writer died and the id came back.
    fs::last_write_time(file, fs::last_write_time(file) - std::chrono::hours(24 * 400));
    EXPECT_TRUE(WriterHasEnded(::getpid(), file));
}

TEST(TemporaryFiles, OnlyTheFilesOfEndedWritersAreRemoved) {
    testing::ScratchFolder folder;
    const std::string ended = Id(EndedProcess());
    const std::string running = Id(::getpid());
    const std::vector<std::string> names{"storm.gif",
                                         "storm.gif.tmp-" + ended + "-0",
                                         "rain.ini.tmp-" + ended + "-3-123456",
                                         "frame_00001.png.tmp-" + running + "-1",
                                         "notes.tmp-" + ended,
                                         "storm.gif.tmp-" + ended + "-0.keep",
                                         "storm.gif.lock",
                                         "frame_00001.png"};
    for (const std::string& name : names) {
        Touch(folder / name);
    }
    fs::create_directory(folder / ("ships.tmp-" + ended + "-1")); // not a file this program writes
    fs::create_symlink(folder / "storm.gif", folder / ("link.tmp-" + ended + "-2"));

    EXPECT_EQ(RemoveAbandonedTemporaryFiles(folder.Path()), 2);
    EXPECT_EQ(FolderNames(folder.Path()),
              (std::vector<std::string>{"frame_00001.png", "frame_00001.png.tmp-" + running + "-1",
                                        "link.tmp-" + ended + "-2", "notes.tmp-" + ended, "ships.tmp-" + ended + "-1",
                                        "storm.gif", "storm.gif.lock", "storm.gif.tmp-" + ended + "-0.keep"}));
}

TEST(TemporaryFiles, AnAtomicWriteTidiesItsFolderOnce) {
    testing::ScratchFolder folder;
    const std::string leftover = "rain.ini.tmp-" + Id(EndedProcess()) + "-0";
    Touch(folder / leftover);
    ASSERT_TRUE(WriteFileAtomically(folder / "project.json", "{}").Ok());
    EXPECT_EQ(FolderNames(folder.Path()), std::vector<std::string>{"project.json"});

    // Listing the folder again for every file written there would make writing n files cost n squared.
    Touch(folder / leftover);
    ASSERT_TRUE(WriteFileAtomically(folder / "project.json", "{ }").Ok());
    EXPECT_EQ(FolderNames(folder.Path()), (std::vector<std::string>{"project.json", leftover}));
}

} // namespace
} // namespace chronova::platform
