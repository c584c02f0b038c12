#include "gis/drawing/raster_drawer.h"

#include <gtest/gtest.h>

#include <QPainter>
#include <cmath>
#include <limits>

#include "gis/drawing/drawing_fixtures.h"

namespace chronova::gis {
namespace {

using testing::MemoryRaster;

constexpr float kNoData = std::numeric_limits<float>::quiet_NaN();

// A 4 by 2 raster over (0, 0)-(4, 2): cell (column, row) of band b (1-based) holds b * 10 + column, and the
// last cell of each band is no data. Band statistics run from b * 10 to b * 10 + 3.
std::shared_ptr<MemoryRaster> Steps(int bands) {
    std::vector<std::vector<float>> cells;
    for (int band = 1; band <= bands; ++band) {
        std::vector<float> values;
        for (int row = 0; row < 2; ++row) {
            for (int column = 0; column < 4; ++column) {
                values.push_back(static_cast<float>(band * 10 + column));
            }
        }
        values.back() = kNoData;
        cells.push_back(values);
    }
    return std::make_shared<MemoryRaster>(4, 2, Envelope{0, 0, 4, 2}, std::move(cells));
}

RasterStretchColorRampRenderer& StretchOf(RasterLayer& layer) {
    return dynamic_cast<RasterStretchColorRampRenderer&>(*layer.Renderer());
}

// Draws the layer alone over white, each cell 10 by 10 pixels unless a smaller extent zooms in.
QImage DrawAlone(RasterDrawer& drawer, const RasterLayer& layer, Envelope extent = {0, 0, 4, 2}) {
    QImage image(40, 20, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    drawer.Draw(painter, ViewTransform(extent, 40, 20), layer, layer.AreaOfInterest());
    return image;
}

// The grey of the pixel in the middle of a cell at the default extent.
int GreyOfCell(const QImage& image, int column, int row) {
    return qRed(image.pixel(column * 10 + 5, row * 10 + 5));
}

QRgb ColorOf(float value, StretchRange range, Color from = {0, 0, 0, false}, Color to = {200, 100, 50, false}) {
    return ColorizeBand({value}, 1, 1, range, from, to).pixel(0, 0);
}

TEST(ColorizeBandTest, MapsTheRangeOntoTheRampAndLeavesNoDataTransparent) {
    const StretchRange range{0.0, 10.0};
    EXPECT_EQ(ColorOf(0.0F, range), qRgb(0, 0, 0));
    EXPECT_EQ(ColorOf(10.0F, range), qRgb(200, 100, 50));
    EXPECT_EQ(ColorOf(-3.0F, range), qRgb(0, 0, 0)) << "below the range: first colour";
    EXPECT_EQ(ColorOf(13.0F, range), qRgb(200, 100, 50)) << "above the range: last colour";
    EXPECT_NEAR(qRed(ColorOf(5.0F, range)), 100, 1);
    EXPECT_NEAR(qGreen(ColorOf(5.0F, range)), 50, 1);
    EXPECT_NEAR(qBlue(ColorOf(5.0F, range)), 25, 1);
    EXPECT_EQ(qAlpha(ColorOf(kNoData, range)), 0);
    EXPECT_EQ(ColorOf(5.0F, {5.0, 5.0}), qRgb(0, 0, 0)) << "a range of one value";
    EXPECT_EQ(ColorOf(6.0F, {5.0, 5.0}), qRgb(200, 100, 50));
    EXPECT_EQ(ColorOf(0.0F, {10.0, 0.0}), qRgb(200, 100, 50)) << "a reversed range reverses the ramp";
    EXPECT_EQ(ColorOf(10.0F, {10.0, 0.0}), qRgb(0, 0, 0));
}

TEST(StretchRangeTest, CustomRangeOnlyWithMinimumMaximumStretch) {
    const BandStatistics statistics{0.0, 100.0, 50.0, 10.0};
    const auto range_of = [&](StretchType type, bool custom) {
        RasterStretchColorRampRenderer renderer;
        renderer.Stretch = type;
        renderer.UseCustomStretchMinMax = custom;
        renderer.CustomStretchMin = 20.0;
        renderer.CustomStretchMax = 30.0;
        const StretchRange range = StretchRangeOf(renderer, statistics);
        return std::pair{range.Low, range.High};
    };
    EXPECT_EQ(range_of(StretchType::MinimumMaximum, true), std::pair(20.0, 30.0));
    EXPECT_EQ(range_of(StretchType::MinimumMaximum, false), std::pair(0.0, 100.0));
    EXPECT_EQ(range_of(StretchType::StandardDeviations, true), std::pair(30.0, 70.0));
    EXPECT_EQ(range_of(StretchType::None, false), std::pair(0.0, 100.0));
    EXPECT_EQ(StretchRangeOf(RasterStretchColorRampRenderer{}, {0.0, 100.0, 90.0, 10.0}).High, 100.0);
}

TEST(RasterDrawerTest, BandSwitchRecoloursOnceAndSwitchingBackOnlyBlits) {
    const auto raster = Steps(3);
    RasterLayer layer(raster);
    RasterDrawer drawer;

    const QImage first = DrawAlone(drawer, layer);
    EXPECT_EQ(GreyOfCell(first, 0, 0), 0);
    EXPECT_EQ(GreyOfCell(first, 3, 0), 255);
    EXPECT_NEAR(GreyOfCell(first, 1, 1), 85, 1);
    EXPECT_EQ(first.pixel(35, 15), qRgb(255, 255, 255)) << "no data shows what lies below";

    layer.RendererBandIndex(1);
    StretchOf(layer).UseCustomStretchMinMax = true; // band 2 through band 1's range: all saturated
    StretchOf(layer).CustomStretchMin = 10.0;
    StretchOf(layer).CustomStretchMax = 13.0;
    StretchOf(layer).Update();
    const QImage second = DrawAlone(drawer, layer);
    EXPECT_EQ(GreyOfCell(second, 0, 0), 255);
    EXPECT_EQ(drawer.Counts().BandReads, 2);
    EXPECT_EQ(drawer.Counts().Colorizations, 2);

    StretchOf(layer).UseCustomStretchMinMax = false;
    layer.RendererBandIndex(0);
    EXPECT_EQ(DrawAlone(drawer, layer), first);
    EXPECT_EQ(drawer.Counts().BandReads, 2);
    EXPECT_EQ(drawer.Counts().Colorizations, 2);

    StretchOf(layer).FromColor = Color{0, 0, 255, false};
    StretchOf(layer).Update();
    EXPECT_EQ(DrawAlone(drawer, layer).pixel(5, 5), qRgb(0, 0, 255)) << "new colours from the kept cells";
    EXPECT_EQ(drawer.Counts().Colorizations, 3);
    EXPECT_EQ(raster->reads, 2);
}

TEST(RasterDrawerTest, EffectLevelFadesTheRasterAndHidesItAtOneHundred) {
    RasterLayer layer(Steps(1));
    RasterDrawer drawer;
    layer.EffectLevel(50);
    EXPECT_NEAR(GreyOfCell(DrawAlone(drawer, layer), 0, 0), 128, 2) << "black at half over white";
    layer.EffectLevel(100);
    QImage white(40, 20, QImage::Format_ARGB32_Premultiplied);
    white.fill(Qt::white);
    EXPECT_EQ(DrawAlone(drawer, layer), white);
}

TEST(RasterDrawerTest, ZoomedInViewShowsTheRightCells) {
    RasterLayer layer(Steps(1));
    RasterDrawer drawer;
    // The right half of the raster, columns 2 and 3 of the top row, 20 pixels per cell.
    const QImage image = DrawAlone(drawer, layer, Envelope{2, 1, 4, 2});
    EXPECT_NEAR(qRed(image.pixel(1, 10)), 170, 1);
    EXPECT_NEAR(qRed(image.pixel(19, 10)), 170, 1);
    EXPECT_EQ(qRed(image.pixel(21, 10)), 255);
}

TEST(RasterDrawerTest, KeepsNoMoreThanItsBudget) {
    const auto raster = Steps(2);
    RasterLayer layer(raster);
    RasterDrawer drawer(1); // room for the band in use only
    DrawAlone(drawer, layer);
    layer.RendererBandIndex(1);
    DrawAlone(drawer, layer);
    layer.RendererBandIndex(0);
    DrawAlone(drawer, layer);
    EXPECT_EQ(raster->reads, 3);
    EXPECT_LE(drawer.Bytes(), 4 * 2 * (sizeof(float) + 4));
}

} // namespace
} // namespace chronova::gis
