// What the map shows at a time step, read from drawn frames: the system filters, the host draws.
#include <gtest/gtest.h>

#include <QImage>

#include "gis/drawing/map_drawer.h"
#include "gis/map/map.h"
#include "gis/symbology/renderers.h"
#include "platform/locale.h"
#include "records/layer_data.h"
#include "registry/globals.h"
#include "support/scratch_folder.h"
#include "timeapply/arc_objects.h"
#include "timeapply/mod_layers.h"
#include "timeapply/test_layers.h"

namespace chronova {
namespace {

using platform::Date;

constexpr int kSize = 600; // pixels; the extent -1..5 makes 100 pixels per map unit

QPoint PixelOf(double x, double y) {
    return {static_cast<int>((x + 1.0) * 100.0), static_cast<int>((5.0 - y) * 100.0)};
}

// Painted (non-white) pixels in a square around a map point: their bounding box.
QRect PaintedAround(const QImage& frame, double x, double y, int radius = 45) {
    const QPoint centre = PixelOf(x, y);
    QRect box;
    for (int py = centre.y() - radius; py <= centre.y() + radius; ++py) {
        for (int px = centre.x() - radius; px <= centre.x() + radius; ++px) {
            if (frame.valid(px, py) && frame.pixel(px, py) != qRgb(255, 255, 255)) {
                box |= QRect(px, py, 1, 1);
            }
        }
    }
    return box;
}

class TimeDrawingTest : public ::testing::Test {
protected:
    void SetUp() override { ResetGlobals(); }
    void TearDown() override { ResetGlobals(); }

    QImage Frame() { return drawer_.Draw(QSize(kSize, kSize), gis::Envelope{-1.0, -1.0, 5.0, 5.0}); }

    platform::ScopedLocale us_{"en-US"};
    std::shared_ptr<gis::Map> map_ = std::make_shared<gis::Map>();
    gis::MapDrawer drawer_{map_};
};

TEST_F(TimeDrawingTest, AStepShowsExactlyItsFeatures) {
    // Features at x = 0, 1, 2, 3 on y = 0 with times 0:00, 6:00, 6:00, 12:00.
    auto data = testing::TimeTable({"3/1/2008 0:00", "3/1/2008 6:00", "3/1/2008 6:00", "3/1/2008 12:00"});
    map_->AddLayer(data.layer);
    LayerData record;
    testing::MakeFeatureRecord(record, data.layer, "WHEN");
    ASSERT_TRUE(ArcObjects::RetrieveTimeInfo(&record));
    const std::pair<Date, std::vector<bool>> steps[] = {
        {Date::FromParts(2008, 3, 1, 0, 0), {true, false, false, false}},
        {Date::FromParts(2008, 3, 1, 6, 0), {false, true, true, false}},
        {Date::FromParts(2008, 3, 1, 9, 0), {false, false, false, false}},
        {Date::FromParts(2008, 3, 1, 12, 0), {false, false, false, true}},
    };
    for (const auto& [time, shown] : steps) {
        ASSERT_TRUE(modLayers::UpdateLayer(record, time));
        const QImage frame = Frame();
        for (int x = 0; x < 4; ++x) {
            EXPECT_EQ(!PaintedAround(frame, x, 0.0, 10).isEmpty(), shown[static_cast<size_t>(x)])
                << "feature " << x << " at " << platform::CStr(time);
        }
    }
}

TEST_F(TimeDrawingTest, VectorsPointAlongTheirDirectionAndGrowWithSpeed) {
    // Two points of one step: slow heading east at (0, 0), fast heading north at (1, 0).
    auto data = testing::TimeTable({"3/1/2008", "3/1/2008"});
    auto& columns = data.feature_class->Columns();
    gis::Column& speed = columns.AddField({"SPEED", "", gis::FieldType::Double});
    gis::Column& direction = columns.AddField({"DIR", "", gis::FieldType::Double});
    speed.AppendReal(1.0);
    direction.AppendReal(90.0);
    speed.AppendReal(10.0);
    direction.AppendReal(0.0);
    map_->AddLayer(data.layer);

    LayerData record;
    testing::MakeFeatureRecord(record, data.layer, "WHEN");
    record.IsVectorized = true;
    record.SpeedField = "SPEED";
    record.DirectionField = "DIR";
    record.VectorFont = "No Such Arrow Font";
    record.VectorChar = 33;
    record.VectorMinSize = 12.0;
    record.VectorMaxSize = 48.0;
    ASSERT_TRUE(ArcObjects::RetrieveTimeInfo(&record));
    ArcObjects::LoadRangeMinMax(&record, "SPEED");
    ASSERT_TRUE(modLayers::UpdateLayer(record, Date::FromParts(2008, 3, 1)));
    const QImage frame = Frame();
    const QRect east = PaintedAround(frame, 0.0, 0.0);
    const QRect north = PaintedAround(frame, 1.0, 0.0);
    ASSERT_FALSE(east.isEmpty());
    ASSERT_FALSE(north.isEmpty());
    EXPECT_GT(east.width(), east.height());
    EXPECT_GT(north.height(), north.width());
    EXPECT_GT(north.height(), east.width());
}

TEST_F(TimeDrawingTest, ARasterShowsItsStepsBandAndDisappearsBetweenSteps) {
    testing::ScratchFolder folder;
    LayerData record;
    auto layer = testing::MakeRasterRecord(record, 4, folder.Path() / "rain.ini",
                                           modDateTime::DateToMinutes(Date::FromParts(2008, 3, 1)), 6, "h");
    auto stretch = std::make_shared<gis::RasterStretchColorRampRenderer>();
    stretch->UseCustomStretchMinMax = true;
    stretch->CustomStretchMin = 0.0;
    stretch->CustomStretchMax = 4.0;
    stretch->FromColor = gis::Color{0, 0, 0, false};
    stretch->ToColor = gis::Color{0, 0, 255, false};
    layer->Renderer(stretch);
    map_->AddLayer(layer);
    ASSERT_TRUE(ArcObjects::RetrieveTimeInfo(&record));

    // The raster covers 0..2 on both axes; its cells hold the band number.
    ASSERT_TRUE(modLayers::UpdateLayer(record, Date::FromParts(2008, 3, 1, 6, 0)));
    const QRgb second_band = Frame().pixel(PixelOf(1.0, 1.0));
    ASSERT_TRUE(modLayers::UpdateLayer(record, Date::FromParts(2008, 3, 1, 18, 0)));
    const QRgb fourth_band = Frame().pixel(PixelOf(1.0, 1.0));
    EXPECT_GT(qBlue(fourth_band), qBlue(second_band));
    EXPECT_NE(second_band, qRgb(255, 255, 255));
    ASSERT_TRUE(modLayers::UpdateLayer(record, Date::FromParts(2008, 3, 1, 19, 0)));
    EXPECT_EQ(Frame().pixel(PixelOf(1.0, 1.0)), qRgb(255, 255, 255));
}

} // namespace
} // namespace chronova
