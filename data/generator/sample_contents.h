#pragma once

// What goes into each sample file: attribute tables with their shapes, the drifters' CSV text and the rain step
// list, built from the scene. Nothing here touches the disk.

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "generator/sample_scene.h"

namespace chronova::sample_data {

/// Field types the sample tables use; each maps to one GDAL field type.
enum class FieldKind { Integer, Real, Text, DateTime };

struct FieldLayout {
    std::string Name;
    FieldKind Kind = FieldKind::Text;
    int Width = 0; ///< text fields of shapefiles need one; 0 leaves the format's default
};

/// A date and time value, as a minute count.
struct Stamp {
    int32_t Minutes = 0;
};

/// One value of a row, matching its field's kind.
using FieldValue = std::variant<int64_t, double, std::string, Stamp>;

/// Whether a table has shapes, and which.
enum class ShapeKind { None, Point, Polygon };

/// One row: its shape (one point, or a polygon's closed ring; empty without shapes) and a value per field.
struct TableRow {
    std::vector<GeoPoint> Shape;
    std::vector<FieldValue> Values;
};

/// A feature class, or a table when Shape is None. Shapes are in EPSG:4326.
struct SampleTable {
    std::string Name;
    ShapeKind Shape = ShapeKind::None;
    std::vector<FieldLayout> Fields;
    std::vector<TableRow> Rows;
};

/// storm_track: the storm's hourly positions with WHEN, SPEED (knots), DIR (degrees) and NAME.
SampleTable StormTrackTable(const Track& storm);
/// buoys: every buoy's hourly reports with BUOY_ID, WHEN, SPEED and DIR, in time order.
SampleTable BuoysTable(const std::vector<Track>& buoys);
/// ship_tracks: the ships' hourly positions with DTG (a date-time group text) and SHIP, in time order.
SampleTable ShipTracksTable(const std::vector<Track>& ships);
/// STATIONS: the stations with ID and NAME.
SampleTable StationsTable(const std::vector<Station>& stations);
/// OBS: the station reports with OBS_ID, STATION_ID, TIME and TEMP; no shapes.
SampleTable ObservationsTable(const std::vector<Observation>& observations);
/// land: the land areas, one polygon per row, with NAME.
SampleTable LandTable();

/// The drifters' reports as the moving points layer reads them: a header TIME,X,Y,ID,SPEED,DIRECTION and a line
/// per report in time order, times as "YYYY-MM-DD HH:MM", lines ending in LF.
std::string DriftersCsv(const std::vector<Track>& drifters);

/// A raster step list: one "timestep" element per band, holding the date-time group of hour first_hour + band - 1.
std::string RasterStepListXml(int first_hour, int bands);

/// "YYYY-MM-DD HH:MM" of a minute count.
std::string IsoText(int32_t minutes);

} // namespace chronova::sample_data
