#include "generator/sample_scene.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <set>
#include <utility>

#include "datetime/mod_date_time.h"
#include "generator/coastline.h"
#include "generator/sample_contents.h"
#include "platform/conversions.h"
#include "platform/locale.h"
#include "plugins/moving_points/moving_points_layer.h"

namespace chronova::sample_data {
namespace {

bool InRegion(GeoPoint point) {
    return point.Lon >= kRegion.West && point.Lon <= kRegion.East && point.Lat >= kRegion.South &&
           point.Lat <= kRegion.North;
}

// Each fix's speed and heading must carry the thing to where its next fix is, so that arrows drawn from SPEED and
// DIR point along the track and grow with the real pace.
void ExpectFixesAgreeWithTheTrack(const Track& track) {
    SCOPED_TRACE(track.Name);
    for (size_t i = 0; i + 1 < track.Fixes.size(); ++i) {
        const Fix& fix = track.Fixes[i];
        const Fix& next = track.Fixes[i + 1];
        const double hours = next.Hour - fix.Hour;
        const double east =
            (next.Position.Lon - fix.Position.Lon) * 60.0 * std::cos(fix.Position.Lat * std::numbers::pi / 180.0);
        const double north = (next.Position.Lat - fix.Position.Lat) * 60.0;
        const double speed = std::hypot(east, north) / hours;
        EXPECT_NEAR(speed, fix.Speed, 0.02 * fix.Speed + 0.01) << "hour " << fix.Hour;
        if (fix.Speed > 0.2) {
            const double heading = std::atan2(east, north) * 180.0 / std::numbers::pi;
            EXPECT_NEAR(std::remainder(heading - fix.Direction, 360.0), 0.0, 2.0) << "hour " << fix.Hour;
        }
        EXPECT_GE(fix.Direction, 0.0);
        EXPECT_LT(fix.Direction, 360.0);
    }
}

TEST(SampleSceneTest, SpeedsAndHeadingsAgreeWithTheTracks) {
    const Track storm = StormTrack();
    ASSERT_EQ(storm.Fixes.size(), static_cast<size_t>(kWindowHours));
    ExpectFixesAgreeWithTheTrack(storm);
    for (const auto& tracks : {BuoyTracks(storm), DrifterTracks(storm), ShipTracks()}) {
        for (const Track& track : tracks) {
            ExpectFixesAgreeWithTheTrack(track);
        }
    }
}

TEST(SampleSceneTest, EverythingStaysInsideTheRegionAndTheWindow) {
    const Track storm = StormTrack();
    std::vector<Track> tracks{storm};
    for (const auto& more : {BuoyTracks(storm), DrifterTracks(storm), ShipTracks()}) {
        tracks.insert(tracks.end(), more.begin(), more.end());
    }
    for (const Track& track : tracks) {
        for (const Fix& fix : track.Fixes) {
            EXPECT_TRUE(InRegion(fix.Position)) << track.Name << " at hour " << fix.Hour;
            EXPECT_TRUE(fix.Hour >= 0 && fix.Hour < kWindowHours) << track.Name;
        }
    }
    for (const Station& station : Stations()) {
        EXPECT_TRUE(InRegion(station.Position)) << station.Name;
    }
    for (const LandArea& area : LandAreas()) {
        ASSERT_GE(area.Ring.size(), 4u);
        EXPECT_TRUE(area.Ring.front().Lon == area.Ring.back().Lon && area.Ring.front().Lat == area.Ring.back().Lat)
            << area.Name << " is not closed";
        for (const GeoPoint& point : area.Ring) {
            EXPECT_TRUE(InRegion(point)) << area.Name << " at " << point.Lon << " " << point.Lat;
        }
    }
}

TEST(SampleSceneTest, StationsReportEveryThreeHoursOncePerStation) {
    const std::vector<Station> stations = Stations();
    const std::vector<Observation> observations = Observations(stations, StormTrack());
    std::set<int> hours;
    std::set<std::pair<int, int>> reports;
    std::set<int> reporting_stations;
    for (size_t i = 0; i < observations.size(); ++i) {
        const Observation& observation = observations[i];
        EXPECT_EQ(observation.Id, static_cast<int>(i) + 1);
        EXPECT_EQ(observation.Hour % 3, 0);
        EXPECT_TRUE(reports.insert({observation.StationId, observation.Hour}).second)
            << "station " << observation.StationId << " reports twice at hour " << observation.Hour;
        EXPECT_TRUE(observation.StationId >= 1 && observation.StationId <= static_cast<int>(stations.size()));
        EXPECT_TRUE(observation.Temperature > 10.0 && observation.Temperature < 35.0) << observation.Temperature;
        hours.insert(observation.Hour);
        reporting_stations.insert(observation.StationId);
    }
    EXPECT_EQ(hours.size(), static_cast<size_t>(kWindowHours / 3));
    // Not every station at every time, or the join would show nothing but the stations themselves.
    EXPECT_LT(observations.size(), hours.size() * stations.size());
    EXPECT_EQ(reporting_stations.size(), stations.size());
}

TEST(SampleSceneTest, TheRainFollowsTheStormCentre) {
    const Track storm = StormTrack();
    for (int hour : {0, 23, 24, 47}) {
        const GeoPoint centre = storm.Fixes[static_cast<size_t>(hour)].Position;
        EXPECT_GT(RainRate(storm, hour, centre), 20.0) << hour;
        EXPECT_EQ(RainRate(storm, hour, {centre.Lon + 6.0, centre.Lat}), 0.0) << hour;
    }
}

TEST(SampleSceneTest, TheDriftersFileIsOneTheMovingPointsLayerReads) {
    platform::ScopedLocale us("en-US");
    const std::vector<Track> drifters = DrifterTracks(StormTrack());
    const auto layer = plugins::MovingPointsLayer::FromText(DriftersCsv(drifters), "buoys.csv");
    EXPECT_EQ(layer->TimeStepCount(), kWindowHours);
    EXPECT_EQ(layer->Points().size(), drifters.size() * kWindowHours);
    EXPECT_TRUE(layer->ForceVectors());
    EXPECT_EQ(modDateTime::DateToMinutes(platform::CDate(layer->TimeStep(1))), WindowStartMinutes());
    EXPECT_EQ(modDateTime::DateToMinutes(platform::CDate(layer->TimeStep(kWindowHours))),
              MinutesAtHour(kWindowHours - 1));
}

} // namespace
} // namespace chronova::sample_data
