#include "platform/atomic_file.h"

#include <cerrno>
#include <fstream>
#include <sstream>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "support/scratch_folder.h"

namespace chronova::platform {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

using testing::FolderNames;
using testing::ReadContents;

TEST(AtomicFile, WritesAndReplacesWholeFiles) {
    testing::ScratchFolder folder;
    const auto file = folder / "settings.jsonl";
    ASSERT_TRUE(WriteFileAtomically(file, "first").Ok());
    EXPECT_EQ(ReadContents(file), "first");
    ::chmod(file.c_str(), 0640);
    const auto binary = "bytes\0\xFF\n"s;
    ASSERT_TRUE(WriteFileAtomically(file, binary).Ok());
    EXPECT_EQ(ReadContents(file), binary);
    struct stat info {};
    ASSERT_EQ(::stat(file.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u) << "a replaced file keeps its permissions";
    EXPECT_EQ(FolderNames(folder.Path()), std::vector<std::string>{"settings.jsonl"}) << "no temporary file is left";
}

TEST(AtomicFile, KeepModeNeverOverwrites) {
    testing::ScratchFolder folder;
    const auto file = folder / "backup";
    ASSERT_TRUE(WriteFileAtomically(file, "old", ExistingFile::Keep).Ok());
    const auto second = WriteFileAtomically(file, "new", ExistingFile::Keep);
    EXPECT_FALSE(second.Ok());
    EXPECT_NE(second.error.find(file.string()), std::string::npos) << second.error;
    EXPECT_EQ(ReadContents(file), "old");
    EXPECT_EQ(FolderNames(folder.Path()), std::vector<std::string>{"backup"});
}

TEST(AtomicFile, WritesThroughASymbolicLink) {
    testing::ScratchFolder folder;
    fs::create_directory(folder / "real");
    const auto target = folder / "real" / "file";
    const auto link = folder / "link";
    ASSERT_TRUE(WriteFileAtomically(target, "old").Ok());
    fs::create_symlink(target, link);
    ASSERT_TRUE(WriteFileAtomically(link, "new").Ok());
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ReadContents(target), "new");
}

TEST(AtomicFile, ReportsFailuresAndLeavesNothingBehind) {
    testing::ScratchFolder folder;
    std::ofstream(folder / "plain") << "x";
    const auto under_file = WriteFileAtomically(folder / "plain" / "file", "data");
    EXPECT_FALSE(under_file.Ok());
    EXPECT_NE(under_file.error.find("plain"), std::string::npos) << under_file.error;
    EXPECT_FALSE(WriteFileAtomically(folder / "missing" / "file", "data").Ok());
    fs::create_directory(folder / "taken");
    EXPECT_FALSE(WriteFileAtomically(folder / "taken", "data").Ok()) << "a folder is not replaced by a file";
    EXPECT_EQ(FolderNames(folder.Path()), (std::vector<std::string>{"plain", "taken"}));
}

TEST(AtomicFile, TargetStaysOldUntilTheCompleteNewFileReplacesIt) {
    testing::ScratchFolder folder;
    const auto file = folder / "f";
    ASSERT_TRUE(WriteFileAtomically(file, "old").Ok());
    std::string seen_target, seen_temporary;
    SetBeforeReplaceHook([&](const fs::path& temporary) {
        seen_target = ReadContents(file);
        seen_temporary = ReadContents(temporary);
    });
    const auto result = WriteFileAtomically(file, "new contents");
    SetBeforeReplaceHook(nullptr);
    ASSERT_TRUE(result.Ok());
    EXPECT_EQ(seen_target, "old");
    EXPECT_EQ(seen_temporary, "new contents");
    EXPECT_EQ(ReadContents(file), "new contents");
}

TEST(AtomicFile, RemovesOnlyThisFilesStaleTemporaries) {
    testing::ScratchFolder folder;
    for (const auto* name : {"f", "f.tmp-1-2-3", "f.tmp-99", "g.tmp-1", "f.lock", "f.damaged-x", "ff.tmp-1"}) {
        std::ofstream(folder / name) << "x";
    }
    RemoveStaleTemporaryFiles(folder / "f");
    EXPECT_EQ(FolderNames(folder.Path()),
              (std::vector<std::string>{"f", "f.damaged-x", "f.lock", "ff.tmp-1", "g.tmp-1"}));
}

TEST(AtomicFile, ReadsWholeFilesAndTellsMissingFromUnreadable) {
    testing::ScratchFolder folder;
    const auto file = folder / "f";
    std::ofstream(file, std::ios::binary) << "a\0b"s;
    const auto read = ReadWholeFile(file);
    EXPECT_EQ(read.data, "a\0b"s);
    EXPECT_TRUE(read.error.empty() && !read.missing);

    EXPECT_TRUE(ReadWholeFile(folder / "none").missing);
    EXPECT_TRUE(ReadWholeFile(folder / "f" / "below a file").missing);
    EXPECT_FALSE(ReadWholeFile(folder.Path()).error.empty()) << "a folder";
    EXPECT_FALSE(ReadWholeFile(file, 2).error.empty()) << "larger than allowed";
    EXPECT_FALSE(ReadWholeFile("/dev/zero", 1 << 20).error.empty()) << "a device that never ends";
}

// Whether another open of the lock file could take the lock now.
bool LockIsFree(const fs::path& file) {
    const int fd = ::open((file.string() + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    const bool free = fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    if (fd >= 0) {
        ::close(fd);
    }
    return free;
}

TEST(AtomicFile, LockIsExclusiveUntilReleased) {
    testing::ScratchFolder folder;
    const auto file = folder / "settings";
    {
        FileLock lock(file);
        ASSERT_TRUE(lock.Held()) << lock.Error();
        EXPECT_FALSE(LockIsFree(file));
        FileLock moved(std::move(lock));
        EXPECT_FALSE(lock.Held()); // NOLINT(bugprone-use-after-move): what a moved-from lock holds is the point
        EXPECT_FALSE(LockIsFree(file)) << "moving keeps the lock";
    }
    EXPECT_TRUE(LockIsFree(file));

    const FileLock failed(folder / "missing" / "settings");
    EXPECT_FALSE(failed.Held());
    EXPECT_NE(failed.Error().find("missing"), std::string::npos) << failed.Error();
}

} // namespace
} // namespace chronova::platform
