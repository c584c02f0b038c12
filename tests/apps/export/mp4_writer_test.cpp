#include "apps/chronova/export/mp4_writer.h"

#include <gtest/gtest.h>

#include <QImage>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include "apps/export/export_test_support.h"
#include "support/error_number.h"
#include "support/scratch_folder.h"

namespace chronova::cli::exporting {
namespace {

using platform::error::kPathFileAccess;
using testing::ErrorOf;
using testing::FolderEntries;
using testing::MapLikeFrame;
using testing::ReadContents;
using testing::ScopedEnvironment;
using testing::ScratchFolder;

// A stand-in for ffmpeg: a shell script first on the PATH that notes its arguments, one a line, in "args" beside
// it, then runs body.
class FakeFfmpeg {
public:
    explicit FakeFfmpeg(const std::string& body) : path_("PATH", scratch_.Path().string() + ":/usr/bin:/bin") {
        std::ofstream(scratch_ / "ffmpeg")
            << "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" << (scratch_ / "args").string() << "'\n"
            << body << "\n";
        std::filesystem::permissions(scratch_ / "ffmpeg", std::filesystem::perms::owner_all);
    }
    std::string Arguments() const { return ReadContents(scratch_ / "args"); }

private:
    ScratchFolder scratch_;
    ScopedEnvironment path_;
};

// The bytes ffmpeg should receive for a frame: packed RGB rows.
std::string RawRgb(const QImage& frame) {
    const QImage rgb = frame.convertToFormat(QImage::Format_RGB888);
    std::string bytes;
    for (int y = 0; y < rgb.height(); ++y) {
        bytes.append(reinterpret_cast<const char*>(rgb.constScanLine(y)), static_cast<size_t>(rgb.width()) * 3);
    }
    return bytes;
}

TEST(Mp4WriterTest, PipesPackedRgbFramesWithoutAShell) {
    const FakeFfmpeg ffmpeg("for last; do :; done\ncat > \"${last#file:}\"");
    EXPECT_TRUE(FfmpegAvailable());
    ScratchFolder scratch;
    const std::string name = "it's \"odd\" $(touch injected); x.mp4";
    std::string expected;
    {
        Mp4Writer writer(scratch / name, 5, 3, 4); // 15-byte rows: QImage pads them, ffmpeg must not see it
        for (int step = 0; step < 3; ++step) {
            expected += RawRgb(MapLikeFrame(5, 3, step));
            writer.Add(MapLikeFrame(5, 3, step));
        }
        writer.Finish();
    }
    EXPECT_EQ(FolderEntries(scratch.Path()), std::set<std::string>{name});
    EXPECT_EQ(ReadContents(scratch / name), expected);
    EXPECT_FALSE(std::filesystem::exists("injected"));
    const std::string arguments = ffmpeg.Arguments();
    for (const char* expected_argument : {"\n-video_size\n5x3\n", "\n-framerate\n4\n", "\n-pix_fmt\nyuv420p\n"}) {
        EXPECT_NE(arguments.find(expected_argument), std::string::npos) << arguments;
    }
    EXPECT_NE(arguments.find("\nfile:" + (scratch / name).string()), std::string::npos) << arguments;
}

TEST(Mp4WriterTest, ReportsWhatWentWrongAndLeavesNothing) {
    ScratchFolder scratch;
    {
        const ScopedEnvironment path("PATH", scratch.Path().string());
        EXPECT_FALSE(FfmpegAvailable());
        EXPECT_RAISES(Mp4Writer writer(scratch / "a.mp4", 8, 8, 4), platform::error::kFileNotFound);
    }
    {
        const FakeFfmpeg ffmpeg("cat > /dev/null\necho \"Unknown encoder 'libx264'\" >&2\nexit 1");
        Mp4Writer writer(scratch / "a.mp4", 16, 16, 4);
        writer.Add(MapLikeFrame(16, 16, 0));
        const platform::AutomationError error = ErrorOf([&] { writer.Finish(); });
        EXPECT_EQ(error.Number(), kPathFileAccess);
        EXPECT_NE(error.Description().find("Unknown encoder 'libx264'"), std::string::npos) << error.Description();
        EXPECT_NE(error.Description().find((scratch / "a.mp4").string()), std::string::npos) << error.Description();
    }
    {
        // Frames larger than a pipe holds meet a closed pipe: an error, not the end of the process.
        const FakeFfmpeg ffmpeg("exit 1");
        Mp4Writer writer(scratch / "b.mp4", 400, 300, 4);
        const auto add_frames = [&] {
            for (int i = 0; i < 10; ++i) {
                writer.Add(MapLikeFrame(400, 300, i));
            }
        };
        EXPECT_RAISES(add_frames(), kPathFileAccess);
        EXPECT_RAISES(writer.Finish(), kPathFileAccess);
    }
    {
        const FakeFfmpeg ffmpeg("cat > /dev/null");
        Mp4Writer writer(scratch / "c.mp4", 16, 16, 4);
        writer.Add(MapLikeFrame(16, 16, 0));
        EXPECT_RAISES(writer.Add(MapLikeFrame(8, 16, 0)), platform::error::kInvalidProcedureCall);
    } // dropped without Finish
    EXPECT_TRUE(FolderEntries(scratch.Path()).empty());
}

TEST(Mp4WriterTest, RealFfmpegWritesAnMp4) {
    if (!FfmpegAvailable()) {
        GTEST_SKIP() << "ffmpeg is not installed";
    }
    ScratchFolder scratch;
    {
        Mp4Writer writer(scratch / "map.mp4", 161, 121, 4); // odd sides are padded
        for (int step = 0; step < 8; ++step) {
            writer.Add(MapLikeFrame(161, 121, step));
        }
        writer.Finish();
    }
    EXPECT_EQ(FolderEntries(scratch.Path()), std::set<std::string>{"map.mp4"});
    EXPECT_EQ(ReadContents(scratch / "map.mp4").substr(4, 4), "ftyp");
}

} // namespace
} // namespace chronova::cli::exporting
