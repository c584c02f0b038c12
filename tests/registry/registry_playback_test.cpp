// The automation interface driven as a client program would: time layers on real files registered through
// the registry, the slider's axis read back, and a whole loop of playback run by the event loop with every
// layer checked at every step.

#include <fstream>

#include "gis/layers/open_layers.h"
#include "gis/layers/raster_layer.h"
#include "plugins/moving_points/moving_points_layer.h"
#include "registry/registry_fixture.h"
#include "support/gdal_fixtures.h"
#include "support/scratch_folder.h"

namespace chronova {
namespace {

using platform::Date;
using testing::FixtureLayer;
using testing::PointRow;

constexpr int kHours = 6;

class RegistryPlaybackTest : public testing::RegistryTest {
protected:
    // Ship i is reported at hour i (date-time group text); station i + 1 of the geodatabase observes at hours
    // i and i + 3; a raster has one band per hour; moving points are at hour i in the CSV.
    void WriteData() {
        FixtureLayer ships{"ships", wkbPoint, {{"ID", OFTInteger}, {"DTG", OFTString, OFSTNone, 20}}, {}};
        for (int i = 0; i < kHours; ++i) {
            ships.rows.push_back(PointRow(i, 0, {int64_t{i + 1}, modDateTime::DateToDTG(Hour(i))}));
        }
        testing::WriteShapefile(folder_.Path(), ships);

        FixtureLayer stations{"STATIONS", wkbPoint, {{"ID", OFTInteger}}, {}};
        FixtureLayer obs{"OBS", wkbNone, {{"STATION_ID", OFTInteger}, {"TIME", OFTDateTime}}, {}};
        for (int64_t id = 1; id <= 3; ++id) {
            stations.rows.push_back(PointRow(double(id), 1.0, {id}));
            for (int hour : {int(id) - 1, int(id) + 2}) {
                obs.rows.push_back({"", {id, testing::FixtureDate{2008, 3, 1, hour, 0}}});
            }
        }
        testing::WriteGeoPackage(folder_ / "obs.gpkg", {stations, obs});

        testing::GeoTiffLayout layout;
        layout.bands = kHours;
        testing::WriteGeoTiff(folder_ / "rain.tif", layout, [](int band, int, int) { return band; });

        std::ofstream csv(folder_ / "buoys.csv");
        csv << "TIME,X,Y,ID\n";
        for (int i = 0; i < kHours; ++i) {
            csv << "2008-03-01 0" << i << ":00," << i << ",2," << i + 1 << "\n";
        }
    }

    static Date Hour(int hour) { return Date::FromParts(2008, 3, 1, hour, 0); }

    testing::ScratchFolder folder_;
};

TEST_F(RegistryPlaybackTest, EveryKindOfTimeLayerFollowsPlaybackThroughAWholeLoop) {
    WriteData();
    auto ships = gis::OpenFeatureLayer(folder_.Path().string(), "ships");
    auto stations = gis::OpenFeatureLayer((folder_ / "obs.gpkg").string(), "STATIONS");
    auto rain = gis::OpenRasterLayer((folder_ / "rain.tif").string(), "Rain");
    auto buoys = plugins::MovingPointsLayer::Open((folder_ / "buoys.csv").string(), "Buoys");
    FocusMap().AddLayer(ships);
    FocusMap().AddLayer(stations);
    FocusMap().AddLayer(rain);
    FocusMap().AddLayer(buoys);

    ASSERT_TRUE(Registry().AddShapefileLayer(ships, "DTG"));
    ASSERT_TRUE(Registry().AddGeoDatabaseJoinedLayer(stations, "ID", "", "OBS", "", "STATION_ID", "TIME"));
    ASSERT_TRUE(Registry().AddRasterLayer(rain, "", modDateTime::DateToMinutes(Hour(0)), 3600, "h"));
    ASSERT_TRUE(Registry().AddCustomTimeLayer(buoys, "TIME"));
    Registry().Update();

    // A date-time-group layer makes the labels date-time groups.
    ASSERT_TRUE(Registry().Valid());
    EXPECT_EQ(Registry().TimeRangeCount(), 4);
    EXPECT_EQ(Slider().lblTime[0].Caption(), "010000Z MAR 2008");
    EXPECT_EQ(Slider().lblTime[1].Caption(), "010500Z MAR 2008");
    EXPECT_EQ(Slider().Label1[2].Caption(), " Interval: 1 hrs 0 mins");
    EXPECT_EQ(Slider().Slider1.Max(), kHours - 1);
    EXPECT_EQ(Slider().cboLayers.List(0), "Default");

    const auto expect_hour = [&](int hour) {
        EXPECT_EQ(Slider().lblTime[2].Caption(), modDateTime::DateToDTG(Hour(hour)));
        EXPECT_EQ(*ships->VisibleFeatures(), gis::RowIds{static_cast<uint32_t>(hour)}) << hour;
        // Station k observes at hours k - 1 and k + 2.
        EXPECT_EQ(*stations->VisibleFeatures(), gis::RowIds{static_cast<uint32_t>(hour % 3)}) << hour;
        EXPECT_EQ(rain->RendererBandIndex(), hour) << hour;
        EXPECT_EQ(platform::CDate(buoys->CurrentTimeStep()), Hour(hour)) << hour;
    };
    ASSERT_EQ(Slider().Slider1.Value(), 0);
    expect_hour(0);

    // Looping: the tick at the end goes back to the start and on to the second position at once.
    g_bLoopAnimation = true;
    Slider().tb1.Press("ID_PLAY");
    for (int tick = 1; tick <= 2 * kHours; ++tick) {
        loop_.AdvanceBy(100);
        const int hour = (tick - 1) % (kHours - 1) + 1;
        ASSERT_EQ(Slider().Slider1.Value(), hour) << tick;
        expect_hour(hour);
    }
    Slider().tb1.Press("ID_STOP");
    EXPECT_FALSE(Slider().Timer1.Enabled());
}

} // namespace
} // namespace chronova
