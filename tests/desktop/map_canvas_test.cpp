// The map canvas on its own map: redraws answered inside the request, and navigation that moves the extent as the
// pointer says.

#include <gtest/gtest.h>

#include <QTest>

#include "apps/desktop/map_canvas.h"
#include "gis/layers/open_layers.h"
#include "gis/map/map.h"
#include "support/gdal_fixtures.h"
#include "support/scratch_folder.h"

namespace chronova::desktop {
namespace {

class MapCanvasTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Two points at the corners of a 100 x 50 area.
        testing::FixtureLayer corners{"corners", wkbPoint, {{"ID", OFTInteger}}, {}};
        corners.rows.push_back(testing::PointRow(0.0, 0.0, {int64_t{1}}));
        corners.rows.push_back(testing::PointRow(100.0, 50.0, {int64_t{2}}));
        testing::WriteShapefile(folder_.Path(), corners);
        map_->AddLayer(gis::OpenFeatureLayer(folder_.Path().string(), "corners"));
        canvas_.resize(400, 200);
        canvas_.Bind(map_);
        canvas_.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&canvas_));
    }

    static double Width(const gis::Envelope& extent) { return extent.XMax - extent.XMin; }

    static void ExpectNear(const gis::Envelope& actual, const gis::Envelope& expected) {
        constexpr double kTolerance = 1e-6;
        EXPECT_NEAR(actual.XMin, expected.XMin, kTolerance);
        EXPECT_NEAR(actual.YMin, expected.YMin, kTolerance);
        EXPECT_NEAR(actual.XMax, expected.XMax, kTolerance);
        EXPECT_NEAR(actual.YMax, expected.YMax, kTolerance);
    }

    testing::ScratchFolder folder_;
    std::shared_ptr<gis::Map> map_ = std::make_shared<gis::Map>();
    MapCanvas canvas_;
};

TEST_F(MapCanvasTest, ARedrawRequestIsDrawnBeforeTheRequestReturns) {
    EXPECT_EQ(canvas_.Frame().size(), QSize(400, 200));
    int started = 0;
    int finished = 0;
    auto on_start = map_->ScreenDisplay()->DrawingStarted.Connect([&] { ++started; });
    auto on_finish = map_->ScreenDisplay()->DrawingFinished.Connect([&] { ++finished; });
    const int draws = canvas_.DrawCount();
    map_->PartialRefresh(gis::view_phase::kGeography, nullptr, std::nullopt);
    EXPECT_EQ(started, 1);
    EXPECT_EQ(finished, 1);
    EXPECT_EQ(canvas_.DrawCount(), draws + 1);
    on_start.Disconnect();
    on_finish.Disconnect();

    // While suspended the request waits, and resuming draws it once.
    canvas_.Suspend(true);
    map_->Refresh();
    map_->Refresh();
    EXPECT_EQ(canvas_.DrawCount(), draws + 1);
    canvas_.Suspend(false);
    EXPECT_EQ(canvas_.DrawCount(), draws + 2);
}

TEST_F(MapCanvasTest, DraggingAndPanningMoveTheMapWithThePointer) {
    const gis::Envelope start = canvas_.VisibleExtent();
    ASSERT_FALSE(start.IsEmpty());
    const double unit = Width(start) / 400.0;

    canvas_.PanBy(QPoint(40, -20)); // map moves right and up: the view goes left and down
    ExpectNear(canvas_.VisibleExtent(), gis::Envelope{start.XMin - 40 * unit, start.YMin - 20 * unit,
                                                      start.XMax - 40 * unit, start.YMax - 20 * unit});

    canvas_.FullExtent();
    ExpectNear(canvas_.VisibleExtent(), start);
    canvas_.SetTool(MapCanvas::Tool::Pan);
    QTest::mousePress(&canvas_, Qt::LeftButton, {}, QPoint(100, 100));
    QTest::mouseMove(&canvas_, QPoint(150, 100));
    QTest::mouseRelease(&canvas_, Qt::LeftButton, {}, QPoint(150, 100));
    EXPECT_NEAR(canvas_.VisibleExtent().XMin, start.XMin - 50 * unit, 1e-6);
}

TEST_F(MapCanvasTest, ZoomingKeepsThePointUnderThePointerAndTheBoxShowsItsArea) {
    const gis::Envelope start = canvas_.VisibleExtent();
    const QPointF pixel(100, 50);
    const double unit = Width(start) / 400.0;
    const QPointF anchor(start.XMin + pixel.x() * unit, start.YMax - pixel.y() * unit);

    canvas_.ZoomAt(pixel, 2.0);
    const gis::Envelope zoomed = canvas_.VisibleExtent();
    EXPECT_NEAR(Width(zoomed), Width(start) / 2.0, 1e-6);
    EXPECT_NEAR(zoomed.XMin + pixel.x() * unit / 2.0, anchor.x(), 1e-6);
    EXPECT_NEAR(zoomed.YMax - pixel.y() * unit / 2.0, anchor.y(), 1e-6);

    canvas_.FullExtent();
    canvas_.SetTool(MapCanvas::Tool::ZoomIn);
    QTest::mousePress(&canvas_, Qt::LeftButton, {}, QPoint(10, 20));
    QTest::mouseMove(&canvas_, QPoint(110, 120));
    QTest::mouseRelease(&canvas_, Qt::LeftButton, {}, QPoint(110, 120));
    // A square box on a 2:1 canvas: its height fills the view and the width grows around its centre.
    const gis::Envelope boxed = canvas_.VisibleExtent();
    EXPECT_NEAR(boxed.YMax, start.YMax - 20 * unit, 1e-6);
    EXPECT_NEAR(boxed.YMax - boxed.YMin, 101 * unit, 1e-6);
    EXPECT_NEAR((boxed.XMin + boxed.XMax) / 2.0, start.XMin + 60.5 * unit, 1e-6);
}

} // namespace
} // namespace chronova::desktop
