#include "apps/chronova/export/png_sequence_writer.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QImage>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "apps/export/export_test_support.h"
#include "support/error_number.h"
#include "support/scratch_folder.h"

namespace chronova::cli::exporting {
namespace {

using platform::error::kInvalidProcedureCall;
using platform::error::kPathFileAccess;
using testing::FolderEntries;
using testing::MapLikeFrame;
using testing::ScratchFolder;

// Frames added out of order, more of them than the queue holds, each land whole in the file of their position.
void ExpectSequenceWritten(int threads) {
    SCOPED_TRACE(std::to_string(threads) + " threads");
    ScratchFolder scratch;
    const auto folder = scratch / "out" / "frames"; // made by the writer
    const std::vector<int> positions = {3, 0, 2, 1, 11, 4, 5, 6, 7, 8, 9, 10};
    {
        PngSequenceWriter writer(folder, threads);
        for (const int position : positions) {
            writer.Add(position, MapLikeFrame(40, 30, position));
        }
        writer.Finish();
    }
    std::set<std::string> expected;
    for (const int position : positions) {
        expected.insert(PngSequenceWriter::FileName(position));
        const QImage image(QString::fromStdString((folder / PngSequenceWriter::FileName(position)).string()));
        EXPECT_EQ(image.convertToFormat(QImage::Format_RGB32),
                  MapLikeFrame(40, 30, position).convertToFormat(QImage::Format_RGB32))
            << position;
    }
    EXPECT_EQ(FolderEntries(folder), expected);
}

TEST(PngSequenceWriterTest, WritesEveryFrameUnderItsPosition) {
    EXPECT_EQ(PngSequenceWriter::FileName(42), "frame_00042.png");
    EXPECT_EQ(PngSequenceWriter::FileName(123456), "frame_123456.png");
    ExpectSequenceWritten(1);
    ExpectSequenceWritten(3);
    ExpectSequenceWritten(0);
}

TEST(PngSequenceWriterTest, AWriteFailingHalfWayLeavesNoPartialFile) {
    ScratchFolder scratch;
    PngSequenceWriter writer(scratch.Path(), 2);
    {
        const testing::ScopedFileSizeLimit limit(4096);
        writer.Add(0, MapLikeFrame(16, 16, 0)); // small enough to be written
        writer.Add(1, testing::NoiseFrame(200, 200));
        const platform::AutomationError error = testing::ErrorOf([&] { writer.Finish(); });
        EXPECT_EQ(error.Number(), kPathFileAccess);
        EXPECT_NE(error.Description().find((scratch / "frame_00001.png").string()), std::string::npos)
            << error.Description();
    }
    EXPECT_EQ(FolderEntries(scratch.Path()), std::set<std::string>{"frame_00000.png"});
    EXPECT_THROW(writer.Add(2, MapLikeFrame(16, 16, 2)), platform::AutomationError); // the sequence takes no more
}

TEST(PngSequenceWriterTest, RefusesBadFramesAndFoldersItCannotMake) {
    ScratchFolder scratch;
    {
        PngSequenceWriter writer(scratch.Path(), 1);
        EXPECT_RAISES(writer.Add(-1, MapLikeFrame(8, 8, 0)), kInvalidProcedureCall);
        EXPECT_RAISES(writer.Add(0, QImage()), kInvalidProcedureCall);
        writer.Finish();
        writer.Finish();
        EXPECT_RAISES(writer.Add(0, MapLikeFrame(8, 8, 0)), kInvalidProcedureCall);
        EXPECT_TRUE(FolderEntries(scratch.Path()).empty());
    }
    std::ofstream(scratch / "a file") << "in the way";
    EXPECT_RAISES(PngSequenceWriter blocked(scratch / "a file"), kPathFileAccess);
    EXPECT_RAISES(PngSequenceWriter blocked(scratch / "a file" / "frames"), kPathFileAccess);
    EXPECT_RAISES(PngSequenceWriter bad_level(scratch / "x", 1, 10), kInvalidProcedureCall);
}

} // namespace
} // namespace chronova::cli::exporting
