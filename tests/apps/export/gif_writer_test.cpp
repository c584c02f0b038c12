#include "apps/chronova/export/gif_writer.h"

#include <gtest/gtest.h>

#include <gif_lib.h>

#include <QImage>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "apps/chronova/export/frame_palette.h"
#include "apps/chronova/export/gif_lzw.h"
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

ShownGif WriteAndPlay(const std::filesystem::path& file, const std::vector<QImage>& frames, int fps,
                      GifEncoding encoding = GifEncoding::Fast) {
    {
        GifWriter writer(file, frames[0].width(), frames[0].height(), fps, encoding);
        for (const QImage& frame : frames) {
            writer.Add(frame);
        }
        EXPECT_EQ(writer.FrameCount(), static_cast<int>(frames.size()));
        writer.Finish();
    }
    return Play(file);
}

void ExpectPlayedAtItsPace(GifEncoding encoding) {
    ScratchFolder scratch;
    std::vector<QImage> drawn;
    for (int step = 0; step < 6; ++step) {
        drawn.push_back(MapLikeFrame(160, 120, step));
    }
    drawn.push_back(drawn.back()); // a frame that changes nothing still takes its time
    const ShownGif shown = WriteAndPlay(scratch / "map.gif", drawn, 4, encoding);
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

TEST(GifWriterTest, PlaysEveryFrameAtItsPaceInALoop) {
    for (const GifEncoding encoding : {GifEncoding::Fast, GifEncoding::Reference}) {
        SCOPED_TRACE(encoding == GifEncoding::Fast ? "fast" : "reference");
        ExpectPlayedAtItsPace(encoding);
    }
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
    for (const GifEncoding encoding : {GifEncoding::Fast, GifEncoding::Reference}) {
        ScratchFolder scratch;
        const ShownGif shown = WriteAndPlay(scratch / "few.gif", drawn, 5, encoding);
        ASSERT_EQ(shown.frames.size(), drawn.size());
        for (size_t i = 0; i < drawn.size(); ++i) {
            EXPECT_EQ(shown.frames[i], drawn[i]) << "frame " << i;
        }
        EXPECT_EQ(shown.stored[1], QRect(39, 0, 1, 1));
        EXPECT_EQ(shown.stored[3], QRect(20, 10, 1, 20));
    }
}

// Colours a median cut would merge (they differ in the lowest bits only) stay apart while a frame has at most
// 256; at 257 the median cut takes over.
TEST(GifWriterTest, UpTo256ColoursStayExact) {
    const auto frame_of = [](int colours) {
        QImage frame(64, 10, QImage::Format_ARGB32_Premultiplied);
        for (int i = 0; i < 640; ++i) {
            const int c = i % colours;
            frame.setPixel(i % 64, i / 64, qRgb(250 - c % 4, 248 - c / 4 % 4, 240 - c / 16));
        }
        return frame;
    };
    const QImage exact = frame_of(256);
    const IndexedImage indexed = QuantizeFrame(exact, exact.rect());
    ASSERT_EQ(indexed.Palette.size(), 256u);
    for (int i = 0; i < 640; ++i) {
        ASSERT_EQ(indexed.Palette[indexed.Indices[static_cast<size_t>(i)]], exact.pixel(i % 64, i / 64)) << i;
    }
    const IndexedImage part = QuantizeFrame(exact, QRect(3, 2, 5, 4)); // an area keeps only its own colours
    EXPECT_EQ(part.Palette.size(), 20u);
    EXPECT_EQ(part.Palette[part.Indices[0]], exact.pixel(3, 2));

    ScratchFolder scratch;
    const ShownGif fast = WriteAndPlay(scratch / "fast.gif", {exact}, 5, GifEncoding::Fast);
    const ShownGif reference = WriteAndPlay(scratch / "reference.gif", {exact}, 5, GifEncoding::Reference);
    ASSERT_EQ(fast.frames.size(), 1u);
    EXPECT_EQ(fast.frames[0], exact.convertToFormat(QImage::Format_RGB32));
    EXPECT_GT(LargestDifference(reference.frames.at(0), exact), 0); // which the median cut does not keep

    const QImage many = frame_of(257);
    const IndexedImage cut = QuantizeFrame(many, many.rect());
    const IndexedImage median = QuantizeFrameMedianCut(many, many.rect());
    EXPECT_EQ(cut.Palette, median.Palette);
    EXPECT_EQ(cut.Indices, median.Indices);
}

// The image data giflib writes for indices with a palette of 2^bits colours: what follows the code size byte.
std::string GiflibImageData(const std::vector<uint8_t>& indices, int width, int bits) {
    std::string bytes;
    int error = 0;
    GifFileType* gif = EGifOpen(
        &bytes,
        [](GifFileType* file, const GifByteType* data, int length) {
            static_cast<std::string*>(file->UserData)
                ->append(reinterpret_cast<const char*>(data), static_cast<size_t>(length));
            return length;
        },
        &error);
    std::vector<GifColorType> colours(size_t{1} << bits, GifColorType{0, 0, 0});
    ColorMapObject* map = GifMakeMapObject(1 << bits, colours.data());
    const int height = static_cast<int>(indices.size()) / width;
    EXPECT_EQ(EGifPutScreenDesc(gif, width, height, 8, 0, nullptr), GIF_OK);
    EXPECT_EQ(EGifPutImageDesc(gif, 0, 0, width, height, false, map), GIF_OK);
    EXPECT_EQ(EGifPutLine(gif, const_cast<GifByteType*>(indices.data()), static_cast<int>(indices.size())), GIF_OK);
    EGifCloseFile(gif, &error);
    GifFreeMapObject(map);
    // Header 6, screen 7, image descriptor 10, palette, code size 1; the trailer ends the file.
    const size_t start = 6 + 7 + 10 + 3 * (size_t{1} << bits) + 1;
    EXPECT_EQ(bytes[start - 1], std::max(2, bits));
    return bytes.substr(start, bytes.size() - start - 1);
}

TEST(GifWriterTest, LzwCodesAreGiflibsByteForByte) {
    const auto expect_same = [](const std::vector<uint8_t>& indices, int width, int bits) {
        std::string ours;
        AppendLzwData(indices.data(), indices.size(), std::max(2, bits), ours);
        const std::string giflib = GiflibImageData(indices, width, bits);
        EXPECT_EQ(ours.size(), giflib.size()) << indices.size() << " indices of " << bits << " bits";
        EXPECT_TRUE(ours == giflib) << indices.size() << " indices of " << bits << " bits";
    };
    expect_same({0}, 1, 1);
    expect_same({1, 0, 1, 1, 0, 0, 1, 1, 1}, 3, 1);
    expect_same(std::vector<uint8_t>(1000000, 3), 1000, 2); // one run: codes grow to 12 bits, never full
    std::vector<uint8_t> noise(300 * 300);
    uint32_t state = 7;
    for (uint8_t& index : noise) {
        state = state * 1664525u + 1013904223u;
        index = static_cast<uint8_t>(state >> 24);
    }
    expect_same(noise, 300, 8); // the table fills again and again: clear codes
    for (uint8_t& index : noise) {
        index &= 0x0f;
    }
    expect_same(noise, 300, 4);
    const QImage map = MapLikeFrame(230, 170, 2);
    const IndexedImage indexed = QuantizeFrameMedianCut(map, map.rect());
    expect_same(indexed.Indices, indexed.Width, GifBitSize(static_cast<int>(indexed.Palette.size())));
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
