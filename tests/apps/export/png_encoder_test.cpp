#include "apps/chronova/export/png_encoder.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QImage>
#include <QPainter>
#include <string>

#include "apps/export/export_test_support.h"
#include "support/error_number.h"

namespace chronova::cli::exporting {
namespace {

using platform::error::kInvalidProcedureCall;
using testing::MapLikeFrame;
using testing::NoiseFrame;

constexpr int kPalette = 3;
constexpr int kRgb = 2;
constexpr int kRgba = 6;

QImage Decoded(const std::string& png) {
    return QImage::fromData(QByteArray::fromStdString(png), "PNG").convertToFormat(QImage::Format_ARGB32);
}

// The PNG decodes (libpng checks every chunk's CRC and the zlib stream) to exactly the image's pixels in straight
// alpha, as libpng's own encoder gives them, and has the expected colour type.
void ExpectExact(const QImage& image, int colour_type) {
    const QImage expected = image.convertToFormat(QImage::Format_ARGB32);
    for (const int level : {0, 1, 6, 9}) {
        SCOPED_TRACE("format " + std::to_string(image.format()) + ", " + std::to_string(image.width()) + " x " +
                     std::to_string(image.height()) + ", level " + std::to_string(level));
        const std::string png = EncodePng(image, level);
        ASSERT_GT(png.size(), 25u);
        EXPECT_EQ(png.substr(0, 8), std::string("\x89PNG\r\n\x1a\n"));
        EXPECT_EQ(png[25], colour_type);
        EXPECT_EQ(png.substr(png.size() - 12), std::string("\0\0\0\0IEND\xae\x42\x60\x82", 12));
        const QImage decoded = Decoded(png);
        ASSERT_FALSE(decoded.isNull());
        EXPECT_EQ(decoded, expected);
        EXPECT_EQ(decoded, Decoded(EncodePngWithLibpng(image, level)));
    }
}

// An image of exactly `colours` distinct opaque colours, the last ones in its bottom row.
QImage Colours(int width, int height, int colours) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int i = 0; i < width * height; ++i) {
        const int c = i < colours ? i : i % 7;
        image.setPixel(i % width, i / width, qRgb(c % 256, 255 - c / 256, (c * 37) % 256));
    }
    return image;
}

TEST(PngEncoderTest, FewColoursGoToAPaletteAndComeBackExact) {
    // Map frames: flat areas with anti-aliased edges; odd widths leave rows unaligned.
    const QImage map = MapLikeFrame(97, 61, 3);
    ExpectExact(map.convertToFormat(QImage::Format_ARGB32_Premultiplied), kPalette);
    ExpectExact(map.convertToFormat(QImage::Format_RGB888), kPalette);
    ExpectExact(map.convertToFormat(QImage::Format_Indexed8), kPalette);
    ExpectExact(QImage(1, 1, QImage::Format_RGB32), kPalette);
    ExpectExact(Colours(1, 301, 256), kPalette);
    ExpectExact(Colours(255, 3, 256), kPalette);
    ExpectExact(Colours(17, 16, 256), kPalette);
    ExpectExact(Colours(17, 16, 257), kRgb);
    ExpectExact(Colours(257, 1, 257), kRgb);
}

TEST(PngEncoderTest, TranslucentColoursKeepTheirAlphaAndTransparentOnesTheirColour) {
    QImage frame = MapLikeFrame(33, 20, 1).convertToFormat(QImage::Format_ARGB32);
    frame.setPixel(0, 0, qRgba(10, 20, 30, 0)); // transparent, yet a colour of its own
    frame.setPixel(1, 0, qRgba(200, 20, 30, 0));
    frame.setPixel(5, 7, qRgba(10, 200, 30, 128));
    ExpectExact(frame, kPalette);
    std::string png = EncodePng(frame);
    EXPECT_NE(png.find("tRNS"), std::string::npos);
    EXPECT_EQ(Decoded(png).pixel(1, 0), qRgba(200, 20, 30, 0));
    EXPECT_EQ(EncodePng(MapLikeFrame(33, 20, 1)).find("tRNS"), std::string::npos); // opaque: no alpha stored

    // Premultiplied pixels are written in straight alpha.
    QImage premultiplied(9, 5, QImage::Format_ARGB32_Premultiplied);
    premultiplied.fill(QColor(0, 100, 200, 255));
    premultiplied.setPixel(4, 2, qPremultiply(qRgba(250, 100, 20, 51)));
    ExpectExact(premultiplied, kPalette);
}

TEST(PngEncoderTest, ManyColoursAreRowsOfRgbOrRgba) {
    ExpectExact(NoiseFrame(1, 1), kPalette);
    ExpectExact(NoiseFrame(101, 37), kRgb);
    ExpectExact(NoiseFrame(1, 300), kRgb);
    ExpectExact(NoiseFrame(300, 1), kRgb);
    // A gradient under a translucent band: Up pays off in some rows, Sub in others.
    QImage blend(203, 64, QImage::Format_ARGB32);
    for (int y = 0; y < blend.height(); ++y) {
        for (int x = 0; x < blend.width(); ++x) {
            blend.setPixel(x, y, qRgba(x, y * 3, (x * y) % 256, y >= 20 && y < 30 ? x : 255));
        }
    }
    ExpectExact(blend, kRgba);
    ExpectExact(blend.convertToFormat(QImage::Format_RGBA8888), kRgba);
    ExpectExact(blend.convertToFormat(QImage::Format_ARGB32_Premultiplied).convertToFormat(QImage::Format_ARGB32),
                kRgba);
    QImage opaque_map = NoiseFrame(64, 48);
    QPainter(&opaque_map).fillRect(10, 10, 30, 20, Qt::white);
    ExpectExact(opaque_map, kRgb);
}

// A map frame of many colours: a raster of cells of 4 x 3 pixels in a colour ramp (rows repeat within a cell),
// with anti-aliased shapes over it, as MapLikeFrame draws them.
QImage RasterMapFrame(int width, int height) {
    QImage frame(width, height, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const int cell_x = x / 4;
            const int cell_y = y / 3;
            frame.setPixel(x, y, qRgb((cell_x * 3 + cell_y) % 256, (cell_y * 5) % 256, 128 + (cell_x + cell_y) % 100));
        }
    }
    QPainter painter(&frame);
    painter.drawImage(0, 0, MapLikeFrame(width / 2, height / 2, 2));
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(90, 90, 90), 1.5));
    for (int i = 0; i < 40; ++i) {
        painter.drawLine(QPointF(i * 13.7, 0), QPointF(width - i * 5.3, height));
        painter.drawEllipse(QPointF(i * 23.1, (i * 37) % height), 3.5, 3.5);
    }
    return frame;
}

TEST(PngEncoderTest, MapFramesOfManyColoursComeBackExactFromTheRunCoder) {
    const QImage frame = RasterMapFrame(1024, 768);
    const std::string png = EncodePng(frame);
    EXPECT_EQ(png[25], kRgb);
    EXPECT_EQ(Decoded(png), frame.convertToFormat(QImage::Format_ARGB32));
    // Within reach of general deflate's size, far below the pixels'.
    EXPECT_LT(png.size(), EncodePngWithLibdeflate(frame, 1).size() * 3 / 2);
    EXPECT_LT(png.size(), static_cast<size_t>(1024 * 768 * 3 / 4));

    ExpectExact(RasterMapFrame(333, 101), kRgb);
    ExpectExact(RasterMapFrame(5, 3), kPalette);
    QImage translucent = RasterMapFrame(257, 64).convertToFormat(QImage::Format_ARGB32);
    for (int y = 10; y < 30; ++y) {
        for (int x = 0; x < translucent.width(); ++x) {
            translucent.setPixel(x, y, (translucent.pixel(x, y) & 0x00ffffffu) | (static_cast<QRgb>(x % 256) << 24));
        }
    }
    ExpectExact(translucent, kRgba);
    // The same as libdeflate's stream, pixel for pixel, on frames of few colours as well.
    const QImage map = MapLikeFrame(640, 480, 5);
    EXPECT_EQ(Decoded(EncodePng(map)), Decoded(EncodePngWithLibdeflate(map)));
}

TEST(PngEncoderTest, HigherLevelsAreNoLargerAndBadInputIsRefused) {
    const QImage map = MapLikeFrame(200, 150, 0);
    const QImage noise = NoiseFrame(120, 80);
    EXPECT_GE(EncodePng(map, 0).size(), EncodePng(map, 1).size());
    EXPECT_GE(EncodePng(map, 1).size(), EncodePng(map, 9).size());
    EXPECT_GT(EncodePng(noise, 0).size(), static_cast<size_t>(120 * 80 * 3)); // stored: every byte and more
    EXPECT_RAISES(EncodePng(QImage()), kInvalidProcedureCall);
    EXPECT_RAISES(EncodePng(map, -1), kInvalidProcedureCall);
    EXPECT_RAISES(EncodePng(map, 10), kInvalidProcedureCall);
}

} // namespace
} // namespace chronova::cli::exporting
