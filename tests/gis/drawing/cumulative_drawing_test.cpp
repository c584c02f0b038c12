// A time layer that shows its previous steps grows forward by adding rows; the drawer then paints only those rows
// onto the layer's last image. These tests hold every such frame against the layer drawn whole by a fresh drawer.

#include <gtest/gtest.h>

#include <QImage>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "gis/drawing/drawing_fixtures.h"
#include "gis/drawing/map_drawer.h"
#include "gis/map/map.h"

namespace chronova::gis {
namespace {

using testing::Box;
using testing::ShapesFeatureClass;

constexpr QSize kSize{200, 160};
constexpr Envelope kExtent{0, 0, 200, 160};
constexpr int32_t kSteps = 12;

// Circles with a dark outline, so that where two overlap the one drawn last shows on top.
std::shared_ptr<ISymbol> OutlinedCircle(Color fill) {
    auto circle = std::make_shared<SimpleMarkerSymbol>();
    circle->MarkerColor = fill;
    circle->Size = 9.0;
    circle->Outline = true;
    circle->OutlineColor = Color{20, 20, 20, false};
    return circle;
}

// `per_step` features for each of the steps T = 1 .. kSteps, in time order, at random places over the extent.
std::shared_ptr<ShapesFeatureClass> Features(GeometryType type, int per_step, uint32_t seed = 7) {
    auto features = std::make_shared<ShapesFeatureClass>("features", type);
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> x(-5.0, 205.0);
    std::uniform_real_distribution<double> y(-5.0, 165.0);
    for (int32_t t = 1; t <= kSteps; ++t) {
        for (int i = 0; i < per_step; ++i) {
            const double left = x(random);
            const double bottom = y(random);
            switch (type) {
            case GeometryType::Polyline:
                features->Add({{{left, bottom}, {left + 30.0, bottom + 12.0}, {left + 18.0, bottom - 20.0}}}, t);
                break;
            case GeometryType::Polygon:
                features->Add({Box(left, bottom, left + 25.0, bottom + 15.0)}, t);
                break;
            default:
                features->AddPoint(left, bottom, t);
                break;
            }
        }
    }
    return features;
}

std::shared_ptr<FeatureLayer> LayerOf(std::shared_ptr<ShapesFeatureClass> features) {
    const GeometryType type = features->ShapeType();
    auto layer = std::make_shared<FeatureLayer>(std::move(features));
    auto renderer = std::make_shared<SimpleRenderer>();
    if (type == GeometryType::Point) {
        renderer->Symbol = OutlinedCircle(Color{230, 120, 30, false});
    } else if (type == GeometryType::Polyline) {
        auto line = std::make_shared<SimpleLineSymbol>();
        line->LineColor = Color{40, 90, 200, false};
        line->Width = 3.0;
        renderer->Symbol = line;
    } else {
        auto fill = std::make_shared<SimpleFillSymbol>();
        fill->FillColor = Color{60, 170, 90, false};
        fill->Outline->LineColor = Color{30, 30, 30, false};
        fill->Outline->Width = 1.5;
        renderer->Symbol = fill;
    }
    layer->Renderer(renderer);
    layer->FollowsGrowth(true);
    return layer;
}

// The map as a drawer with no images yet draws it: every layer whole.
QImage DrawnWhole(const std::shared_ptr<Map>& map, QSize size = kSize, Envelope extent = kExtent) {
    return MapDrawer(map).Draw(size, extent);
}

std::string UpTo(int32_t t) {
    return "T <= " + std::to_string(t);
}

struct CumulativeMap {
    explicit CumulativeMap(std::shared_ptr<FeatureLayer> shown) : layer(std::move(shown)) { map->AddLayer(layer); }

    // Shows the steps up to t and checks the frame against one drawn whole; tells whether the layer was only
    // added to.
    bool StepTo(int32_t t, const std::string& other_terms = {}) {
        layer->DefinitionExpression(other_terms + UpTo(t));
        const int64_t appends = drawer.AppendCount(*layer);
        const int64_t draws = drawer.DrawCount(*layer);
        const QImage frame = drawer.Draw(kSize, kExtent);
        EXPECT_EQ(frame, DrawnWhole(map)) << "step " << t;
        EXPECT_EQ(drawer.DrawCount(*layer), draws + 1);
        return drawer.AppendCount(*layer) > appends;
    }

    std::shared_ptr<Map> map = std::make_shared<Map>();
    std::shared_ptr<FeatureLayer> layer;
    MapDrawer drawer{map};
};

TEST(CumulativeDrawingTest, ForwardStepsAddToTheImageAndMatchWholeDrawings) {
    // Few points (drawn one by one), more (drawn in bands of rows), points so dense that markers reaching into
    // the next band land on markers already there; lines and polygons, which overlap everywhere.
    const std::vector<std::pair<GeometryType, int>> cases{{GeometryType::Point, 30},
                                                          {GeometryType::Point, 60},
                                                          {GeometryType::Point, 900},
                                                          {GeometryType::Polyline, 40},
                                                          {GeometryType::Polygon, 40}};
    for (const auto& [type, per_step] : cases) {
        SCOPED_TRACE(::testing::Message() << "type " << static_cast<int>(type) << ", " << per_step << " a step");
        CumulativeMap cumulative(LayerOf(Features(type, per_step)));
        EXPECT_FALSE(cumulative.StepTo(1));
        int appended = 0;
        for (int32_t t = 2; t <= kSteps; ++t) {
            appended += cumulative.StepTo(t) ? 1 : 0;
        }
        EXPECT_EQ(appended, kSteps - 1);
    }
}

TEST(CumulativeDrawingTest, ClassesOfAppendedRowsComeFromTheirOwnValues) {
    CumulativeMap cumulative(LayerOf(Features(GeometryType::Point, 50)));
    auto classes = std::make_shared<ClassBreaksRenderer>();
    classes->Field = "T";
    classes->MinimumBreak = 0;
    classes->BreakCount(3);
    const std::vector<Color> colors{{200, 30, 30, false}, {30, 160, 30, false}, {30, 30, 200, false}};
    for (int32_t i = 0; i < 3; ++i) {
        classes->Break(i, 4.0 * (i + 1));
        classes->Symbol(i, OutlinedCircle(colors[static_cast<size_t>(i)]));
    }
    cumulative.layer->Renderer(classes);
    EXPECT_FALSE(cumulative.StepTo(2));
    EXPECT_TRUE(cumulative.StepTo(6));
    EXPECT_TRUE(cumulative.StepTo(11));
}

TEST(CumulativeDrawingTest, BackwardStepsJumpsBackAndOtherChangesDrawWhole) {
    CumulativeMap cumulative(LayerOf(Features(GeometryType::Point, 40)));
    EXPECT_FALSE(cumulative.StepTo(3));
    EXPECT_TRUE(cumulative.StepTo(4));
    // A jump forward only lets rows in.
    EXPECT_TRUE(cumulative.StepTo(9));
    EXPECT_FALSE(cumulative.StepTo(8));
    EXPECT_FALSE(cumulative.StepTo(2));
    EXPECT_TRUE(cumulative.StepTo(3));

    // A new renderer, a renderer's changed symbol, labels.
    auto renderer = std::make_shared<SimpleRenderer>();
    renderer->Symbol = OutlinedCircle(Color{120, 40, 160, false});
    cumulative.layer->Renderer(renderer);
    EXPECT_FALSE(cumulative.StepTo(4));
    renderer->Symbol = OutlinedCircle(Color{40, 160, 160, false});
    renderer->Touch();
    EXPECT_FALSE(cumulative.StepTo(5));
    EXPECT_TRUE(cumulative.StepTo(6));

    // Another extent, then another size: drawn whole, and added to from there.
    MapDrawer& drawer = cumulative.drawer;
    const int64_t appends = drawer.AppendCount(*cumulative.layer);
    cumulative.layer->DefinitionExpression(UpTo(7));
    const Envelope zoomed{20, 20, 120, 100};
    EXPECT_EQ(drawer.Draw(kSize, zoomed), DrawnWhole(cumulative.map, kSize, zoomed));
    cumulative.layer->DefinitionExpression(UpTo(8));
    EXPECT_EQ(drawer.Draw(QSize(150, 90), zoomed), DrawnWhole(cumulative.map, QSize(150, 90), zoomed));
    EXPECT_EQ(drawer.AppendCount(*cumulative.layer), appends);
    cumulative.layer->DefinitionExpression(UpTo(9));
    EXPECT_EQ(drawer.Draw(QSize(150, 90), zoomed), DrawnWhole(cumulative.map, QSize(150, 90), zoomed));
    EXPECT_EQ(drawer.AppendCount(*cumulative.layer), appends + 1);
}

TEST(CumulativeDrawingTest, RowsOutOfTimeOrderAreDrawnInTimeOrderAndAddedTo) {
    // The same features with their rows shuffled: later steps' rows fall between earlier ones. The layer draws
    // them by time, so rows let in later still go on top, in a whole drawing as when added.
    const auto ordered = Features(GeometryType::Point, 60);
    auto shuffled = std::make_shared<ShapesFeatureClass>("shuffled", GeometryType::Point);
    std::vector<uint32_t> rows(ordered->Shapes()->FeatureCount());
    for (uint32_t row = 0; row < rows.size(); ++row) {
        rows[row] = row;
    }
    std::shuffle(rows.begin(), rows.end(), std::mt19937(3));
    const auto& shapes = *ordered->Shapes();
    for (const uint32_t row : rows) {
        const uint32_t at = shapes.PartOffsets[shapes.FeatureParts[row]];
        shuffled->AddPoint(shapes.X[at], shapes.Y[at], static_cast<int32_t>(ordered->Data()->ColumnAt(0).Number(row)));
    }
    CumulativeMap cumulative(LayerOf(shuffled));
    EXPECT_FALSE(cumulative.StepTo(1));
    for (int32_t t = 2; t <= kSteps; ++t) {
        EXPECT_TRUE(cumulative.StepTo(t));
    }
}

TEST(CumulativeDrawingTest, AHiddenLayerComesBackAddedTo) {
    CumulativeMap cumulative(LayerOf(Features(GeometryType::Polygon, 30)));
    auto cover = std::make_shared<FeatureLayer>(Features(GeometryType::Point, 20, 11));
    cumulative.map->AddLayer(cover);
    EXPECT_FALSE(cumulative.StepTo(2));
    cumulative.layer->Visible(false);
    for (int32_t t = 3; t <= 6; ++t) {
        cumulative.layer->DefinitionExpression(UpTo(t));
        EXPECT_EQ(cumulative.drawer.Draw(kSize, kExtent), DrawnWhole(cumulative.map));
    }
    cumulative.layer->Visible(true);
    EXPECT_TRUE(cumulative.StepTo(7));
    // Hidden while the view changed: its image shows another view, so it is drawn whole on its return.
    cumulative.layer->Visible(false);
    EXPECT_EQ(cumulative.drawer.Draw(kSize, Envelope{0, 0, 100, 80}),
              DrawnWhole(cumulative.map, kSize, {0, 0, 100, 80}));
    EXPECT_EQ(cumulative.drawer.Draw(kSize, kExtent), DrawnWhole(cumulative.map));
    cumulative.layer->Visible(true);
    EXPECT_FALSE(cumulative.StepTo(8));
}

TEST(CumulativeDrawingTest, AnExpressionOfTheUserKeepsApplyingToAddedRows) {
    CumulativeMap cumulative(LayerOf(Features(GeometryType::Point, 40)));
    // Only even steps, the user's own condition, with the time bound after it.
    const std::string even = "(T = 2 OR T = 4 OR T = 6 OR T = 8 OR T = 10) AND ";
    EXPECT_FALSE(cumulative.StepTo(1, even));
    for (int32_t t = 2; t <= 10; ++t) {
        EXPECT_TRUE(cumulative.StepTo(t, even)) << t;
    }
    // The user's condition changes: the rows shown are no longer those shown before plus new ones.
    EXPECT_FALSE(cumulative.StepTo(11, "T <> 4 AND "));
    EXPECT_TRUE(cumulative.StepTo(12, "T <> 4 AND "));
}

TEST(CumulativeDrawingTest, ALayerThatDoesNotFollowGrowthDrawsInRowOrderAsAlways) {
    // Rows out of time order under an upper bound the user set: drawn as a layer without an expression draws
    // them, in row order, however the bound moves.
    const auto ordered = Features(GeometryType::Point, 60);
    auto shuffled = std::make_shared<ShapesFeatureClass>("shuffled", GeometryType::Point);
    const auto& shapes = *ordered->Shapes();
    for (uint32_t row = static_cast<uint32_t>(shapes.FeatureCount()); row-- > 0;) {
        const uint32_t at = shapes.PartOffsets[shapes.FeatureParts[row]];
        shuffled->AddPoint(shapes.X[at], shapes.Y[at], static_cast<int32_t>(ordered->Data()->ColumnAt(0).Number(row)));
    }
    auto bounded = LayerOf(shuffled);
    bounded->FollowsGrowth(false);
    auto plain = LayerOf(shuffled);
    plain->FollowsGrowth(false);
    auto bounded_map = std::make_shared<Map>();
    bounded_map->AddLayer(bounded);
    auto plain_map = std::make_shared<Map>();
    plain_map->AddLayer(plain);
    MapDrawer drawer(bounded_map);
    for (int32_t t = kSteps - 1; t <= kSteps; ++t) {
        bounded->DefinitionExpression(UpTo(t));
        EXPECT_FALSE(bounded->GrowsByAppending());
        EXPECT_EQ(drawer.Draw(kSize, kExtent), DrawnWhole(t == kSteps ? plain_map : bounded_map));
    }
    EXPECT_EQ(drawer.AppendCount(*bounded), 0);
    // Following growth from now on draws the rows by time: the newest steps' markers end up on top.
    const uint64_t before = bounded->DrawRevision();
    bounded->FollowsGrowth(true);
    EXPECT_NE(bounded->DrawRevision(), before);
    EXPECT_TRUE(bounded->GrowsByAppending());
    EXPECT_NE(drawer.Draw(kSize, kExtent), DrawnWhole(plain_map));
}

TEST(FeatureLayerGrowthTest, TellsTheRowsLetInOnlyWhileTheExpressionOnlyGrows) {
    auto layer = LayerOf(Features(GeometryType::Point, 3));
    layer->DefinitionExpression(UpTo(2));
    const uint64_t at_two = layer->DrawRevision();
    EXPECT_EQ(layer->VisibleFeatures()->size(), 6u);
    EXPECT_EQ(layer->VisibleFeaturesInGrowthOrder(), *layer->VisibleFeatures());
    layer->DefinitionExpression(UpTo(4));
    EXPECT_EQ(layer->RowsAppendedSince(at_two), (RowIds{6, 7, 8, 9, 10, 11}));
    const uint64_t at_four = layer->DrawRevision();
    layer->DefinitionExpression(UpTo(5));
    EXPECT_EQ(layer->RowsAppendedSince(at_four), (RowIds{12, 13, 14}));
    EXPECT_EQ(layer->RowsAppendedSince(at_two), (RowIds{6, 7, 8, 9, 10, 11, 12, 13, 14}));
    EXPECT_EQ(layer->RowsAppendedSince(layer->DrawRevision()), RowIds{});
    // Labels change what is drawn; a step back lets rows out.
    layer->Labels(LabelSettings{});
    EXPECT_FALSE(layer->RowsAppendedSince(at_four));
    const uint64_t labelled = layer->DrawRevision();
    layer->DefinitionExpression(UpTo(3));
    EXPECT_FALSE(layer->RowsAppendedSince(labelled));
    // Another field's bound, or a lower bound, is another expression.
    layer->DefinitionExpression("T >= 3");
    const uint64_t from_three = layer->DrawRevision();
    layer->DefinitionExpression("T >= 2");
    EXPECT_FALSE(layer->RowsAppendedSince(from_three));
}

} // namespace
} // namespace chronova::gis
