#include "gis/drawing/marker_images.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <vector>

namespace chronova::gis {
namespace {

SimpleMarkerSymbol Simple(SimpleMarkerStyle style, double size = 10.0) {
    SimpleMarkerSymbol symbol;
    symbol.Style = style;
    symbol.Size = size;
    symbol.MarkerColor = Color{10, 120, 200, false};
    return symbol;
}

CharacterMarkerSymbol Character(const std::string& font, int32_t character, double size = 10.0) {
    CharacterMarkerSymbol symbol;
    symbol.FontName = font;
    symbol.CharacterIndex = character;
    symbol.Size = size;
    return symbol;
}

TEST(MarkerImagesTest, SymbolsShareASheetExactlyWhenTheyLookAlike) {
    MarkerImages images;
    SimpleMarkerSymbol circle = Simple(SimpleMarkerStyle::Circle);
    const auto sheet = images.Sheet(circle);
    circle.Angle = 45.0; // turned per draw, not part of the look
    EXPECT_EQ(images.Sheet(circle), sheet);
    SimpleMarkerSymbol other = circle;
    other.MarkerColor.Green = 121;
    EXPECT_NE(images.Sheet(other), sheet);
    other = circle;
    other.Outline = true;
    EXPECT_NE(images.Sheet(other), sheet);
    EXPECT_NE(images.Sheet(Simple(SimpleMarkerStyle::Circle, 10.5)), sheet);
    EXPECT_NE(images.Sheet(Character("A", 65)), images.Sheet(Character("A", 66)));
    EXPECT_NE(images.Sheet(Character("A", 65)), images.Sheet(Character("B", 65)));
    other.MarkerColor.NullColor = true;
    EXPECT_EQ(images.Sheet(other), nullptr);
    EXPECT_EQ(images.Sheet(Simple(SimpleMarkerStyle::Square, 0.0)), nullptr);
    EXPECT_LE(images.Sheet(Simple(SimpleMarkerStyle::Square, 1e9))->Sprite(0).Image.width(), 260);
}

TEST(MarkerImagesTest, TurnsThatLookAlikeShareAnImage) {
    MarkerImages images;
    const auto same = [](MarkerSheet& sheet, double a, double b) { return &sheet.Sprite(a) == &sheet.Sprite(b); };
    auto arrow = images.Sheet(Character("Chronova No Such Font", 65));
    EXPECT_TRUE(same(*arrow, 10.0, 370.0));
    EXPECT_TRUE(same(*arrow, 10.0, -350.4));
    EXPECT_FALSE(same(*arrow, 10.0, 11.0));
    EXPECT_TRUE(same(*arrow, 0.0, std::numeric_limits<double>::quiet_NaN()));
    EXPECT_TRUE(same(*arrow, 0.0, 1e300));
    EXPECT_TRUE(same(*images.Sheet(Simple(SimpleMarkerStyle::Square)), 10.0, 100.0));
    EXPECT_TRUE(same(*images.Sheet(Simple(SimpleMarkerStyle::Circle)), 0.0, 123.0));
}

// What blending and culling rely on: rows of whole fours of pixels, no colour outside a row's span, and none
// farther from the anchor than the sheet's reach.
TEST(MarkerImagesTest, SpritesKeepTheirColourInsideTheirSpansAndReach) {
    MarkerImages images;
    std::vector<std::shared_ptr<MarkerSheet>> sheets{images.Sheet(Character("", 65, 30.0))};
    for (const auto style : {SimpleMarkerStyle::Circle, SimpleMarkerStyle::Square, SimpleMarkerStyle::Cross,
                             SimpleMarkerStyle::X, SimpleMarkerStyle::Diamond}) {
        SimpleMarkerSymbol outlined = Simple(style, 13.0);
        outlined.Outline = true;
        outlined.OutlineSize = 2.0;
        sheets.push_back(images.Sheet(outlined));
    }
    for (const auto& sheet_pointer : sheets) {
        MarkerSheet& sheet = *sheet_pointer;
        for (int degrees = 0; degrees < 360; degrees += 7) {
            const MarkerSprite& sprite = sheet.Sprite(degrees);
            ASSERT_EQ(sprite.Spans.size(), static_cast<size_t>(sprite.Image.height()));
            EXPECT_EQ(sprite.Image.width() % 4, 0);
            for (int y = 0; y < sprite.Image.height(); ++y) {
                const auto [begin, end] = sprite.Spans[static_cast<size_t>(y)];
                EXPECT_EQ((end - begin) % 4, 0);
                for (int x = 0; x < sprite.Image.width(); ++x) {
                    if (qAlpha(sprite.Image.pixel(x, y)) != 0) {
                        EXPECT_TRUE(x >= begin && x < end) << degrees;
                        EXPECT_LE(std::hypot(x + sprite.Offset.x() + 0.5, y + sprite.Offset.y() + 0.5), sheet.Reach());
                    }
                }
            }
        }
    }
}

} // namespace
} // namespace chronova::gis
