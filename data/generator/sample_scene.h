#pragma once

// The scene the sample data shows: a storm crossing the Gulf of Mexico over two days, with buoys and drifters
// carried by an ocean eddy and the storm's winds, ships on their routes, weather stations reporting every three
// hours, and the storm's rain. Everything is computed from fixed numbers and fixed seeds, so that every run gives
// the same data.

#include <cstdint>
#include <string>
#include <vector>

namespace chronova::sample_data {

/// Every moving thing of the scene reports within this many hours.
inline constexpr int kWindowHours = 48;

/// The minute count of the window's first hour, 1 March 2008 00:00.
int32_t WindowStartMinutes();
/// The minute count of an hour of the window.
int32_t MinutesAtHour(int hour);

/// A place given by longitude and latitude in degrees (EPSG:4326 in longitude, latitude order).
struct GeoPoint {
    double Lon = 0.0;
    double Lat = 0.0;
};

/// The area every layer of the sample data lies in; its 4:3 shape fits the demo's 1024 x 768 frames.
struct Region {
    double West = -98.0;
    double South = 18.0;
    double East = -80.0;
    double North = 31.5;
};
inline constexpr Region kRegion{};

/// Where a moving thing is at an hour of the window, and its speed (knots) and heading (degrees clockwise from
/// north) over the hour that follows.
struct Fix {
    int Hour = 0;
    GeoPoint Position;
    double Speed = 0.0;
    double Direction = 0.0;
};

/// The hourly reports of one moving thing, in time order.
struct Track {
    int Id = 0;
    std::string Name;
    std::vector<Fix> Fixes;
};

/// The storm: one fix for every hour of the window.
Track StormTrack();
/// Twenty buoys, each reporting every hour of the window.
std::vector<Track> BuoyTracks(const Track& storm);
/// A few drifters whose reports the example custom time layer reads.
std::vector<Track> DrifterTracks(const Track& storm);
/// Ships reporting every hour from their departure until they reach port or the window ends.
std::vector<Track> ShipTracks();

/// A weather station on the coast or offshore.
struct Station {
    int Id = 0;
    std::string Name;
    GeoPoint Position;
};
std::vector<Station> Stations();

/// One report of a station: air temperature in degrees Celsius at an hour of the window.
struct Observation {
    int Id = 0;
    int StationId = 0;
    int Hour = 0;
    double Temperature = 0.0;
};
/// Reports every three hours from some of the stations, a different set each time; at most one report per station
/// and time, so that a join by station gives one record per station at each step.
std::vector<Observation> Observations(const std::vector<Station>& stations, const Track& storm);

/// The storm's rain rate in millimetres per hour at a place and hour of the window: a core around the storm's
/// centre and two rain bands that turn with the storm. Zero far from the storm.
double RainRate(const Track& storm, int hour, GeoPoint at);

} // namespace chronova::sample_data
