#include "gis/drawing/marker_canvas.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <algorithm>
#include <memory>
#include <random>
#include <utility>
#include <vector>

namespace chronova::gis {
namespace {

struct Placed {
    double X;
    double Y;
    std::shared_ptr<MarkerSheet> Sheet;
    double Degrees;
};

// Markers of a few colours, sizes and kinds, half transparent at their edges, placed at random over a square
// image `side` pixels wide and a little beyond it; `cell` above 0 puts each in its own cell of a grid instead,
// so that none overlaps another.
std::vector<Placed> Markers(int count, int side, int cell, MarkerImages& images) {
    std::mt19937 random(5);
    std::vector<Placed> placed;
    for (int i = 0; i < count; ++i) {
        CharacterMarkerSymbol arrow;
        arrow.FontName = "Chronova No Such Font";
        arrow.CharacterIndex = 65;
        SimpleMarkerSymbol circle;
        IMarkerSymbol& symbol = i % 2 == 0 ? static_cast<IMarkerSymbol&>(arrow) : circle;
        symbol.MarkerColor = Color{static_cast<uint8_t>(random() % 256), static_cast<uint8_t>(random() % 256),
                                   static_cast<uint8_t>(random() % 256), false};
        symbol.Size = 4.0 + random() % 12;
        double x = -10.0 + random() % (side + 20);
        double y = -10.0 + random() % (side + 20);
        if (cell > 0) {
            x = cell / 2.0 + cell * (i % (side / cell)) + 0.3;
            y = cell / 2.0 + cell * (i / (side / cell)) - 0.2;
        }
        placed.push_back(Placed{x, y, images.Sheet(symbol), static_cast<double>(random() % 360)});
    }
    std::shuffle(placed.begin(), placed.end(), random);
    return placed;
}

enum class Way { Direct, ThroughThePainter, OneByOne };

// Draws the markers on a grey image: through a canvas that blends directly, through one that must use the
// painter (the painter clips), or one by one with MarkerSheet::Draw in the order given.
QImage DrawMarkers(const std::vector<Placed>& markers, int side, Way way) {
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(qRgb(90, 160, 90));
    QPainter painter(&image);
    if (way == Way::OneByOne) {
        for (const Placed& marker : markers) {
            marker.Sheet->Draw(painter, marker.X, marker.Y, marker.Degrees);
        }
        return image;
    }
    if (way == Way::ThroughThePainter) {
        painter.setClipRect(image.rect());
    }
    MarkerCanvas canvas(painter);
    EXPECT_EQ(canvas.Direct(), way == Way::Direct);
    for (const Placed& marker : markers) {
        canvas.Add(marker.X, marker.Y, marker.Sheet->Sprite(marker.Degrees));
    }
    canvas.Flush();
    return image;
}

int LargestChannelDifference(const QImage& a, const QImage& b) {
    int largest = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            largest = std::max({largest, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                                std::abs(qBlue(p) - qBlue(q)), std::abs(qAlpha(p) - qAlpha(q))});
        }
    }
    return largest;
}

void ExpectAlike(int count, int side, int cell, Way way, Way other) {
    MarkerImages images;
    const auto markers = Markers(count, side, cell, images);
    const QImage image = DrawMarkers(markers, side, way);
    EXPECT_LE(LargestChannelDifference(image, DrawMarkers(markers, side, other)), 1) << count << " markers";
    QImage background(side, side, QImage::Format_ARGB32_Premultiplied);
    background.fill(qRgb(90, 160, 90));
    EXPECT_NE(image, background);
}

TEST(MarkerCanvasTest, BlendingIntoThePixelsMatchesThePainter) {
    // Few markers, overlapping and over the edges, drawn in the order given.
    ExpectAlike(300, 200, 0, Way::Direct, Way::ThroughThePainter);
    ExpectAlike(300, 200, 0, Way::Direct, Way::OneByOne);
    // Many markers go band by band, either way alike.
    ExpectAlike(2000, 200, 0, Way::Direct, Way::ThroughThePainter);
    // Markers that do not overlap look the same in any order, so band by band equals one by one.
    ExpectAlike(600, 600, 24, Way::Direct, Way::OneByOne);
    ExpectAlike(600, 600, 24, Way::ThroughThePainter, Way::OneByOne);
}

TEST(MarkerCanvasTest, APaintersShiftMovesDirectMarkersToo) {
    MarkerImages images;
    SimpleMarkerSymbol square;
    square.Style = SimpleMarkerStyle::Square;
    square.Size = 6.0; // 8 pixels
    const auto sheet = images.Sheet(square);
    QImage image(50, 50, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        painter.translate(10, 20);
        MarkerCanvas canvas(painter);
        EXPECT_TRUE(canvas.Direct());
        canvas.Add(5.0, 5.0, sheet->Sprite(0));
    }
    EXPECT_EQ(image.pixel(15, 25), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(11, 21), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(10, 20), qRgb(255, 255, 255));
    EXPECT_EQ(image.pixel(5, 5), qRgb(255, 255, 255));
}

// Draws markers [0, split) with one canvas and the rest with a second one, on a transparent image as layer
// images are.
QImage DrawInTwo(const std::vector<Placed>& markers, size_t split, int side) {
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    for (const auto& [first, last] : {std::pair{size_t{0}, split}, std::pair{split, markers.size()}}) {
        MarkerCanvas canvas(painter, true);
        EXPECT_TRUE(canvas.Direct());
        for (size_t i = first; i < last; ++i) {
            canvas.Add(markers[i].X, markers[i].Y, markers[i].Sheet->Sprite(markers[i].Degrees));
        }
    }
    return image;
}

TEST(MarkerCanvasTest, KeepingTheOrderOverlappingMarkersAcrossBandsComeOutInTheOrderGiven) {
    MarkerImages images;
    // Dense markers of many sizes: plenty reach from one band of rows into the next and overlap markers there.
    const auto dense = Markers(3000, 200, 0, images);
    QImage one_by_one = DrawMarkers(dense, 200, Way::OneByOne);
    QImage kept(one_by_one.size(), QImage::Format_ARGB32_Premultiplied);
    kept.fill(qRgb(90, 160, 90));
    {
        QPainter painter(&kept);
        MarkerCanvas canvas(painter, true);
        for (const Placed& marker : dense) {
            canvas.Add(marker.X, marker.Y, marker.Sheet->Sprite(marker.Degrees));
        }
    }
    EXPECT_LE(LargestChannelDifference(kept, one_by_one), 1);
    // Sorted by the band of their top rows instead, some markers go under others they came before.
    EXPECT_GT(LargestChannelDifference(DrawMarkers(dense, 200, Way::Direct), one_by_one), 1);
    // Markers added by a second canvas go over the first canvas's as if one canvas had drawn them all, whether
    // either canvas draws in bands or not.
    const QImage whole = DrawInTwo(dense, dense.size(), 200);
    for (const size_t split : {size_t{100}, size_t{600}, size_t{2800}, size_t{2990}}) {
        EXPECT_EQ(DrawInTwo(dense, split, 200), whole) << "split at " << split;
    }
}

} // namespace
} // namespace chronova::gis
