#include "generator/sample_contents.h"

#include <algorithm>
#include <cstdio>
#include <tuple>

#include "datetime/mod_date_time.h"
#include "generator/coastline.h"

namespace chronova::sample_data {

namespace {

std::string Formatted(const char* format, double value) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

// One row per fix of every track, ordered by time and then by track, as a receiving station would log them.
struct TrackReport {
    const Track* Owner;
    const Fix* At;
};

std::vector<TrackReport> ReportsInTimeOrder(const std::vector<Track>& tracks) {
    std::vector<TrackReport> reports;
    for (const Track& track : tracks) {
        for (const Fix& fix : track.Fixes) {
            reports.push_back({&track, &fix});
        }
    }
    std::stable_sort(reports.begin(), reports.end(), [](const TrackReport& a, const TrackReport& b) {
        return std::tie(a.At->Hour, a.Owner->Id) < std::tie(b.At->Hour, b.Owner->Id);
    });
    return reports;
}

} // namespace

std::string IsoText(int32_t minutes) {
    int16_t year = 0;
    int16_t month = 0;
    int16_t day = 0;
    int16_t hour = 0;
    int16_t minute = 0;
    modDateTime::MinutesToParts(minutes, year, month, day, hour, minute);
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d", year, month, day, hour, minute);
    return text;
}

SampleTable StormTrackTable(const Track& storm) {
    SampleTable table{"storm_track",
                      ShapeKind::Point,
                      {{"WHEN", FieldKind::DateTime},
                       {"SPEED", FieldKind::Real},
                       {"DIR", FieldKind::Real},
                       {"NAME", FieldKind::Text, 20}},
                      {}};
    for (const Fix& fix : storm.Fixes) {
        table.Rows.push_back({{fix.Position}, {Stamp{MinutesAtHour(fix.Hour)}, fix.Speed, fix.Direction, storm.Name}});
    }
    return table;
}

SampleTable BuoysTable(const std::vector<Track>& buoys) {
    SampleTable table{"buoys",
                      ShapeKind::Point,
                      {{"BUOY_ID", FieldKind::Integer},
                       {"WHEN", FieldKind::DateTime},
                       {"SPEED", FieldKind::Real},
                       {"DIR", FieldKind::Real}},
                      {}};
    for (const TrackReport& report : ReportsInTimeOrder(buoys)) {
        table.Rows.push_back({{report.At->Position},
                              {int64_t{report.Owner->Id}, Stamp{MinutesAtHour(report.At->Hour)}, report.At->Speed,
                               report.At->Direction}});
    }
    return table;
}

SampleTable ShipTracksTable(const std::vector<Track>& ships) {
    SampleTable table{
        "ship_tracks", ShapeKind::Point, {{"DTG", FieldKind::Text, 16}, {"SHIP", FieldKind::Text, 20}}, {}};
    for (const TrackReport& report : ReportsInTimeOrder(ships)) {
        table.Rows.push_back(
            {{report.At->Position}, {modDateTime::MinutesToDTG(MinutesAtHour(report.At->Hour)), report.Owner->Name}});
    }
    return table;
}

SampleTable StationsTable(const std::vector<Station>& stations) {
    SampleTable table{"STATIONS", ShapeKind::Point, {{"ID", FieldKind::Integer}, {"NAME", FieldKind::Text, 30}}, {}};
    for (const Station& station : stations) {
        table.Rows.push_back({{station.Position}, {int64_t{station.Id}, station.Name}});
    }
    return table;
}

SampleTable ObservationsTable(const std::vector<Observation>& observations) {
    SampleTable table{"OBS",
                      ShapeKind::None,
                      {{"OBS_ID", FieldKind::Integer},
                       {"STATION_ID", FieldKind::Integer},
                       {"TIME", FieldKind::DateTime},
                       {"TEMP", FieldKind::Real}},
                      {}};
    for (const Observation& observation : observations) {
        table.Rows.push_back({{},
                              {int64_t{observation.Id}, int64_t{observation.StationId},
                               Stamp{MinutesAtHour(observation.Hour)}, observation.Temperature}});
    }
    return table;
}

SampleTable LandTable() {
    SampleTable table{"land", ShapeKind::Polygon, {{"NAME", FieldKind::Text, 30}}, {}};
    for (LandArea& area : LandAreas()) {
        table.Rows.push_back({std::move(area.Ring), {std::move(area.Name)}});
    }
    return table;
}

std::string DriftersCsv(const std::vector<Track>& drifters) {
    std::string text = "TIME,X,Y,ID,SPEED,DIRECTION\n";
    for (const TrackReport& report : ReportsInTimeOrder(drifters)) {
        const Fix& fix = *report.At;
        text += IsoText(MinutesAtHour(fix.Hour)) + "," + Formatted("%.4f", fix.Position.Lon) + "," +
                Formatted("%.4f", fix.Position.Lat) + "," + report.Owner->Name + "," + Formatted("%.2f", fix.Speed) +
                "," + Formatted("%.0f", fix.Direction) + "\n";
    }
    return text;
}

std::string RasterStepListXml(int first_hour, int bands) {
    std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<timesteps>\n";
    for (int band = 1; band <= bands; ++band) {
        text += "  <timestep band=\"" + std::to_string(band) + "\">" +
                modDateTime::MinutesToDTG(MinutesAtHour(first_hour + band - 1)) + "</timestep>\n";
    }
    text += "</timesteps>\n";
    return text;
}

} // namespace chronova::sample_data
