#include <gtest/gtest.h>

#include <limits>
#include <memory>
#include <vector>

#include "gis/symbology/legend_items.h"
#include "gis/symbology/renderers.h"
#include "support/error_number.h"

namespace chronova::gis {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

std::shared_ptr<ISymbol> Fill(Color color) {
    auto fill = std::make_shared<SimpleFillSymbol>();
    fill->FillColor = color;
    return fill;
}

Color FillColorOf(const std::shared_ptr<ISymbol>& symbol) {
    return std::dynamic_pointer_cast<SimpleFillSymbol>(symbol)->FillColor;
}

TEST(QuantileBreaksTest, ClassesHoldEqualSharesOfTheValues) {
    EXPECT_EQ(QuantileBreaks({10, 9, 8, 7, 6, 5, 4, 3, 2, 1}, 5), (std::vector<double>{1, 2, 4, 6, 8, 10}));
    EXPECT_EQ(QuantileBreaks({1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, 2), (std::vector<double>{1, 5, 10}));
    // Nulls do not count.
    EXPECT_EQ(QuantileBreaks({kNaN, 1, 2, kNaN, 3, 4}, 2), (std::vector<double>{1, 2, 4}));
    // Many equal values would give equal breaks; they merge into fewer classes (the first class may hold just the
    // smallest value).
    EXPECT_EQ(QuantileBreaks({1, 1, 1, 1, 1, 1, 1, 1, 2, 9}, 4), (std::vector<double>{1, 1, 9}));
    EXPECT_EQ(QuantileBreaks({1, 1, 1, 1, 2, 3, 4, 5}, 4), (std::vector<double>{1, 1, 3, 5}));
    EXPECT_EQ(QuantileBreaks({3, 3, 3}, 4), (std::vector<double>{3, 3}));
    EXPECT_TRUE(QuantileBreaks({kNaN}, 3).empty());
    EXPECT_TRUE(QuantileBreaks({1, 2}, 0).empty());
}

TEST(QuantileBreaksTest, SetBreaksMakeTheClassesOfARenderer) {
    ClassBreaksRenderer renderer;
    renderer.BreakCount(7);
    renderer.Symbol(6, Fill({}));
    SetClassBreaks(renderer, QuantileBreaks({1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, 2));
    ASSERT_EQ(renderer.BreakCount(), 2);
    EXPECT_EQ(renderer.MinimumBreak, 1);
    EXPECT_EQ(renderer.ClassOf(1), 0);
    EXPECT_EQ(renderer.ClassOf(5), 0);
    EXPECT_EQ(renderer.ClassOf(5.5), 1);
    EXPECT_EQ(renderer.ClassOf(10), 1);
    EXPECT_EQ(renderer.ClassOf(10.5), -1);
    EXPECT_EQ(renderer.Symbol(1), nullptr) << "old symbols are cleared";
}

TEST(UniqueValueRendererTest, ValuesAreListedOnceAndFoundByText) {
    UniqueValueRenderer renderer;
    const uint64_t revision = renderer.Revision();
    renderer.AddValue("residential", Fill({255, 0, 0, false}));
    renderer.AddValue("3", Fill({0, 255, 0, false}), "three");
    renderer.AddValue("residential", Fill({0, 0, 255, false}), "homes");
    EXPECT_GT(renderer.Revision(), revision);
    ASSERT_EQ(renderer.ValueCount(), 2);
    EXPECT_EQ(renderer.IndexOf("residential"), 0);
    EXPECT_EQ(renderer.IndexOf("3"), 1);
    EXPECT_EQ(renderer.IndexOf("Residential"), -1) << "texts match exactly";
    EXPECT_EQ(renderer.IndexOf(UniqueValueText(3.0)), 1) << "the integer 3 is the text 3";
    EXPECT_EQ(FillColorOf(renderer.Symbol(0)), (Color{0, 0, 255, false}));
    EXPECT_EQ(renderer.Label(0), "homes");
    EXPECT_RAISES(renderer.Value(2), 9);
    renderer.RemoveAllValues();
    EXPECT_EQ(renderer.IndexOf("3"), -1);
}

TEST(UniqueValueRendererTest, NumbersAndDatesAreWrittenAsTheirValuesAreTyped) {
    EXPECT_EQ(UniqueValueText(3.0), "3");
    EXPECT_EQ(UniqueValueText(-12.0), "-12");
    EXPECT_EQ(UniqueValueText(-0.0), "0");
    EXPECT_EQ(UniqueValueText(2.5), "2.5");
    EXPECT_EQ(UniqueValueText(0.1), "0.1");
    EXPECT_EQ(UniqueDateText(39508.0), "2008-03-01");
    EXPECT_EQ(UniqueDateText(39508.25), "2008-03-01 06:00:00");
}

TEST(LegendItemsTest, UniqueValuesListEachValueThenTheDefault) {
    UniqueValueRenderer renderer;
    renderer.AddValue("a", Fill({1, 0, 0, false}));
    renderer.AddValue("b", nullptr); // not drawn, not listed
    renderer.AddValue("c", Fill({3, 0, 0, false}), "Sea");
    std::vector<LegendItem> items = LegendItems(renderer);
    ASSERT_EQ(items.size(), 2U);
    EXPECT_EQ(items[0].Label, "a");
    EXPECT_EQ(items[1].Label, "Sea");
    EXPECT_EQ(FillColorOf(items[1].Symbol), (Color{3, 0, 0, false}));
    renderer.DefaultSymbol = Fill({9, 9, 9, false});
    renderer.DefaultLabel = "other";
    items = LegendItems(renderer);
    ASSERT_EQ(items.size(), 3U);
    EXPECT_EQ(items.back().Label, "other");
}

TEST(LegendItemsTest, AMultiStopRampShowsEveryStop) {
    RasterStretchColorRampRenderer renderer;
    std::optional<ColorScale> scale = ColorScaleOf(renderer, 0, 1);
    ASSERT_TRUE(scale);
    EXPECT_EQ(scale->Stops.size(), 2U) << "from and to";
    renderer.Stops = {{0.0, {1, 0, 0, false}}, {0.25, {2, 0, 0, false}}, {1.0, {3, 0, 0, false}}};
    scale = ColorScaleOf(renderer, -5, 5);
    ASSERT_TRUE(scale);
    ASSERT_EQ(scale->Stops.size(), 3U);
    EXPECT_DOUBLE_EQ(scale->Stops[1].Position, 0.25);
    EXPECT_EQ(scale->Stops[1].StopColor, (Color{2, 0, 0, false}));
    EXPECT_FALSE(ColorScaleOf(RasterRGBRenderer{}, 0, 1)) << "an RGB raster has no colour scale";
}

TEST(RecoloredSymbolTest, OnlyTheMainColourChanges) {
    auto marker = std::make_shared<SimpleMarkerSymbol>();
    marker->Size = 11;
    marker->OutlineColor = {5, 5, 5, false};
    const auto copy = std::dynamic_pointer_cast<SimpleMarkerSymbol>(RecoloredSymbol(*marker, {200, 0, 0, false}));
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->MarkerColor, (Color{200, 0, 0, false}));
    EXPECT_EQ(copy->Size, 11);
    EXPECT_EQ(copy->OutlineColor, marker->OutlineColor);
    EXPECT_EQ(marker->MarkerColor, Color{}) << "the original stays";
    auto fill = std::make_shared<SimpleFillSymbol>();
    const auto fill_copy = std::dynamic_pointer_cast<SimpleFillSymbol>(RecoloredSymbol(*fill, {0, 9, 0, false}));
    EXPECT_EQ(fill_copy->FillColor, (Color{0, 9, 0, false}));
    EXPECT_NE(fill_copy->Outline, fill->Outline) << "the outline is copied, not shared";
}

} // namespace
} // namespace chronova::gis
