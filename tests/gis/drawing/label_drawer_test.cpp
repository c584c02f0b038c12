#include "gis/drawing/label_drawer.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "drawing_fixtures.h"
#include "gis/data/memory_table.h"
#include "gis/drawing/feature_drawer.h"
#include "gis/drawing/label_anchors.h"
#include "gis/drawing/label_images.h"
#include "gis/drawing/label_values.h"
#include "gis/host_errors.h"
#include "platform/date_text.h"

namespace chronova::gis {
namespace {

using testing::Box;
using testing::FlatLayer;
using testing::Part;
using testing::ShapesFeatureClass;

constexpr Color kMarkerRed{200, 30, 30, false};
constexpr Color kWater{40, 80, 200, false};
constexpr Color kBlack{0, 0, 0, false};

// Points with a text field NAME, each drawn as a small red square.
struct Places {
    std::shared_ptr<ShapesFeatureClass> points = std::make_shared<ShapesFeatureClass>("Places", GeometryType::Point);
    Column& names = points->Columns().AddField({"NAME", "", FieldType::String});
    Column& sizes = points->Columns().AddField({"POP", "", FieldType::Double});

    void Add(double x, double y, const std::string& name, double population = 0.0) {
        points->AddPoint(x, y);
        names.AppendText(name);
        sizes.AppendReal(population);
    }
    std::shared_ptr<FeatureLayer> Layer(LabelSettings labels) const {
        auto layer = FlatLayer(points, kMarkerRed, 4.0);
        layer->Labels(std::move(labels));
        return layer;
    }
};

// Black text without a halo, so that every dark pixel is a letter.
LabelSettings PlainLabels(const std::string& field = "NAME") {
    LabelSettings labels;
    labels.Field = field;
    labels.TextColor = kBlack;
    labels.Halo = false;
    return labels;
}

// Draws the layer (features, then labels) on white; map units are pixels, y upwards.
QImage Render(const FeatureLayer& layer, int width, int height) {
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    DrawFeatureLayer(painter, ViewTransform(Envelope{0.0, 0.0, 1.0 * width, 1.0 * height}, width, height), layer,
                     *layer.FeatureClass()->Shapes());
    return image;
}

bool Dark(QRgb pixel) {
    return qRed(pixel) < 110 && qGreen(pixel) < 110 && qBlue(pixel) < 110;
}

bool Whitish(QRgb pixel) {
    return qRed(pixel) > 230 && qGreen(pixel) > 230 && qBlue(pixel) > 230;
}

// The smallest rectangle of the image's dark pixels, and how many there are.
struct Ink {
    QRect Bounds;
    int Count = 0;
};
Ink DarkInk(const QImage& image) {
    Ink ink;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (Dark(image.pixel(x, y))) {
                ink.Bounds = ink.Bounds.united(QRect(x, y, 1, 1));
                ++ink.Count;
            }
        }
    }
    return ink;
}

TEST(LabelDrawerTest, APointsLabelSitsAtTheUpperRightOfItsMarker) {
    Places places;
    places.Add(60.0, 50.0, "Harbour");
    const QImage image = Render(*places.Layer(PlainLabels()), 200, 100);
    const Ink ink = DarkInk(image);
    ASSERT_GT(ink.Count, 20);
    // Image y grows downwards: the point is at row 50. The text starts just right of the 4-point marker (a
    // reach of about 4 pixels) and ends above the point.
    EXPECT_GE(ink.Bounds.left(), 62);
    EXPECT_LE(ink.Bounds.left(), 70);
    EXPECT_LE(ink.Bounds.bottom(), 48);
    EXPECT_GE(ink.Bounds.bottom(), 38);
    EXPECT_GT(ink.Bounds.width(), 30); // seven letters
    // The marker is still drawn, and no letter covers it.
    EXPECT_EQ(image.pixel(60, 50), qRgb(200, 30, 30));

    auto layer = places.Layer(PlainLabels());
    layer->Labels(std::nullopt);
    EXPECT_EQ(DarkInk(Render(*layer, 200, 100)).Count, 0);
}

TEST(LabelDrawerTest, PointsAtOnePlaceShareItsFourLabelPlacesAndTheRestGoUnlabelled) {
    const auto ink_of = [](int count) {
        Places places;
        for (int i = 0; i < count; ++i) {
            places.Add(100.0, 50.0, "Quay");
        }
        return DarkInk(Render(*places.Layer(PlainLabels()), 200, 100));
    };
    const Ink one = ink_of(1);
    const Ink two = ink_of(2);
    const Ink four = ink_of(4);
    const Ink five = ink_of(5);
    ASSERT_GT(one.Count, 10);
    // Labels never overlap: each label adds its whole ink.
    EXPECT_EQ(two.Count, 2 * one.Count);
    EXPECT_EQ(four.Count, 4 * one.Count);
    // The second goes to the upper left of the point, the first staying at the upper right.
    EXPECT_LT(two.Bounds.left(), 100 - one.Bounds.width());
    EXPECT_EQ(two.Bounds.right(), one.Bounds.right());
    // The lower corners are taken by the third and fourth; a fifth has no place left.
    EXPECT_GT(four.Bounds.bottom(), 60);
    EXPECT_EQ(five.Count, four.Count);
}

TEST(LabelDrawerTest, ALabelThatWouldLeaveTheImageMovesInsideOrIsLeftOut) {
    Places near_right;
    near_right.Add(195.0, 50.0, "Lighthouse");
    const Ink moved = DarkInk(Render(*near_right.Layer(PlainLabels()), 200, 100));
    ASSERT_GT(moved.Count, 10);
    EXPECT_LT(moved.Bounds.right(), 195); // at the upper left instead

    Places top_corner;
    top_corner.Add(195.0, 97.0, "Lighthouse");
    const Ink below = DarkInk(Render(*top_corner.Layer(PlainLabels()), 200, 100));
    ASSERT_GT(below.Count, 10);
    EXPECT_GT(below.Bounds.top(), 3); // only the lower left has room
    EXPECT_LT(below.Bounds.right(), 195);

    Places cramped;
    cramped.Add(20.0, 10.0, "A name far too long for this image");
    EXPECT_EQ(DarkInk(Render(*cramped.Layer(PlainLabels()), 40, 20)).Count, 0);
}

TEST(LabelDrawerTest, TheCapAndThePriorityFieldDecideWhichLabelsAreDrawn) {
    Places places;
    places.Add(30.0, 30.0, "Alpha");
    places.Add(100.0, 30.0, "Bravo");
    places.Add(170.0, 30.0, "Delta");
    LabelSettings capped = PlainLabels();
    capped.MaxLabels = 2;
    const Ink two = DarkInk(Render(*places.Layer(capped), 220, 60));
    EXPECT_LT(two.Bounds.right(), 170); // the first two in drawing order

    // Two points at one place in an image with room for one label only (at the upper right): the larger priority
    // value wins.
    Places rivals;
    rivals.Add(6.0, 10.0, "I", 10.0);
    rivals.Add(6.0, 10.0, "WWWWWW", 500.0);
    LabelSettings by_population = PlainLabels();
    by_population.PriorityField = "POP";
    const Ink wide = DarkInk(Render(*rivals.Layer(by_population), 120, 40));
    EXPECT_GT(wide.Bounds.width(), 30);
    by_population.PriorityField = "";
    const Ink narrow = DarkInk(Render(*rivals.Layer(by_population), 120, 40));
    EXPECT_GT(narrow.Count, 0);
    EXPECT_LT(narrow.Bounds.width(), 6);
}

TEST(LabelDrawerTest, TheHaloOutlinesTheLettersInItsColour) {
    // A blue polygon over the whole image, its label in black.
    auto water = std::make_shared<ShapesFeatureClass>("Water", GeometryType::Polygon);
    Column& names = water->Columns().AddField({"NAME", "", FieldType::String});
    water->Add({Box(0.0, 0.0, 200.0, 100.0)});
    names.AppendText("Lake");
    auto layer = FlatLayer(water, kWater);
    LabelSettings labels = PlainLabels();
    labels.Size = 14.0;
    layer->Labels(labels);
    const auto whitish = [](const QImage& image) {
        int count = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                count += Whitish(image.pixel(x, y)) ? 1 : 0;
            }
        }
        return count;
    };
    const QImage plain = Render(*layer, 200, 100);
    EXPECT_EQ(whitish(plain), 0);
    labels.Halo = true;
    labels.HaloWidth = 1.5;
    layer->Labels(labels);
    const QImage haloed = Render(*layer, 200, 100);
    const Ink ink = DarkInk(haloed);
    ASSERT_GT(ink.Count, 20);
    EXPECT_GT(whitish(haloed), ink.Count / 2);
    // The halo hugs the letters: no white beyond a few pixels around them, and the text is centred on the lake.
    const QRect around = ink.Bounds.adjusted(-4, -4, 4, 4);
    for (int y = 0; y < haloed.height(); ++y) {
        for (int x = 0; x < haloed.width(); ++x) {
            if (Whitish(haloed.pixel(x, y))) {
                ASSERT_TRUE(around.contains(x, y)) << x << "," << y;
            }
        }
    }
    EXPECT_NEAR(ink.Bounds.center().x(), 100, 3);
    EXPECT_NEAR(ink.Bounds.center().y(), 50, 3);
}

TEST(LabelDrawerTest, ALinesLabelGoesAboveItsMiddle) {
    auto roads = std::make_shared<ShapesFeatureClass>("Roads", GeometryType::Polyline);
    Column& names = roads->Columns().AddField({"NAME", "", FieldType::String});
    roads->Add({{{20.0, 40.0}, {60.0, 40.0}, {180.0, 40.0}}});
    names.AppendText("Main St");
    auto layer = FlatLayer(roads, kMarkerRed, 1.0);
    layer->Labels(PlainLabels());
    const Ink ink = DarkInk(Render(*layer, 200, 100));
    ASSERT_GT(ink.Count, 10);
    EXPECT_NEAR(ink.Bounds.center().x(), 100, 3); // half the length, not the middle vertex at 60
    EXPECT_LT(ink.Bounds.bottom(), 60);           // the line is at row 60
    EXPECT_GT(ink.Bounds.bottom(), 48);
}

TEST(LabelDrawerTest, LabelAnchorsFollowTheShape) {
    GeometryColumn shapes;
    const auto add = [&](const std::vector<Part>& parts) {
        for (const Part& part : parts) {
            for (const auto& [x, y] : part) {
                shapes.AddCoordinate(x, y);
            }
            shapes.EndPart();
        }
        shapes.EndFeature();
    };
    add({{{5.0, 6.0}}});
    add({{{0.0, 0.0}, {1.0, 0.0}}, {{0.0, 10.0}, {0.0, 20.0}, {8.0, 20.0}}}); // the longer second part
    add({});
    const auto point = LabelAnchor(shapes, 0, GeometryType::Point);
    ASSERT_TRUE(point);
    EXPECT_EQ(point->X, 5.0);
    EXPECT_EQ(point->Y, 6.0);
    const auto middle = LabelAnchor(shapes, 1, GeometryType::Polyline);
    ASSERT_TRUE(middle);
    EXPECT_DOUBLE_EQ(middle->X, 0.0);
    EXPECT_DOUBLE_EQ(middle->Y, 19.0); // 9 of 18 along: 10 up, then 8 across
    EXPECT_FALSE(LabelAnchor(shapes, 2, GeometryType::Point));
    EXPECT_FALSE(LabelAnchor(shapes, 7, GeometryType::Point));
    // Shapes of unknown type: a single coordinate is a point, more make a line.
    shapes.Type = GeometryType::Null;
    EXPECT_DOUBLE_EQ(LabelAnchor(shapes, 1, GeometryType::Null)->Y, 19.0);
}

TEST(LabelDrawerTest, APolygonsLabelPointLiesInsideEvenWhenItsCentroidDoesNot) {
    GeometryColumn shapes;
    const auto add = [&](const std::vector<Part>& parts) {
        for (const Part& part : parts) {
            for (const auto& [x, y] : part) {
                shapes.AddCoordinate(x, y);
            }
            shapes.EndPart();
        }
        shapes.EndFeature();
    };
    // A U: its centroid (15, 13.6) lies in the notch.
    add({{{0, 0}, {30, 0}, {30, 30}, {20, 30}, {20, 10}, {10, 10}, {10, 30}, {0, 30}, {0, 0}}});
    // A square around a square hole: the centroid is in the hole.
    add({Box(0, 0, 30, 30), Box(10, 10, 20, 20)});
    // A square: its centroid; the same in large coordinates, where precision matters.
    add({Box(0, 0, 10, 20)});
    add({Box(3.0e6, 5.0e6, 3.0e6 + 10, 5.0e6 + 20)});
    // Two islands: the larger one holds the label.
    add({Box(0, 0, 2, 2), Box(50, 50, 60, 60)});

    const auto u = PolygonLabelPoint(shapes, 0);
    ASSERT_TRUE(u);
    const bool in_an_arm = u->Y > 10.0 && u->Y < 30.0 && ((u->X > 0 && u->X < 10) || (u->X > 20 && u->X < 30));
    EXPECT_TRUE(in_an_arm || (u->Y > 0 && u->Y < 10)) << u->X << "," << u->Y;
    EXPECT_FALSE(u->X > 10 && u->X < 20 && u->Y > 10) << "in the notch";

    const auto ring = PolygonLabelPoint(shapes, 1);
    ASSERT_TRUE(ring);
    EXPECT_FALSE(ring->X > 10 && ring->X < 20 && ring->Y > 10 && ring->Y < 20) << "in the hole";
    EXPECT_TRUE(ring->X > 0 && ring->X < 30 && ring->Y > 0 && ring->Y < 30);

    EXPECT_DOUBLE_EQ(PolygonLabelPoint(shapes, 2)->X, 5.0);
    EXPECT_DOUBLE_EQ(PolygonLabelPoint(shapes, 2)->Y, 10.0);
    EXPECT_NEAR(PolygonLabelPoint(shapes, 3)->X, 3.0e6 + 5, 1e-6);
    EXPECT_NEAR(PolygonLabelPoint(shapes, 3)->Y, 5.0e6 + 10, 1e-6);
    EXPECT_DOUBLE_EQ(PolygonLabelPoint(shapes, 4)->X, 55.0);
}

TEST(LabelDrawerTest, AConcavePolygonIsLabelledOnItsOwnArea) {
    auto fields = std::make_shared<ShapesFeatureClass>("Fields", GeometryType::Polygon);
    Column& names = fields->Columns().AddField({"NAME", "", FieldType::String});
    // A U 180 wide whose notch (x 40..140, y 30..100) holds its centroid.
    fields->Add({{{10, 0}, {170, 0}, {170, 100}, {140, 100}, {140, 30}, {40, 30}, {40, 100}, {10, 100}, {10, 0}}});
    names.AppendText("X");
    auto layer = FlatLayer(fields, kWater);
    layer->Labels(PlainLabels());
    const Ink ink = DarkInk(Render(*layer, 180, 100));
    ASSERT_GT(ink.Count, 3);
    // Image rows grow downwards: the notch is rows 0..70 between columns 40 and 140.
    const QPoint centre = ink.Bounds.center();
    EXPECT_FALSE(centre.x() > 40 && centre.x() < 140 && centre.y() < 70) << centre.x() << "," << centre.y();
}

TEST(LabelDrawerTest, ValuesReadAsTheHostWritesThemThroughJoinsToo) {
    auto ships = std::make_shared<ShapesFeatureClass>("Ships", GeometryType::Point);
    Column& key = ships->Columns().AddField({"KEY", "", FieldType::Integer});
    Column& speed = ships->Columns().AddField({"SPEED", "", FieldType::Double});
    Column& seen = ships->Columns().AddField({"SEEN", "", FieldType::Date});
    const double date = 39508.25; // 1 March 2008, 6:00
    for (int i = 0; i < 3; ++i) {
        ships->AddPoint(20.0 + 40.0 * i, 50.0);
        key.AppendInteger(i + 1);
    }
    speed.AppendReal(2.5);
    speed.AppendReal(12.0);
    speed.AppendNull();
    seen.AppendReal(date);
    seen.AppendNull();
    seen.AppendNull();

    FeatureLayer layer(ships);
    const RowIds visible = *layer.VisibleFeatures();
    const LabelValues speeds(layer, "SPEED", visible);
    EXPECT_EQ(speeds.Text(0), "2.5");
    EXPECT_EQ(speeds.Text(1), "12");
    EXPECT_EQ(speeds.Text(2), "");
    EXPECT_EQ(LabelValues(layer, "KEY", visible).Text(2), "3");
    EXPECT_EQ(LabelValues(layer, "SEEN", visible).Text(0), platform::DateToText(platform::Date(date)));
    EXPECT_TRUE(LabelValues(layer, "NOPE", visible).Missing());

    // Names of the joined table, in another order than the ships'; none for the ship with key 2.
    auto names = std::make_shared<ColumnTable>("REGISTER");
    Column& key_ref = names->AddField({"KEY_REF", "", FieldType::Integer});
    Column& name = names->AddField({"SHIP_NAME", "", FieldType::String});
    for (const auto& [k, n] : {std::pair{3, "Vega"}, {1, "Orion"}}) {
        key_ref.AppendInteger(k);
        name.AppendText(n);
    }
    auto relationship = std::make_shared<MemoryRelationshipClass>();
    relationship->Origin = ships;
    relationship->OriginKey = "KEY";
    relationship->Destination = std::make_shared<MemoryTable>(names);
    relationship->DestinationKey = "KEY_REF";
    layer.DisplayRelationshipClass(relationship, JoinType::LeftOuterJoin);
    const RowIds joined_visible = *layer.VisibleFeatures();
    ASSERT_EQ(joined_visible.size(), 3u);
    const LabelValues joined(layer, "SHIP_NAME", joined_visible);
    EXPECT_EQ(joined.Text(0), "Orion");
    EXPECT_EQ(joined.Text(1), "");
    EXPECT_EQ(joined.Text(2), "Vega");

    // Drawn: two labels, none for the ship without a name.
    LabelSettings labels = PlainLabels("SHIP_NAME");
    layer.Labels(labels);
    QImage image(140, 100, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        DrawFeatureLabels(painter, ViewTransform(Envelope{0.0, 0.0, 140.0, 100.0}, 140, 100), layer, *ships->Shapes());
    }
    const auto ink_between = [&](int from, int to) { return DarkInk(image.copy(from, 0, to - from, 100)).Count; };
    EXPECT_GT(ink_between(20, 58), 10);
    EXPECT_EQ(ink_between(60, 98), 0);
    EXPECT_GT(ink_between(100, 140), 10);
}

TEST(LabelDrawerTest, AMissingLabelFieldIsReportedAndTheFeaturesStillDraw) {
    Places places;
    places.Add(60.0, 50.0, "Harbour");
    ClearHostErrors();
    const QImage image = Render(*places.Layer(PlainLabels("TOWN")), 200, 100);
    EXPECT_EQ(DarkInk(image).Count, 0);
    EXPECT_EQ(image.pixel(60, 50), qRgb(200, 30, 30));
    const auto errors = RecentHostErrors();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(errors[0].find("'TOWN'"), std::string::npos);
    EXPECT_NE(errors[0].find("'Places'"), std::string::npos);
}

TEST(LabelDrawerTest, LabelSettingsCountAsADrawingChangeOnly) {
    Places places;
    places.Add(60.0, 50.0, "Harbour");
    auto layer = places.Layer(PlainLabels());
    const uint64_t drawn = layer->DrawRevision();
    const uint64_t data = layer->DataRevision();
    layer->Labels(PlainLabels());
    EXPECT_EQ(layer->DrawRevision(), drawn);
    LabelSettings bigger = PlainLabels();
    bigger.Size = 12.0;
    layer->Labels(bigger);
    EXPECT_GT(layer->DrawRevision(), drawn);
    EXPECT_EQ(layer->DataRevision(), data);
}

TEST(LabelImagesTest, LabelsAreKeptAcrossFramesUntilTheCacheOutgrowsItsLimit) {
    LabelImages images(20000);
    LabelStyle style;
    style.HaloPixels = 2.0;
    const MarkerSprite* first_sprite = nullptr;
    {
        LabelImages::Frame frame(images, style);
        LabelImages::Label& harbour = frame.Find("Harbour");
        EXPECT_GT(harbour.Width, frame.Find("H").Width);
        EXPECT_EQ(harbour.Height, frame.Height());
        first_sprite = &frame.Sprite(harbour);
        EXPECT_EQ(first_sprite->Image.size(), QSize(harbour.Width, harbour.Height));
    }
    {
        // The next frame blits the same image; another style is another label.
        LabelImages::Frame frame(images, style);
        EXPECT_EQ(&frame.Sprite(frame.Find("Harbour")), first_sprite);
    }
    {
        LabelStyle red = style;
        red.TextColor = qRgb(200, 0, 0);
        LabelImages::Frame frame(images, red);
        EXPECT_NE(&frame.Sprite(frame.Find("Harbour")), first_sprite);
    }
    EXPECT_EQ(images.Count(), 3u);
    // A frame of many labels keeps them all while it lasts, then the cache sheds the oldest down to its limit.
    {
        LabelImages::Frame frame(images, style);
        std::vector<const MarkerSprite*> sprites;
        for (int i = 0; i < 100; ++i) {
            sprites.push_back(&frame.Sprite(frame.Find("Label " + std::to_string(i))));
        }
        EXPECT_GT(images.Bytes(), 20000u);
        EXPECT_EQ(&frame.Sprite(frame.Find("Label 0")), sprites[0]);
    }
    EXPECT_LE(images.Bytes(), 20000u);
    EXPECT_LT(images.Count(), 100u);
    LabelImages::Frame frame(images, style);
    const auto kept = images.Count();
    frame.Find("Label 99"); // the newest stayed
    EXPECT_EQ(images.Count(), kept);
    frame.Find("Harbour");
    EXPECT_EQ(images.Count(), kept + 1);
}

} // namespace
} // namespace chronova::gis
