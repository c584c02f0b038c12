#include "gis/drawing/map_drawer.h"

#include <gtest/gtest.h>

#include <QPainter>
#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "gis/drawing/drawing_fixtures.h"
#include "gis/host_errors.h"
#include "gis/layers/group_layer.h"
#include "gis/layers/raster_layer.h"
#include "gis/layers/wms_map_layer.h"
#include "platform/locale.h"
#include "plugins/moving_points/moving_points_layer.h"

namespace chronova::gis {
namespace {

using testing::Box;
using testing::FlatLayer;
using testing::MemoryRaster;
using testing::ShapesFeatureClass;

constexpr Color kRed{220, 0, 0, false};
constexpr Color kBlue{0, 0, 220, false};
constexpr Color kGreen{0, 160, 0, false};
constexpr QSize kSize{100, 100};
// At this extent and size a map unit is a pixel: (x, y) on the map is pixel (x, 100 - y).
constexpr Envelope kExtent{0, 0, 100, 100};

std::shared_ptr<FeatureLayer> BoxLayer(double x_min, double y_min, double x_max, double y_max, Color color) {
    auto boxes = std::make_shared<ShapesFeatureClass>("boxes", GeometryType::Polygon);
    boxes->Add({Box(x_min, y_min, x_max, y_max)});
    return FlatLayer(boxes, color);
}

// Points with T = 1, 2, ...: one per position.
std::shared_ptr<FeatureLayer> PointLayer(const std::vector<std::pair<double, double>>& points, Color color,
                                         std::string spatial_reference = {}) {
    auto feature_class = std::make_shared<ShapesFeatureClass>("points", GeometryType::Point, spatial_reference);
    int32_t t = 0;
    for (const auto& [x, y] : points) {
        feature_class->AddPoint(x, y, ++t);
    }
    return FlatLayer(feature_class, color);
}

// A one-band raster of one value over an extent, drawn black (the value is the band's minimum).
std::shared_ptr<RasterLayer> BlackRaster(Envelope extent, std::string spatial_reference = {}) {
    return std::make_shared<RasterLayer>(std::make_shared<MemoryRaster>(
        2, 2, extent, std::vector<std::vector<float>>{{1, 1, 1, 1}, {5, 5, 5, 5}}, std::move(spatial_reference)));
}

QRgb Pixel(const QImage& image, double x, double y) {
    return image.pixel(static_cast<int>(x), static_cast<int>(100 - y));
}

// The box around the pixels within a window of the image that are not white; empty when all are.
QRect PaintedBox(const QImage& image, QRect window) {
    window &= image.rect();
    QRect painted;
    for (int y = window.top(); y <= window.bottom(); ++y) {
        for (int x = window.left(); x <= window.right(); ++x) {
            if (image.pixel(x, y) != qRgb(255, 255, 255)) {
                painted |= QRect(x, y, 1, 1);
            }
        }
    }
    return painted;
}

TEST(MapDrawerTest, DrawsBottomUpWithGroupChildrenInOrder) {
    auto map = std::make_shared<Map>();
    const auto bottom = BoxLayer(10, 10, 90, 90, kGreen);
    const auto upper_child = BoxLayer(40, 40, 60, 60, kRed);
    const auto lower_child = BoxLayer(30, 30, 70, 70, kBlue);
    auto group = std::make_shared<GroupLayer>("group");
    group->Add(upper_child);
    group->Add(lower_child);
    const auto hidden = BoxLayer(0, 0, 100, 100, kRed);
    hidden->Visible(false);
    map->AddLayer(bottom);
    map->AddLayer(group);
    map->AddLayer(std::make_shared<WmsMapLayer>("https://maps.example/wms", "service"));
    map->AddLayer(hidden);
    MapDrawer drawer(map);

    const auto colors_at = [&] {
        const QImage frame = drawer.Draw(kSize, kExtent);
        return std::vector<QRgb>{Pixel(frame, 50, 50), Pixel(frame, 35, 50), Pixel(frame, 20, 50), Pixel(frame, 5, 50)};
    };
    EXPECT_EQ(colors_at(), (std::vector<QRgb>{qRgb(220, 0, 0), qRgb(0, 0, 220), qRgb(0, 160, 0), qRgb(255, 255, 255)}));
    upper_child->Visible(false);
    EXPECT_EQ(colors_at()[0], qRgb(0, 0, 220));
    group->Visible(false);
    EXPECT_EQ(colors_at()[0], qRgb(0, 160, 0));
    drawer.Background(QColor(10, 20, 30));
    EXPECT_EQ(colors_at()[3], qRgb(10, 20, 30));
}

TEST(MapDrawerTest, ProjectsLayersOfAnotherSpatialReference) {
    auto map = std::make_shared<Map>();
    map->SpatialReference("EPSG:3857");
    // Longitude 10, latitude 50 lies at (1113194.9, 6446275.8) in web Mercator.
    map->AddLayer(BlackRaster(Envelope{10, 50, 11, 51}, "EPSG:4326"));
    map->AddLayer(PointLayer({{10.0, 50.0}}, kRed, "EPSG:4326"));
    MapDrawer drawer(map);

    const Envelope full = drawer.DefaultExtent();
    EXPECT_NEAR(full.XMin, 1113194.9, 1.0);
    EXPECT_NEAR(full.YMin, 6446275.8, 1.0);
    EXPECT_NEAR(full.XMax, 1224514.4, 1.0);

    // 2 km per pixel: the point lands at pixel (56.6, 76.9), the raster right of and above it.
    const QImage frame = drawer.Draw(kSize, Envelope{1.0e6, 6.4e6, 1.2e6, 6.6e6});
    EXPECT_EQ(frame.pixel(56, 76), qRgb(220, 0, 0));
    EXPECT_EQ(frame.pixel(80, 40), qRgb(0, 0, 0));
    EXPECT_EQ(frame.pixel(80, 90), qRgb(255, 255, 255));
    EXPECT_EQ(frame.pixel(30, 40), qRgb(255, 255, 255));
}

class PartialRefreshTest : public ::testing::Test {
protected:
    void SetUp() override {
        raster_->Cached(true);
        polygons_->Cached(true);
        map_->AddLayer(raster_);
        map_->AddLayer(polygons_);
        map_->AddLayer(lines_);
        map_->AddLayer(time_layer_);
        time_layer_->DefinitionExpression("T = 1");
    }

    std::vector<int64_t> DrawCounts() const {
        return {drawer_.DrawCount(*raster_), drawer_.DrawCount(*polygons_), drawer_.DrawCount(*lines_),
                drawer_.DrawCount(*time_layer_)};
    }

    std::shared_ptr<Map> map_ = std::make_shared<Map>();
    std::shared_ptr<RasterLayer> raster_ = BlackRaster(Envelope{0, 0, 50, 100});
    std::shared_ptr<FeatureLayer> polygons_ = BoxLayer(60, 60, 90, 90, kGreen);
    std::shared_ptr<FeatureLayer> lines_ = [] {
        auto lines = std::make_shared<ShapesFeatureClass>("lines", GeometryType::Polyline);
        lines->Add({{{0, 5}, {100, 5}}});
        return FlatLayer(lines, kBlue, 2.0);
    }();
    std::shared_ptr<FeatureLayer> time_layer_ = PointLayer({{70, 20}, {80, 30}}, kRed);
    MapDrawer drawer_{map_};
};

TEST_F(PartialRefreshTest, RedrawsOnlyTheNamedLayerAndComposesTheSameFrame) {
    drawer_.Draw(kSize, kExtent);
    EXPECT_EQ(DrawCounts(), (std::vector<int64_t>{1, 1, 1, 1}));

    time_layer_->DefinitionExpression("T = 2");
    map_->PartialRefreshCached(view_phase::kGeography, time_layer_, std::nullopt);
    const QImage frame = drawer_.Update(kSize, kExtent);
    EXPECT_EQ(DrawCounts(), (std::vector<int64_t>{1, 1, 1, 2}));
    EXPECT_EQ(Pixel(frame, 80, 30), qRgb(220, 0, 0));
    EXPECT_EQ(Pixel(frame, 70, 20), qRgb(255, 255, 255));
    EXPECT_EQ(frame, MapDrawer(map_).Draw(kSize, kExtent)) << "the same frame as a full drawing";

    // A layer that changed is drawn again even when the request names another one.
    raster_->RendererBandIndex(1);
    map_->PartialRefreshCached(view_phase::kGeography, time_layer_, std::nullopt);
    drawer_.Update(kSize, kExtent);
    EXPECT_EQ(DrawCounts(), (std::vector<int64_t>{2, 1, 1, 3}));
}

TEST_F(PartialRefreshTest, PastItsImageBudgetEveryLayerIsDrawnOntoTheFrame) {
    const auto expect_same_pixels = [](const QImage& drawn, const QImage& composed) {
        ASSERT_EQ(drawn.size(), composed.size());
        int worst = 0;
        for (int y = 0; y < drawn.height(); ++y) {
            for (int x = 0; x < drawn.width(); ++x) {
                const QRgb a = drawn.pixel(x, y);
                const QRgb b = composed.pixel(x, y);
                worst = std::max({worst, std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                                  std::abs(qBlue(a) - qBlue(b))});
            }
        }
        EXPECT_LE(worst, 1) << "at most a rounding unit apart";
    };
    // Four layers of 100 x 100 pixels take 160,000 bytes of images.
    constexpr int64_t kFourImages = int64_t{4} * 4 * 100 * 100;
    drawer_.LayerImageBudget(kFourImages - 1);
    const QImage held = drawer_.Draw(kSize, kExtent);
    expect_same_pixels(held, MapDrawer(map_).Draw(kSize, kExtent));

    // No layer keeps an image, so the cached ones are drawn again too; the frame the caller holds stays as it was.
    time_layer_->DefinitionExpression("T = 2");
    map_->PartialRefreshCached(view_phase::kGeography, time_layer_, std::nullopt);
    const QImage next = drawer_.Update(kSize, kExtent);
    EXPECT_EQ(DrawCounts(), (std::vector<int64_t>{2, 2, 2, 2}));
    expect_same_pixels(next, MapDrawer(map_).Draw(kSize, kExtent));
    EXPECT_EQ(Pixel(next, 80, 30), qRgb(220, 0, 0));
    EXPECT_EQ(Pixel(held, 80, 30), qRgb(255, 255, 255));
    EXPECT_EQ(Pixel(held, 70, 20), qRgb(220, 0, 0));

    // Within the budget the layers get their images again, and cached ones drawn onto a frame are drawn anew.
    drawer_.LayerImageBudget(kFourImages);
    expect_same_pixels(drawer_.Draw(kSize, kExtent), next);
    EXPECT_EQ(DrawCounts(), (std::vector<int64_t>{3, 3, 3, 3}));
    drawer_.Draw(kSize, kExtent);
    EXPECT_EQ(DrawCounts(), (std::vector<int64_t>{3, 3, 4, 4})) << "the cached layers keep their images";
}

TEST_F(PartialRefreshTest, DrawRedrawsUncachedLayersAndRefreshRedrawsAll) {
    drawer_.Draw(kSize, kExtent);
    drawer_.Draw(kSize, kExtent);
    EXPECT_EQ(DrawCounts(), (std::vector<int64_t>{1, 1, 2, 2}));
    map_->Refresh();
    drawer_.Update(kSize, kExtent);
    EXPECT_EQ(DrawCounts(), (std::vector<int64_t>{2, 2, 3, 3}));
    map_->PartialRefresh(view_phase::kGeography, time_layer_, std::nullopt);
    drawer_.Update(kSize, kExtent);
    EXPECT_EQ(DrawCounts(), (std::vector<int64_t>{3, 3, 4, 4})) << "a plain partial refresh redraws every layer";
    drawer_.Update(kSize, kExtent);
    EXPECT_EQ(DrawCounts(), (std::vector<int64_t>{3, 3, 4, 4})) << "nothing asked for";
    drawer_.Update(QSize(50, 50), kExtent);
    EXPECT_EQ(DrawCounts(), (std::vector<int64_t>{4, 4, 5, 5})) << "a new size";
}

TEST_F(PartialRefreshTest, ScreenDisplayEventsFireOncePerDrawingPass) {
    int started = 0;
    int finished = 0;
    const auto display = map_->ScreenDisplay();
    platform::ScopedConnection on_start = display->DrawingStarted.Connect([&] {
        EXPECT_TRUE(display->IsDrawing());
        ++started;
    });
    platform::ScopedConnection on_finish = display->DrawingFinished.Connect([&] { ++finished; });
    const auto fired = [&] { return std::pair{started, finished}; };

    drawer_.Draw(kSize, kExtent);
    EXPECT_EQ(fired(), std::pair(1, 1));
    map_->TakeRedrawRequest();
    drawer_.Update(kSize, kExtent);
    EXPECT_EQ(fired(), std::pair(1, 1)) << "nothing to draw";
    map_->PartialRefreshCached(view_phase::kGeography, time_layer_, std::nullopt);
    drawer_.Update(kSize, kExtent);
    EXPECT_EQ(fired(), std::pair(2, 2));
    drawer_.Refresh(kSize, kExtent);
    EXPECT_EQ(fired(), std::pair(3, 3));
    EXPECT_FALSE(display->IsDrawing());
}

TEST(MapDrawerTest, LayerThatCannotDrawIsReportedAndTheOthersDraw) {
    ClearHostErrors();
    auto map = std::make_shared<Map>();
    auto broken = BlackRaster(Envelope{0, 0, 100, 100});
    broken->Name("Broken");
    std::dynamic_pointer_cast<RasterStretchColorRampRenderer>(broken->Renderer())->BandIndex = 7;
    map->AddLayer(broken);
    map->AddLayer(BoxLayer(40, 40, 60, 60, kRed));
    MapDrawer drawer(map);
    const QImage frame = drawer.Draw(kSize, kExtent);
    EXPECT_EQ(Pixel(frame, 50, 50), qRgb(220, 0, 0));
    EXPECT_EQ(Pixel(frame, 10, 10), qRgb(255, 255, 255));
    const auto errors = RecentHostErrors();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(errors[0].find("'Broken'"), std::string::npos) << errors[0];

    // Batch output asks for the failure instead of a frame without the layer.
    ClearHostErrors();
    MapDrawer strict(map);
    strict.FailOnLayerErrors(true);
    try {
        strict.Draw(kSize, kExtent);
        ADD_FAILURE() << "a frame without the layer 'Broken' was drawn";
    } catch (const platform::AutomationError& e) {
        EXPECT_EQ(e.UserMessage().rfind("The layer 'Broken' cannot be drawn: ", 0), 0u) << e.UserMessage();
    }
    EXPECT_TRUE(RecentHostErrors().empty());
    EXPECT_FALSE(map->ScreenDisplay()->IsDrawing()) << "the drawing pass is ended even when it fails";
}

class MovingPointsDrawingTest : public ::testing::Test {
protected:
    platform::ScopedLocale us_{"en-US"};
    std::shared_ptr<plugins::MovingPointsLayer> layer_ =
        plugins::MovingPointsLayer::FromText("ID,TIME,X,Y,SPEED,DIRECTION\n"
                                             "a,3/1/2008 6:00,20,20,1,0\n"
                                             "a,3/1/2008 7:00,50,50,3,90\n"
                                             "a,3/1/2008 8:00,80,80,2,180\n",
                                             "buoys.csv", "buoys");
};

// The painted box around the map point (x, y), searched within 20 pixels.
QRect PaintedAround(const QImage& frame, double x, double y) {
    return PaintedBox(frame, QRect(static_cast<int>(x) - 20, 100 - static_cast<int>(y) - 20, 41, 41));
}

TEST_F(MovingPointsDrawingTest, DrawsTheArrowsOfItsStep) {
    auto map = std::make_shared<Map>();
    map->AddLayer(layer_);
    MapDrawer drawer(map);
    EXPECT_TRUE(PaintedAround(drawer.Draw(kSize, kExtent), 50, 50).isEmpty()) << "no step yet";

    const uint64_t revision = layer_->DrawRevision();
    layer_->CurrentTimeStep(layer_->TimeStep(2));
    EXPECT_NE(layer_->DrawRevision(), revision);
    QImage frame = drawer.Draw(kSize, kExtent);
    const QRect fastest = PaintedAround(frame, 50, 50);
    EXPECT_GT(fastest.width(), fastest.height()) << "pointing east";
    EXPECT_GE(fastest.width(), 28) << "the fastest arrow is 24 points long";
    EXPECT_TRUE(PaintedAround(frame, 20, 20).isEmpty());
    EXPECT_TRUE(PaintedAround(frame, 80, 80).isEmpty());

    layer_->ShowPrevious(true);
    frame = drawer.Draw(kSize, kExtent);
    const QRect slowest = PaintedAround(frame, 20, 20);
    EXPECT_GT(slowest.height(), slowest.width()) << "pointing north";
    EXPECT_LE(slowest.height(), 14) << "the slowest arrow is 8 points long";
    EXPECT_TRUE(PaintedAround(frame, 80, 80).isEmpty());
}

// Compares a frame with a stored image. Fonts and anti-aliasing may differ a little between machines, and a
// marker may land a pixel off, so a pixel matches when the stored pixel at its place or next to it is within a
// few levels; only a few pixels may fail that. A missing or misplaced layer fails far more.
void ExpectLooksLike(const QImage& frame, const std::string& name) {
    const std::filesystem::path stored = std::filesystem::path(CHRONOVA_DRAWING_TEST_DATA) / name;
    if (std::getenv("CHRONOVA_UPDATE_REFERENCE_IMAGES") != nullptr) {
        ASSERT_TRUE(frame.save(QString::fromStdString(stored.string())));
        GTEST_SKIP() << "wrote " << stored;
    }
    QImage expected(QString::fromStdString(stored.string()));
    ASSERT_FALSE(expected.isNull()) << "cannot read " << stored;
    expected = expected.convertToFormat(QImage::Format_ARGB32);
    const QImage actual = frame.convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(actual.size(), expected.size());
    constexpr int kLevels = 24;
    const auto close = [](QRgb a, QRgb b) {
        return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                         std::abs(qBlue(a) - qBlue(b))}) <= kLevels;
    };
    int differing = 0;
    for (int y = 0; y < actual.height(); ++y) {
        for (int x = 0; x < actual.width(); ++x) {
            bool matched = false;
            for (int dy = -1; dy <= 1 && !matched; ++dy) {
                for (int dx = -1; dx <= 1 && !matched; ++dx) {
                    matched =
                        expected.valid(x + dx, y + dy) && close(actual.pixel(x, y), expected.pixel(x + dx, y + dy));
                }
            }
            differing += matched ? 0 : 1;
        }
    }
    EXPECT_LE(differing, actual.width() * actual.height() / 500) << name;
}

TEST_F(MovingPointsDrawingTest, SampleMapLooksAsStored) {
    auto map = std::make_shared<Map>();
    std::vector<float> gradient;
    for (int row = 0; row < 6; ++row) {
        for (int column = 0; column < 8; ++column) {
            gradient.push_back(row == 0 && column == 7 ? std::numeric_limits<float>::quiet_NaN()
                                                       : static_cast<float>(column + row));
        }
    }
    auto raster = std::make_shared<RasterLayer>(
        std::make_shared<MemoryRaster>(8, 6, Envelope{0, 0, 160, 120}, std::vector<std::vector<float>>{gradient}));
    auto ramp = std::dynamic_pointer_cast<RasterStretchColorRampRenderer>(raster->Renderer());
    ramp->FromColor = Color{20, 40, 90, false};
    ramp->ToColor = Color{170, 210, 240, false};
    ramp->Update();
    raster->EffectLevel(30);

    auto parcels = std::make_shared<ShapesFeatureClass>("parcels", GeometryType::Polygon);
    parcels->Add({Box(10, 10, 70, 50), Box(25, 20, 55, 40)});
    parcels->Add({Box(90, 60, 150, 110)});
    auto parcel_layer = std::make_shared<FeatureLayer>(parcels);
    auto fill = std::make_shared<SimpleFillSymbol>();
    fill->FillColor = Color{240, 200, 80, false};
    fill->Outline->LineColor = Color{120, 80, 0, false};
    auto parcel_renderer = std::make_shared<SimpleRenderer>();
    parcel_renderer->Symbol = fill;
    parcel_layer->Renderer(parcel_renderer);

    auto roads = std::make_shared<ShapesFeatureClass>("roads", GeometryType::Polyline);
    roads->Add({{{0, 100}, {60, 70}, {100, 90}, {160, 20}}});
    auto stations = std::make_shared<ShapesFeatureClass>("stations", GeometryType::Point);
    stations->AddPoint(30, 80);
    stations->AddPoint(120, 30);
    auto station_layer = std::make_shared<FeatureLayer>(stations);
    auto circle = std::make_shared<SimpleMarkerSymbol>();
    circle->MarkerColor = Color{0, 120, 60, false};
    circle->Size = 9;
    auto station_renderer = std::make_shared<SimpleRenderer>();
    station_renderer->Symbol = circle;
    station_layer->Renderer(station_renderer);

    layer_->ShowPrevious(true);
    layer_->CurrentTimeStep(layer_->TimeStep(3));
    map->AddLayer(raster);
    map->AddLayer(parcel_layer);
    map->AddLayer(FlatLayer(roads, Color{90, 90, 90, false}, 2.5));
    map->AddLayer(station_layer);
    map->AddLayer(layer_);
    MapDrawer drawer(map);
    ExpectLooksLike(drawer.Draw(QSize(160, 120), Envelope{0, 0, 160, 120}), "sample_map.png");
}

} // namespace
} // namespace chronova::gis
