#include "apps/chronova/export/gif_writer.h"

#include <gtest/gtest.h>

#include <gif_lib.h>

#include <QImage>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "apps/chronova/export/frame_palette.h"
#include "apps/export/export_test_support.h"
#include "support/error_number.h"
#include "support/scratch_folder.h"

namespace chronova::cli::exporting {
namespace {

using testing::FolderEntries;
using testing::MapLikeFrame;
using testing::ScratchFolder;

// A GIF as a player shows it: giflib reads the file, and each stored image is drawn over what the frames before
// it left on screen.
struct ShownGif {
    QSize size;
    bool loops_forever = false;
    std::vector<QImage> frames;
    std::vector<int> delays;
    std::vector<QRect> stored; // the rectangle each frame stored
};

ShownGif Play(const std::filesystem::path& file) {
    int error = 0;
    GifFileType* gif = DGifOpenFileName(file.c_str(), &error);
    if (gif == nullptr || DGifSlurp(gif) != GIF_OK) {
        ADD_FAILURE() << "giflib cannot read " << file;
        return {};
    }
    ShownGif shown;
    shown.size = QSize(gif->SWidth, gif->SHeight);
    QImage screen(shown.size, QImage::Format_RGB32);
    screen.fill(Qt::black);
    for (int i = 0; i < gif->ImageCount; ++i) {
        const SavedImage& image = gif->SavedImages[i];
        for (int k = 0; k + 1 < image.ExtensionBlockCount; ++k) {
            const ExtensionBlock* block = image.ExtensionBlocks + k;
            shown.loops_forever |= block[0].Function == APPLICATION_EXT_FUNC_CODE && block[0].ByteCount == 11 &&
                                   std::memcmp(block[0].Bytes, "NETSCAPE2.0", 11) == 0 && block[1].ByteCount == 3 &&
                                   std::memcmp(block[1].Bytes, "\1\0\0", 3) == 0;
        }
        GraphicsControlBlock control{};
        DGifSavedExtensionToGCB(gif, i, &control);
        EXPECT_EQ(control.DisposalMode, DISPOSE_DO_NOT);
        shown.delays.push_back(control.DelayTime);
        const GifImageDesc& desc = image.ImageDesc;
        shown.stored.emplace_back(desc.Left, desc.Top, desc.Width, desc.Height);
        for (int p = 0; p < desc.Width * desc.Height; ++p) {
            const GifColorType c =
                (desc.ColorMap != nullptr ? desc.ColorMap : gif->SColorMap)->Colors[image.RasterBits[p]];
            screen.setPixel(desc.Left + p % desc.Width, desc.Top + p / desc.Width, qRgb(c.Red, c.Green, c.Blue));
        }
        shown.frames.push_back(screen.copy());
    }
    DGifCloseFile(gif, &error);
    return shown;
}

// The largest difference of a colour channel between two frames.
int LargestDifference(const QImage& shown, const QImage& drawn) {
    int largest = 0;
    for (int y = 0; y < shown.height(); ++y) {
        for (int x = 0; x < shown.width(); ++x) {
            const QRgb p = shown.pixel(x, y);
            const QRgb q = drawn.pixel(x, y);
            largest = std::max(
                {largest, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)), std::abs(qBlue(p) - qBlue(q))});
        }
    }
    return largest;
}

ShownGif WriteAndPlay(const std::filesystem::path& file, const std::vector<QImage>& frames, int fps) {
    {
        GifWriter writer(file, frames[0].width(), frames[0].height(), fps);
        for (const QImage& frame : frames) {
            writer.Add(frame);
        }
        EXPECT_EQ(writer.FrameCount(), static_cast<int>(frames.size()));
        writer.Finish();
    }
    return Play(file);
}

TEST(GifWriterTest, PlaysEveryFrameAtItsPaceInALoop) {
    ScratchFolder scratch;
    std::vector<QImage> drawn;
    for (int step = 0; step < 6; ++step) {
        drawn.push_back(MapLikeFrame(160, 120, step));
    }
    drawn.push_back(drawn.back()); // a frame that changes nothing still takes its time
    const ShownGif shown = WriteAndPlay(scratch / "map.gif", drawn, 4);
    EXPECT_EQ(FolderEntries(scratch.Path()), std::set<std::string>{"map.gif"});
    EXPECT_EQ(shown.size, QSize(160, 120));
    EXPECT_TRUE(shown.loops_forever);
    ASSERT_EQ(shown.frames.size(), drawn.size());
    EXPECT_EQ(shown.delays, std::vector<int>(drawn.size(), 25));
    for (size_t i = 0; i < drawn.size(); ++i) {
        EXPECT_LE(LargestDifference(shown.frames[i], drawn[i]), 16) << "frame " << i;
    }
    // Only what moved is stored again: the disc, not the whole map.
    EXPECT_EQ(shown.stored[0], QRect(0, 0, 160, 120));
    EXPECT_LT(shown.stored[1].width() * shown.stored[1].height(), 160 * 120 / 4);
    EXPECT_EQ(shown.stored[6].size(), QSize(1, 1));
}

// Frames of few flat colours come out exact, a white background too, so any changed pixel left unstored shows.
TEST(GifWriterTest, FramesOfFewColoursComeOutExactWhereverTheyChange) {
    QImage frame(40, 30, QImage::Format_RGB32);
    frame.fill(Qt::white);
    std::vector<QImage> drawn;
    for (const auto& [area, colour] : std::vector<std::pair<QRect, QRgb>>{
             {{5, 5, 6, 4}, qRgb(200, 0, 0)},
             {{39, 0, 1, 1}, qRgb(0, 0, 200)},    // the top-right corner alone
             {{0, 29, 1, 1}, qRgb(0, 150, 0)},    // the bottom-left corner alone
             {{20, 10, 1, 20}, qRgb(0, 0, 0)},    // one column to the bottom edge
             {{0, 15, 40, 1}, qRgb(255, 255, 0)}, // one row across
         }) {
        for (int p = 0; p < area.width() * area.height(); ++p) {
            frame.setPixel(area.left() + p % area.width(), area.top() + p / area.width(), colour);
        }
        drawn.push_back(frame);
    }
    ScratchFolder scratch;
    const ShownGif shown = WriteAndPlay(scratch / "few.gif", drawn, 5);
    ASSERT_EQ(shown.frames.size(), drawn.size());
    for (size_t i = 0; i < drawn.size(); ++i) {
        EXPECT_EQ(shown.frames[i], drawn[i]) << "frame " << i;
    }
    EXPECT_EQ(shown.stored[1], QRect(39, 0, 1, 1));
    EXPECT_EQ(shown.stored[3], QRect(20, 10, 1, 20));
}

TEST(GifWriterTest, QuantizingManyColoursKeepsTheDominantOneExact) {
    QImage gradient(300, 200, QImage::Format_RGB32); // white beside thousands of colours
    for (int y = 0; y < 200; ++y) {
        for (int x = 0; x < 300; ++x) {
            gradient.setPixel(x, y, x < 150 ? qRgb(255, 255, 255) : qRgb(x - 40, y, (x + y) % 256));
        }
    }
    const IndexedImage part = QuantizeFrame(gradient, QRect(140, 10, 20, 5));
    EXPECT_EQ(part.Indices.size(), 100u);
    EXPECT_EQ(part.Palette[part.Indices[0]], qRgb(255, 255, 255));
    const IndexedImage whole = QuantizeFrame(gradient, gradient.rect());
    EXPECT_EQ(whole.Palette.size(), 256u);
    EXPECT_EQ(whole.Palette[whole.Indices[0]], qRgb(255, 255, 255));
    EXPECT_RAISES(QuantizeFrame(gradient, QRect(290, 0, 20, 5)), platform::error::kInvalidProcedureCall);
}

TEST(GifWriterTest, DelaysKeepThePaceInHundredths) {
    const auto delays = [](int fps, int frames) {
        std::vector<int> result;
        for (int i = 0; i < frames; ++i) {
            result.push_back(GifWriter::DelayOf(i, fps));
        }
        return result;
    };
    EXPECT_EQ(delays(3, 6), (std::vector<int>{33, 34, 33, 33, 34, 33}));
    EXPECT_EQ(delays(1, 1), (std::vector<int>{100}));
    EXPECT_EQ(delays(100, 2), (std::vector<int>{2, 2}));
}

TEST(GifWriterTest, RefusesWhatAGifCannotHoldAndLeavesNothing) {
    ScratchFolder scratch;
    const auto file = scratch / "a.gif";
    // A struct, not a tuple's structured binding: clang 14 lambdas cannot capture one.
    struct Size {
        int width;
        int height;
        int fps;
    };
    for (const Size& size : {Size{0, 10, 4}, Size{10, -1, 4}, Size{70000, 10, 4}, Size{10, 10, 0}}) {
        EXPECT_RAISES(GifWriter writer(file, size.width, size.height, size.fps), platform::error::kInvalidProcedureCall)
            << size.width << " x " << size.height << " at " << size.fps;
    }
    EXPECT_RAISES(GifWriter writer(scratch / "missing" / "a.gif", 20, 10, 4), platform::error::kPathFileAccess);
    {
        GifWriter writer(file, 20, 10, 4);
        EXPECT_RAISES(writer.Add(MapLikeFrame(10, 20, 0)), platform::error::kInvalidProcedureCall);
        EXPECT_RAISES(writer.Finish(), platform::error::kInvalidProcedureCall); // no frames
        GifWriter dropped(scratch / "dropped.gif", 20, 10, 4);
        dropped.Add(MapLikeFrame(20, 10, 0));
    } // without Finish
    EXPECT_TRUE(FolderEntries(scratch.Path()).empty());

    GifWriter writer(scratch / "full.gif", 300, 300, 4);
    {
        const testing::ScopedFileSizeLimit limit(8192);
        EXPECT_RAISES(writer.Add(testing::NoiseFrame(300, 300)), platform::error::kPathFileAccess);
    }
    EXPECT_TRUE(FolderEntries(scratch.Path()).empty());
    EXPECT_RAISES(writer.Add(MapLikeFrame(300, 300, 0)), platform::error::kPathFileAccess);
    EXPECT_RAISES(writer.Finish(), platform::error::kPathFileAccess);
}

} // namespace
} // namespace chronova::cli::exporting
