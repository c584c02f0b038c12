#include "gis/layers/raster_layer.h"

#include <gtest/gtest.h>

#include "support/error_number.h"

namespace chronova::gis {
namespace {

// A raster that only describes itself; the layer never reads cells.
class TestRaster : public RasterDataset {
public:
    explicit TestRaster(int32_t bands) : bands_(bands) {}
    const std::string& FilePath() const override { return path_; }
    int32_t BandCount() const override { return bands_; }
    int32_t Width() const override { return 4; }
    int32_t Height() const override { return 2; }
    Envelope Extent() const override { return {10, 20, 14, 22}; }
    std::string SpatialReference() const override { return "PROJCS[\"test\"]"; }
    BandStatistics Statistics(int32_t) override { return {}; }
    std::vector<float> ReadBand(int32_t) override { return std::vector<float>(8, 0.0f); }

private:
    int32_t bands_;
    std::string path_ = "/data/rasters/steps.tif";
};

TEST(RasterLayerTest, AcceptsOnlyBandsAndLevelsThatExist) {
    RasterLayer layer(std::make_shared<TestRaster>(3), "Temperature");
    const std::pair<int32_t, int32_t> bands[] = {{0, 0}, {2, 0}, {3, 9}, {-1, 9}};
    for (const auto& [band, error] : bands) {
        const int32_t index = band; // clang 14 lambdas cannot capture a structured binding
        EXPECT_RAISES(layer.RendererBandIndex(index), error) << band;
    }
    EXPECT_EQ(layer.RendererBandIndex(), 2);
    const std::pair<int32_t, int32_t> levels[] = {{0, 0}, {100, 0}, {101, 5}, {-1, 5}};
    for (const auto& [level, error] : levels) {
        const int32_t value = level;
        EXPECT_RAISES(layer.EffectLevel(value), error) << level;
    }
    EXPECT_EQ(layer.EffectLevel(), 100);
    EXPECT_NO_THROW(RasterLayer().RendererBandIndex(0));
}

TEST(RasterLayerTest, CountsChangesOfWhatItDraws) {
    RasterLayer layer(std::make_shared<TestRaster>(3));
    uint64_t revision = layer.DataRevision();
    const auto expect_change = [&](bool changed, const char* what) {
        EXPECT_EQ(layer.DataRevision() != revision, changed) << what;
        revision = layer.DataRevision();
    };
    layer.RendererBandIndex(1);
    expect_change(true, "band");
    layer.RendererBandIndex(1);
    expect_change(false, "same band");
    layer.EffectLevel(100);
    expect_change(true, "effect level");
    layer.Raster(std::make_shared<TestRaster>(2));
    expect_change(true, "raster");
    EXPECT_EQ(layer.RendererBandIndex(), 0);
}

TEST(RasterLayerTest, RasterComesWithAGreyRampThatCarriesTheBand) {
    EXPECT_EQ(RasterLayer().Renderer(), nullptr);
    const auto raster = std::make_shared<TestRaster>(3);
    RasterLayer layer(raster);
    const auto stretch = std::dynamic_pointer_cast<RasterStretchColorRampRenderer>(layer.Renderer());
    ASSERT_NE(stretch, nullptr);
    EXPECT_EQ(stretch->FromColor, (Color{0, 0, 0, false}));
    EXPECT_EQ(stretch->ToColor, (Color{255, 255, 255, false}));
    EXPECT_FALSE(stretch->UseCustomStretchMinMax);
    EXPECT_EQ(stretch->Raster, raster);

    layer.RendererBandIndex(2);
    EXPECT_EQ(stretch->BandIndex, 2);
    stretch->BandIndex = 1; // the system turns the renderer's band and gives the renderer back
    layer.Renderer(stretch);
    EXPECT_EQ(layer.RendererBandIndex(), 1);

    const auto other = std::make_shared<TestRaster>(2);
    layer.Raster(other);
    EXPECT_EQ(layer.Renderer(), stretch) << "a stretched renderer is kept and bound to the new raster";
    EXPECT_EQ(stretch->Raster, other);
    EXPECT_EQ(layer.RendererBandIndex(), 0);

    layer.Renderer(nullptr);
    layer.RendererBandIndex(1);
    EXPECT_EQ(layer.RendererBandIndex(), 1) << "without a stretched renderer the layer keeps the band itself";
}

TEST(RasterLayerTest, DrawRevisionFollowsTheLayerAndItsRenderer) {
    RasterLayer layer(std::make_shared<TestRaster>(3));
    uint64_t revision = layer.DrawRevision();
    const auto expect_change = [&](bool changed, const char* what) {
        EXPECT_EQ(layer.DrawRevision() != revision, changed) << what;
        revision = layer.DrawRevision();
    };
    const auto stretch = std::dynamic_pointer_cast<RasterStretchColorRampRenderer>(layer.Renderer());
    stretch->ToColor = Color{255, 0, 0, false};
    stretch->Update();
    expect_change(true, "renderer update");
    layer.RendererBandIndex(2);
    expect_change(true, "band");
    layer.EffectLevel(40);
    expect_change(true, "effect level");
    layer.EffectLevel(40);
    expect_change(false, "same effect level");
    layer.Renderer(std::make_shared<RasterStretchColorRampRenderer>());
    expect_change(true, "new renderer with a lower revision of its own");
}

} // namespace
} // namespace chronova::gis
