#include "gis/layout/legend.h"

#include <gtest/gtest.h>

#include <QColor>
#include <memory>
#include <string>
#include <vector>

#include "gis/drawing/drawing_fixtures.h"
#include "gis/layers/group_layer.h"
#include "gis/map/map.h"

namespace chronova::gis {
namespace {

using testing::FlatLayer;
using testing::ShapesFeatureClass;

std::shared_ptr<FeatureLayer> NamedLayer(const std::string& name, GeometryType type, Color color) {
    auto features = std::make_shared<ShapesFeatureClass>(name, type);
    features->AddPoint(1, 1);
    auto layer = FlatLayer(features, color, 10.0);
    layer->Name(name);
    return layer;
}

std::shared_ptr<FeatureLayer> ClassedLayer(const std::string& name, int classes) {
    auto layer = NamedLayer(name, GeometryType::Point, {0, 0, 0, false});
    auto renderer = std::make_shared<ClassBreaksRenderer>();
    renderer->Field = "T";
    renderer->BreakCount(classes);
    for (int i = 0; i < classes; ++i) {
        renderer->Break(i, 10.0 * (i + 1));
        renderer->Symbol(i, testing::FlatSymbol(GeometryType::Point, {static_cast<uint8_t>(20 * i), 0, 200, false}));
        renderer->Label(i, "class " + std::to_string(i));
    }
    layer->Renderer(renderer);
    return layer;
}

std::vector<std::string> Labels(const LegendSection& section) {
    std::vector<std::string> labels;
    for (const LegendItem& item : section.Items) {
        labels.push_back(item.Label);
    }
    return labels;
}

int CountNear(const QImage& image, QColor colour) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            if (std::abs(pixel.red() - colour.red()) < 40 && std::abs(pixel.green() - colour.green()) < 40 &&
                std::abs(pixel.blue() - colour.blue()) < 40 && pixel.alpha() > 200) {
                ++count;
            }
        }
    }
    return count;
}

// Only what the map draws is listed: hidden layers and the layers of hidden groups are absent, and a visible
// layer lists exactly its renderer's classes.
TEST(LegendTest, ListsTheClassesOfTheVisibleLayersOnly) {
    Map map;
    map.AddLayer(ClassedLayer("Depth", 3));
    auto hidden = NamedLayer("Hidden", GeometryType::Point, {255, 0, 0, false});
    hidden->Visible(false);
    map.AddLayer(hidden);
    auto shown_group = std::make_shared<GroupLayer>("Shown group");
    shown_group->Add(NamedLayer("Roads", GeometryType::Polyline, {0, 0, 255, false}));
    map.AddLayer(shown_group);
    auto hidden_group = std::make_shared<GroupLayer>("Hidden group");
    hidden_group->Add(NamedLayer("Parcels", GeometryType::Polygon, {0, 255, 0, false}));
    hidden_group->Visible(false);
    map.AddLayer(hidden_group);

    // A layer added goes on top, and the legend lists top first.
    const std::vector<LegendSection> sections = LegendSections(map);
    ASSERT_EQ(sections.size(), 2U);
    EXPECT_EQ(sections[0].Layer, "Roads");
    ASSERT_EQ(sections[0].Items.size(), 1U);
    EXPECT_NE(dynamic_cast<const SimpleLineSymbol*>(sections[0].Items[0].Symbol.get()), nullptr);
    EXPECT_EQ(sections[1].Layer, "Depth");
    EXPECT_EQ(Labels(sections[1]), (std::vector<std::string>{"class 0", "class 1", "class 2"}));
}

// Each row shows the real symbol: the marker's, the line's and the fill's colours are in the legend.
TEST(LegendTest, SwatchesDrawTheLayersSymbols) {
    const PieceStyle style = PieceStyle::For({1024, 768});
    for (const auto& [type, colour] :
         {std::pair{GeometryType::Point, QColor(230, 30, 30)}, std::pair{GeometryType::Polyline, QColor(30, 30, 230)},
          std::pair{GeometryType::Polygon, QColor(30, 200, 30)}}) {
        SCOPED_TRACE(colour.name().toStdString());
        const Color symbol_colour{static_cast<uint8_t>(colour.red()), static_cast<uint8_t>(colour.green()),
                                  static_cast<uint8_t>(colour.blue()), false};
        const std::vector<LegendSection> sections = {{"Layer", {{"", testing::FlatSymbol(type, symbol_colour, 8.0)}}}};
        const QImage legend = DrawLegend(sections, style, {400, 400});
        ASSERT_FALSE(legend.isNull());
        EXPECT_GT(CountNear(legend, colour), 10);
    }
}

// A long list is cut to fit its room, and rows stay the same height whatever is cut.
TEST(LegendTest, LongListsAreCutToTheRoomAndPerLayer) {
    const PieceStyle style = PieceStyle::For({1024, 768});
    const std::vector<LegendSection> few = {{"A", LegendItems(*ClassedLayer("A", 3)->Renderer())}};
    const std::vector<LegendSection> many = {{"A", LegendItems(*ClassedLayer("A", 40)->Renderer())}};
    const QImage small = DrawLegend(few, style, {400, 2000});
    // Heading, at most 12 classes and the "more" row.
    const QImage cut_per_layer = DrawLegend(many, style, {400, 2000}, 12);
    ASSERT_FALSE(small.isNull());
    ASSERT_FALSE(cut_per_layer.isNull());
    const int row = (small.height() - 2 * style.Padding) / 4;
    EXPECT_EQ(cut_per_layer.height() - 2 * style.Padding, row * 14);
    // A short room keeps whole rows only.
    const QImage cut_to_room = DrawLegend(many, style, {400, 10 * row});
    ASSERT_FALSE(cut_to_room.isNull());
    EXPECT_LE(cut_to_room.height(), 10 * row);
    EXPECT_LE(cut_to_room.width(), 400);
    // Nothing fits in a room lower than a row.
    EXPECT_TRUE(DrawLegend(many, style, {400, row / 2}).isNull());
    EXPECT_TRUE(DrawLegend({}, style, {400, 400}).isNull());
}

} // namespace
} // namespace chronova::gis
