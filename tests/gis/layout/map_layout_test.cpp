#include "gis/layout/map_layout.h"

#include <gtest/gtest.h>

#include <QPainter>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "gis/drawing/drawing_fixtures.h"
#include "gis/drawing/map_drawer.h"
#include "gis/layers/raster_layer.h"
#include "gis/layout/color_bar.h"
#include "gis/layout/scale_bar.h"

namespace chronova::gis {
namespace {

using testing::Box;
using testing::FlatLayer;
using testing::MemoryRaster;
using testing::ShapesFeatureClass;

const Envelope kExtent{0, 0, 100000, 75000};

std::shared_ptr<FeatureLayer> BoxLayer(const std::string& name, const Envelope& box, Color color) {
    auto features = std::make_shared<ShapesFeatureClass>(name, GeometryType::Polygon, "EPSG:3857");
    features->Add({Box(box.XMin, box.YMin, box.XMax, box.YMax)});
    auto layer = FlatLayer(features, color);
    layer->Name(name);
    return layer;
}

std::shared_ptr<RasterLayer> RampLayer(const std::string& name) {
    std::vector<float> cells(16 * 12);
    for (size_t i = 0; i < cells.size(); ++i) {
        cells[i] = static_cast<float>(i % 16) * 2.5F + 10.0F; // 10 .. 47.5
    }
    auto raster = std::make_shared<MemoryRaster>(16, 12, Envelope{40000, 30000, 56000, 42000},
                                                 std::vector<std::vector<float>>{cells}, "EPSG:3857");
    return std::make_shared<RasterLayer>(raster, name);
}

// Every pixel where two frames differ.
QRect Difference(const QImage& first, const QImage& second) {
    QRect changed;
    const QImage a = first.convertToFormat(QImage::Format_RGB32);
    const QImage b = second.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < a.height(); ++y) {
        const auto* row_a = reinterpret_cast<const QRgb*>(a.constScanLine(y));
        const auto* row_b = reinterpret_cast<const QRgb*>(b.constScanLine(y));
        for (int x = 0; x < a.width(); ++x) {
            if (row_a[x] != row_b[x]) {
                changed |= QRect(x, y, 1, 1);
            }
        }
    }
    return changed;
}

std::vector<QRect> Rects(const MapLayout::Placed& placed) {
    return {placed.Title, placed.Legend, placed.ColorBar, placed.ScaleBar, placed.TimeLabel};
}

class MapLayoutTest : public ::testing::Test {
protected:
    MapLayoutTest() {
        map_->Name("Storm over the Gulf");
        map_->SpatialReference("EPSG:3857");
    }

    // The bare map frame and the same frame with the layout drawn on it.
    std::pair<QImage, QImage> Draw(MapLayout& layout, QSize size, const std::string& time_label = "3/1/2008") {
        MapDrawer drawer(map_);
        const Envelope extent = layout.DrawnExtent(kExtent);
        const QImage bare = drawer.Draw(size, extent);
        QImage furnished = bare;
        layout.Draw(furnished, *map_, drawer.Background(), ViewTransform(extent, size.width(), size.height()),
                    time_label);
        return {bare, furnished};
    }

    std::shared_ptr<Map> map_ = std::make_shared<Map>();
};

LayoutSettings Only(PieceSettings LayoutSettings::*piece) {
    LayoutSettings settings = LayoutSettings::None();
    (settings.*piece).Shown = true;
    return settings;
}

TEST_F(MapLayoutTest, MarginGrowsTheExtentOnEverySide) {
    LayoutSettings settings;
    settings.Margin = 0.1;
    const Envelope grown = MapLayout(settings).DrawnExtent({0, 0, 200, 100});
    EXPECT_EQ(grown, (Envelope{-20, -10, 220, 110}));
    EXPECT_EQ(MapLayout(LayoutSettings::None()).DrawnExtent({0, 0, 200, 100}), (Envelope{0, 0, 200, 100}));
    EXPECT_TRUE(MapLayout(settings).DrawnExtent({}).IsEmpty());
}

// The legend would rather sit top-right; with that corner full of data it takes an empty one, and keeps it on
// later frames even when the data moves there.
TEST_F(MapLayoutTest, LegendTakesTheEmptyCornerAndKeepsIt) {
    auto quarter = BoxLayer("Quarter", {50000, 37500, 100000, 75000}, {200, 60, 60, false});
    map_->AddLayer(quarter);
    MapLayout layout(Only(&LayoutSettings::Legend));
    const QSize size(800, 600);
    Draw(layout, size);
    const QRect legend = layout.Pieces().Legend;
    ASSERT_FALSE(legend.isEmpty());
    EXPECT_LT(legend.right(), size.width() / 2);
    EXPECT_LT(legend.bottom(), size.height() / 2);

    map_->DeleteLayer(quarter);
    map_->AddLayer(BoxLayer("Quarter", {0, 37500, 50000, 75000}, {200, 60, 60, false}));
    Draw(layout, size);
    EXPECT_EQ(layout.Pieces().Legend, legend);
}

// A piece switched off leaves the map as it was: only the title's rectangle differs from the bare map.
TEST_F(MapLayoutTest, PiecesSwitchedOffAreAbsent) {
    map_->AddLayer(BoxLayer("Land", {10000, 10000, 60000, 50000}, {220, 210, 180, false}));
    map_->AddLayer(RampLayer("Rain"));
    MapLayout title_only(Only(&LayoutSettings::Title));
    const auto [bare, furnished] = Draw(title_only, {640, 480});
    const MapLayout::Placed& placed = title_only.Pieces();
    ASSERT_FALSE(placed.Title.isEmpty());
    EXPECT_TRUE(placed.Legend.isEmpty());
    EXPECT_TRUE(placed.ColorBar.isEmpty());
    EXPECT_TRUE(placed.ScaleBar.isEmpty());
    EXPECT_TRUE(placed.TimeLabel.isEmpty());
    const QRect changed = Difference(bare, furnished);
    EXPECT_FALSE(changed.isEmpty());
    EXPECT_TRUE(placed.Title.contains(changed));

    MapLayout none(LayoutSettings::None());
    const auto [bare_again, untouched] = Draw(none, {640, 480});
    EXPECT_TRUE(Difference(bare_again, untouched).isEmpty());
}

// Only the time label changes from frame to frame, inside the room it was given.
TEST_F(MapLayoutTest, OnlyTheTimeLabelChangesBetweenFrames) {
    map_->AddLayer(BoxLayer("Land", {10000, 10000, 60000, 50000}, {220, 210, 180, false}));
    MapLayout layout{LayoutSettings{}};
    const QImage first = Draw(layout, {640, 480}, "3/1/2008 6:00").second;
    const QImage second = Draw(layout, {640, 480}, "3/1/2008 18:00").second;
    const QRect changed = Difference(first, second);
    EXPECT_FALSE(changed.isEmpty());
    EXPECT_TRUE(layout.Pieces().TimeLabel.contains(changed));
}

// The scale bar drawn on the frame is a round length at the frame's scale, to within a pixel.
TEST_F(MapLayoutTest, ScaleBarOnTheFrameMatchesTheViewScale) {
    map_->AddLayer(BoxLayer("Land", {10000, 10000, 60000, 50000}, {220, 210, 180, false}));
    MapLayout layout(Only(&LayoutSettings::ScaleBar));
    const QSize size(1024, 768);
    const QImage frame = Draw(layout, size).second;
    const QRect rect = layout.Pieces().ScaleBar.adjusted(1, 1, -1, -1);
    ASSERT_FALSE(rect.isEmpty());
    int longest = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        int run = 0;
        for (int x = rect.left(); x <= rect.right(); ++x) {
            run = QColor(frame.pixel(x, y)).lightness() < 80 ? run + 1 : 0;
            longest = std::max(longest, run);
        }
    }
    const ViewTransform transform(layout.DrawnExtent(kExtent), size.width(), size.height());
    const double metres = longest / transform.Scale();
    bool round = false;
    for (double decade = 1.0; decade < 1e7; decade *= 10.0) {
        for (const double step : {1.0, 2.0, 5.0}) {
            round = round || std::abs(step * decade * transform.Scale() - longest) <= 1.0;
        }
    }
    EXPECT_TRUE(round) << longest << " pixels are " << metres << " m";
    EXPECT_NEAR(longest, size.width() / 5.0, size.width() / 5.0 * 0.6);
}

// The colour bar shows the range the raster is stretched over, and only while the raster shows.
TEST_F(MapLayoutTest, ColorBarFollowsTheVisibleStretchedRasters) {
    auto rain = RampLayer("Rain");
    map_->AddLayer(rain);
    std::vector<ColorBarEntry> entries = ColorBarEntries(*map_);
    ASSERT_EQ(entries.size(), 1U);
    EXPECT_EQ(entries[0].Layer, "Rain");
    EXPECT_DOUBLE_EQ(entries[0].Scale.Low, 10.0);
    EXPECT_DOUBLE_EQ(entries[0].Scale.High, 47.5);

    auto& ramp = dynamic_cast<RasterStretchColorRampRenderer&>(*rain->Renderer());
    ramp.UseCustomStretchMinMax = true;
    ramp.CustomStretchMin = 0.0;
    ramp.CustomStretchMax = 100.0;
    entries = ColorBarEntries(*map_, [](const ILayer& layer) { return layer.Name() + " (mm)"; });
    ASSERT_EQ(entries.size(), 1U);
    EXPECT_EQ(entries[0].Layer, "Rain (mm)");
    EXPECT_DOUBLE_EQ(entries[0].Scale.High, 100.0);

    MapLayout shown(Only(&LayoutSettings::ColorBar));
    Draw(shown, {640, 480});
    EXPECT_FALSE(shown.Pieces().ColorBar.isEmpty());
    rain->Visible(false);
    EXPECT_TRUE(ColorBarEntries(*map_).empty());
    MapLayout hidden(Only(&LayoutSettings::ColorBar));
    Draw(hidden, {640, 480});
    EXPECT_TRUE(hidden.Pieces().ColorBar.isEmpty());
}

// From a small frame to a huge one every piece fits inside the frame, nothing is drawn outside the pieces, and
// text grows with the frame.
TEST_F(MapLayoutTest, TinyAndHugeFramesDrawWithoutOverflow) {
    map_->Name(std::string(30, 'W') + " a title far longer than any small frame is wide " + std::string(30, 'W'));
    // One layer of many classes with long names (a layer per class would draw a huge image each).
    auto boxes = BoxLayer("Boxes", {10000, 10000, 20000, 50000}, {60, 120, 200, false});
    auto classes = std::make_shared<ClassBreaksRenderer>();
    classes->Field = "T";
    classes->BreakCount(20);
    for (int i = 0; i < 20; ++i) {
        classes->Break(i, i + 1.0);
        classes->Symbol(i, testing::FlatSymbol(GeometryType::Polygon, {static_cast<uint8_t>(10 * i), 120, 200, false}));
        classes->Label(i, "Class " + std::to_string(i) + " with a long name to make the legend wide");
    }
    boxes->Renderer(classes);
    map_->AddLayer(boxes);
    map_->AddLayer(RampLayer("Rain"));
    int previous_title_height = 0;
    for (const QSize size : {QSize(320, 240), QSize(1024, 768), QSize(4096, 4096)}) {
        SCOPED_TRACE(size.width());
        MapLayout layout{LayoutSettings{}};
        const auto [bare, furnished] = Draw(layout, size, "12/31/2008 11:59:59 PM");
        const QRect frame(QPoint(0, 0), size);
        QRect pieces;
        for (const QRect& rect : Rects(layout.Pieces())) {
            if (!rect.isEmpty()) {
                EXPECT_TRUE(frame.contains(rect))
                    << rect.x() << "," << rect.y() << " " << rect.width() << "x" << rect.height();
                pieces |= rect;
            }
        }
        EXPECT_TRUE(pieces.contains(Difference(bare, furnished)));
        ASSERT_FALSE(layout.Pieces().Title.isEmpty());
        EXPECT_GT(layout.Pieces().Title.height(), previous_title_height);
        previous_title_height = layout.Pieces().Title.height();
    }
}

// Data that covers the whole frame leaves no free place: the pieces ask for room along their edges, and the map
// drawn into what is left shows no data under any piece.
TEST_F(MapLayoutTest, PiecesWithoutAFreePlaceGetRoomBesideTheMap) {
    map_->AddLayer(BoxLayer("Land", kExtent, Color{200, 160, 90, false}));
    MapLayout layout{LayoutSettings{}};
    const QSize size(800, 600);
    MapDrawer drawer(map_);
    QImage frame = drawer.Draw(size, kExtent);
    layout.Draw(frame, *map_, drawer.Background(), ViewTransform(kExtent, size.width(), size.height()), "3/1/2008");
    const FrameRoom room = layout.RoomForPieces();
    ASSERT_TRUE(room.Any());
    EXPECT_GT(room.Top, 0) << "the title sits on the top edge";

    const Envelope roomy = ExtentWithRoom(kExtent, size, room);
    const QImage bare = drawer.Draw(size, roomy);
    const QRgb background = drawer.Background().rgb();
    for (const QRect& rect : Rects(layout.Pieces())) {
        for (int y = rect.top(); y <= rect.bottom() && !rect.isEmpty(); y += 3) {
            for (int x = rect.left(); x <= rect.right(); x += 3) {
                ASSERT_EQ(bare.pixel(x, y) & 0xFFFFFFU, background & 0xFFFFFFU)
                    << "data under a piece at " << x << "," << y;
            }
        }
    }
    // The data fills the rest: inside it, from edge to edge in its tighter direction.
    const ViewTransform view(roomy, size.width(), size.height());
    const double left = view.ToPixelX(kExtent.XMin);
    const double right = view.ToPixelX(kExtent.XMax);
    const double top = view.ToPixelY(kExtent.YMax);
    const double bottom = view.ToPixelY(kExtent.YMin);
    EXPECT_GE(left, room.Left - 1.0);
    EXPECT_LE(right, size.width() - room.Right + 1.0);
    EXPECT_GE(top, room.Top - 1.0);
    EXPECT_LE(bottom, size.height() - room.Bottom + 1.0);
    EXPECT_TRUE(std::abs(right - left - (size.width() - room.Left - room.Right)) < 1.0 ||
                std::abs(bottom - top - (size.height() - room.Top - room.Bottom)) < 1.0);
}

TEST(ExtentWithRoomTest, KeepsTheDataWhenThereIsNoRoomToMake) {
    const QSize frame(400, 300);
    EXPECT_EQ(ExtentWithRoom(kExtent, frame, {}), kExtent);
    EXPECT_EQ(ExtentWithRoom(kExtent, frame, FrameRoom{0, 0, 250, 0}), kExtent) << "the map would keep too little";
    EXPECT_EQ(ExtentWithRoom(Envelope{}, frame, FrameRoom{0, 20, 0, 0}), Envelope{});
}

} // namespace
} // namespace chronova::gis
