#include "generator/sample_scene.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

#include "datetime/mod_date_time.h"
#include "generator/seeded_random.h"

namespace chronova::sample_data {

namespace {

constexpr double kMinutesOfArc = 60.0; // nautical miles in a degree of latitude

double Radians(double degrees) {
    return degrees * std::numbers::pi / 180.0;
}

double Round(double value, double step) {
    return std::round(value / step) * step;
}

// An offset in nautical miles to the east and to the north, on a locally flat earth.
struct Offset {
    double East = 0.0;
    double North = 0.0;
    double Length() const { return std::hypot(East, North); }
};

Offset OffsetBetween(GeoPoint from, GeoPoint to) {
    const double mean_latitude = Radians((from.Lat + to.Lat) / 2.0);
    return {(to.Lon - from.Lon) * kMinutesOfArc * std::cos(mean_latitude), (to.Lat - from.Lat) * kMinutesOfArc};
}

// Degrees clockwise from north of a movement, in [0, 360).
double Heading(Offset movement) {
    const double degrees = std::atan2(movement.East, movement.North) * 180.0 / std::numbers::pi;
    return degrees < 0.0 ? degrees + 360.0 : degrees;
}

GeoPoint Move(GeoPoint from, double speed, double heading, double hours) {
    const double degrees = speed * hours / kMinutesOfArc;
    return {from.Lon + degrees * std::sin(Radians(heading)) / std::cos(Radians(from.Lat)),
            from.Lat + degrees * std::cos(Radians(heading))};
}

// A swirl around a centre whose speed rises to peak knots at radius nautical miles and fades beyond it.
Offset Swirl(Offset from_centre, double radius, double peak, bool clockwise) {
    const double distance = from_centre.Length();
    if (distance == 0.0) {
        return {};
    }
    const double r = distance / radius;
    const double speed = peak * r * std::exp(0.5 * (1.0 - r * r));
    const double east = from_centre.North / distance * speed;
    const double north = -from_centre.East / distance * speed;
    return clockwise ? Offset{east, north} : Offset{-east, -north};
}

// The surface drift at a place: an eddy turning clockwise round the central Gulf, and near the storm an
// anticlockwise swirl with a little inflow towards its centre.
Offset Drift(GeoPoint at, GeoPoint storm) {
    constexpr GeoPoint kEddyCentre{-87.5, 25.5};
    const Offset eddy = Swirl(OffsetBetween(kEddyCentre, at), 90.0, 1.6, true);
    const Offset from_storm = OffsetBetween(storm, at);
    const Offset swirl = Swirl(from_storm, 80.0, 1.5, false);
    const double inflow = 0.3 * swirl.Length() / std::max(from_storm.Length(), 1.0);
    return {eddy.East + swirl.East - inflow * from_storm.East, eddy.North + swirl.North - inflow * from_storm.North};
}

// Drifts a thing from a place through the window, with a little random wobble of its own.
Track DriftingTrack(int id, std::string name, GeoPoint start, const Track& storm, SeededRandom& random) {
    Track track{id, std::move(name), {}};
    GeoPoint at = start;
    for (int hour = 0; hour < kWindowHours; ++hour) {
        Offset drift = Drift(at, storm.Fixes.at(static_cast<size_t>(hour)).Position);
        drift.East += random.Uniform(-0.25, 0.25);
        drift.North += random.Uniform(-0.25, 0.25);
        const double speed = Round(drift.Length(), 0.01);
        const double heading = Round(Heading(drift), 1.0);
        track.Fixes.push_back({hour, at, speed, heading == 360.0 ? 0.0 : heading});
        at = Move(at, speed, heading, 1.0);
    }
    return track;
}

struct Route {
    const char* Ship;
    GeoPoint From;
    GeoPoint To;
    double Speed;
    int Departs;
};

// Port approaches round the Gulf; the ships steam straight between them at a steady speed.
constexpr std::array<Route, 6> kRoutes{{
    {"ATLAS TRADER", {-95.95, 19.3}, {-89.45, 28.8}, 14.0, 0},
    {"GULF STAR", {-94.6, 29.15}, {-81.8, 24.45}, 16.0, 3},
    {"PELICAN", {-82.9, 27.6}, {-89.7, 21.45}, 12.0, 6},
    {"NORTHWIND", {-82.35, 23.25}, {-96.9, 27.7}, 15.0, 0},
    {"SEA SPARROW", {-88.1, 30.1}, {-97.6, 22.3}, 13.0, 12},
    {"MARINER", {-81.8, 24.45}, {-89.45, 28.8}, 11.0, 0},
}};

} // namespace

int32_t WindowStartMinutes() {
    return modDateTime::PartsToMinutes(2008, 3, 1, 0, 0);
}

int32_t MinutesAtHour(int hour) {
    return WindowStartMinutes() + hour * 60;
}

Track StormTrack() {
    SeededRandom random(20080301);
    Track storm{1, "CORVINA", {}};
    GeoPoint at{-87.0, 21.0};
    for (int hour = 0; hour < kWindowHours; ++hour) {
        // It heads north-northwest, recurves to north-northeast and speeds up as it goes.
        const double progress = hour / static_cast<double>(kWindowHours - 1);
        const double heading =
            Round(std::fmod(330.0 + 50.0 * progress + random.Uniform(-4.0, 4.0) + 360.0, 360.0), 1.0);
        const double speed = Round(8.0 + 6.0 * progress + random.Uniform(-0.6, 0.6), 0.1);
        storm.Fixes.push_back({hour, at, speed, heading});
        at = Move(at, speed, heading, 1.0);
    }
    return storm;
}

std::vector<Track> BuoyTracks(const Track& storm) {
    SeededRandom random(42);
    std::vector<Track> buoys;
    for (int i = 0; i < 20; ++i) {
        // A loose five by four grid over the central Gulf; the whole division gives the row.
        const GeoPoint start{-92.5 + (i % 5) * 2.0 + random.Uniform(-0.4, 0.4),
                             23.6 + (i / 5) * 1.3 + random.Uniform(-0.3, 0.3)}; // NOLINT(bugprone-integer-division)
        buoys.push_back(DriftingTrack(i + 1, "Buoy " + std::to_string(i + 1), start, storm, random));
    }
    return buoys;
}

std::vector<Track> DrifterTracks(const Track& storm) {
    SeededRandom random(7);
    std::vector<Track> drifters;
    const char* const names[] = {"Drifter A", "Drifter B", "Drifter C", "Drifter D"};
    for (int i = 0; i < 4; ++i) {
        // Released round the eddy's edge, a quarter turn apart.
        const double bearing = Radians(45.0 + 90.0 * i);
        const GeoPoint start{-87.5 + 1.6 * std::sin(bearing) / std::cos(Radians(25.5)), 25.5 + 1.6 * std::cos(bearing)};
        drifters.push_back(DriftingTrack(i + 1, names[i], start, storm, random));
    }
    return drifters;
}

std::vector<Track> ShipTracks() {
    std::vector<Track> ships;
    int id = 0;
    for (const Route& route : kRoutes) {
        const Offset leg = OffsetBetween(route.From, route.To);
        const double heading = Round(Heading(leg), 1.0);
        Track ship{++id, route.Ship, {}};
        for (int hour = route.Departs; hour < kWindowHours; ++hour) {
            const double part = route.Speed * (hour - route.Departs) / leg.Length();
            if (part > 1.0) {
                break;
            }
            const GeoPoint at{route.From.Lon + part * (route.To.Lon - route.From.Lon),
                              route.From.Lat + part * (route.To.Lat - route.From.Lat)};
            ship.Fixes.push_back({hour, at, route.Speed, heading});
        }
        ships.push_back(std::move(ship));
    }
    return ships;
}

std::vector<Station> Stations() {
    return {
        {1, "Galveston Bay", {-94.75, 29.35}}, {2, "Sabine Pass", {-93.87, 29.73}},
        {3, "Grand Isle", {-90.0, 29.25}},     {4, "Pensacola", {-87.2, 30.35}},
        {5, "Cedar Key", {-83.03, 29.13}},     {6, "Naples", {-81.8, 26.13}},
        {7, "Dry Tortugas", {-82.87, 24.63}},  {8, "Progreso", {-89.66, 21.3}},
        {9, "Tampico", {-97.85, 22.25}},       {10, "Port Isabel", {-97.2, 26.07}},
        {11, "Eugene Island", {-91.4, 28.4}},  {12, "Mississippi Canyon", {-89.0, 28.2}},
        {13, "Campeche Bank", {-91.5, 22.5}},  {14, "Central Gulf", {-89.7, 25.9}},
    };
}

std::vector<Observation> Observations(const std::vector<Station>& stations, const Track& storm) {
    SeededRandom random(3);
    std::vector<Observation> observations;
    for (int hour = 0; hour < kWindowHours; hour += 3) {
        std::vector<const Station*> reporting;
        for (const Station& station : stations) {
            if (random.Uniform(0.0, 1.0) < 0.7) {
                reporting.push_back(&station);
            }
        }
        if (reporting.empty() && !stations.empty()) {
            reporting.push_back(&stations[static_cast<size_t>(hour / 3) % stations.size()]);
        }
        const GeoPoint centre = storm.Fixes.at(static_cast<size_t>(hour)).Position;
        for (const Station* station : reporting) {
            // Warmer to the south and in the afternoon, cooler under the storm.
            const double daily = 1.6 * std::sin(2.0 * std::numbers::pi * (hour - 9) / 24.0);
            const double storm_miles = OffsetBetween(centre, station->Position).Length();
            const double cooling = 4.0 * std::exp(-std::pow(storm_miles / 70.0, 2.0));
            const double temperature =
                27.0 - 0.5 * (station->Position.Lat - 20.0) + daily - cooling + random.Uniform(-0.3, 0.3);
            observations.push_back(
                {static_cast<int>(observations.size()) + 1, station->Id, hour, Round(temperature, 0.1)});
        }
    }
    return observations;
}

double RainRate(const Track& storm, int hour, GeoPoint at) {
    const Fix& centre = storm.Fixes.at(static_cast<size_t>(hour));
    const Offset offset = OffsetBetween(centre.Position, at);
    const double r = offset.Length() / kMinutesOfArc; // in degrees of arc
    if (r > 4.0) {
        return 0.0;
    }
    // The storm is strongest half-way through the window.
    const double strength = 0.7 + 0.3 * std::sin(std::numbers::pi * hour / (kWindowHours - 1));
    const double core = 42.0 * std::exp(-std::pow(r / 0.45, 2.0));
    // Two spiral bands that turn anticlockwise with time.
    const double angle = std::atan2(offset.North, offset.East);
    const double phase = 2.0 * angle + 3.2 * r - 0.4 * hour;
    const double arms =
        16.0 * std::exp(-std::pow((r - 1.4) / 0.75, 2.0)) * std::pow(std::max(0.0, std::cos(phase)), 2.0);
    // More rain to the right of the storm's path.
    const double side = 1.0 + 0.3 * std::cos(Radians(Heading(offset) - centre.Direction - 90.0));
    return strength * side * (core + arms);
}

} // namespace chronova::sample_data
