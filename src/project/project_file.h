#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "datetime/calendar_interval.h"
#include "gis/data/geometry_column.h"
#include "gis/layers/label_settings.h"
#include "gis/layout/layout_settings.h"
#include "gis/symbology/color.h"
#include "gis/symbology/symbols.h"
#include "records/time_codes.h"

namespace chronova::project {

/// A project file that cannot be used: it names the file, the place in it (a JSON pointer such as
/// "/layers/2/time/field", or "line L, column C" for a syntax error; empty when the file cannot be read at all)
/// and what is wrong, so the user can fix it without guessing. what() is "FILE: PLACE: MESSAGE".
class ProjectError : public std::runtime_error {
public:
    ProjectError(std::string file, std::string place, std::string message);

    const std::string& file() const noexcept { return file_; }
    const std::string& place() const noexcept { return place_; }
    const std::string& message() const noexcept { return message_; }

private:
    std::string file_;
    std::string place_;
    std::string message_;
};

/// What a layer entry makes: each kind opens its data differently and takes different time settings.
enum class LayerKind { Feature, Raster, Wms, Group, MovingPoints };

/// The kind's name as project files spell it ("feature", "moving_points", ...).
std::string_view KindName(LayerKind kind);

/// The slider's two display modes, numbered as g_iDisplayType stores them.
enum class DisplayType : int16_t { Interval = kDisplayInterval, Unique = kDisplayUniquePoints };

/// Where a layer's data comes from; only the members of the layer's kind are set. Paths are resolved against
/// the project file's folder.
struct LayerSource {
    /// Feature layers: a folder of shapefiles, a GeoPackage or another vector file GDAL reads, and the feature
    /// class in it.
    /// A "PG:..." connection string names a PostgreSQL/PostGIS database, whose rows stay on the server.
    std::filesystem::path Workspace;
    std::string Dataset;
    /// Feature layers of a database: a SELECT query whose rows the layer draws, named by Dataset; "" for a table.
    std::string Query;
    /// Feature layers: GDAL open options for the workspace's file ("X_POSSIBLE_NAMES=lon", ...); none by default.
    std::vector<std::string> OpenOptions;
    /// Raster layers: the raster file; moving points: the CSV file.
    std::filesystem::path Path;
    /// Web map service layers: the service address and the service layers requested.
    std::string Url;
    std::vector<std::string> ServiceLayers;
};

/// How a field's values are split into classes.
enum class ClassifyMethod { Unique, EqualInterval, Quantile, Breaks };

/// Colours by a field ("by"): one class per distinct value, or graduated classes of a number field. Classes
/// are computed from the layer's whole table when the project is opened.
struct FieldClasses {
    std::string Field;
    /// Unset: Breaks when breaks are given, else unique values for text fields and equal intervals for numbers.
    std::optional<ClassifyMethod> Classify;
    /// Equal-interval and quantile classes, 1..32; unset means 5.
    std::optional<int32_t> Classes;
    /// Ascending breaks b0..bn for ClassifyMethod::Breaks.
    std::vector<double> Breaks;
    /// A palette name, or a list of colours; neither takes the default palette.
    std::optional<std::string> Ramp;
    std::vector<gis::Color> Colors;
    /// Unique values with fixed colours, in the file's order.
    std::vector<std::pair<std::string, gis::Color>> Values;
};

/// A simple renderer for a feature layer; unset values keep the layer's own default symbol. With Classes, the
/// symbol styles every class and the classes give the colours.
struct FeatureSymbology {
    std::optional<gis::Color> Color;
    std::optional<gis::Color> Outline;
    std::optional<double> Size;
    std::optional<double> Width;
    std::optional<gis::SimpleMarkerStyle> Marker;
    std::optional<FieldClasses> Classes;
};

/// A raster layer's colour ramp from the lowest to the highest value; unset ends keep black and white. A palette
/// name or a list of colours makes a ramp of several stops instead. RGB: unset draws a raster with red, green and
/// blue bands and no time settings in its own colours; true forces, false refuses that.
struct RasterRamp {
    std::optional<gis::Color> From;
    std::optional<gis::Color> To;
    std::optional<std::string> Ramp;
    std::vector<gis::Color> Colors;
    std::optional<bool> Rgb;
    /// Red, green, blue and optionally alpha band numbers (from 1) for the RGB renderer.
    std::vector<int32_t> Bands;
};

/// A time field that sits in a table of the layer's GeoPackage, joined to the layer by key.
struct JoinSettings {
    std::string Key;
    std::string Table;
    std::string TableKey;
    std::string Name;
    std::string PrimaryKey;
    std::string AdditionalFields;
};

/// Band timing of a raster: band k is Start + k × Interval.
struct RasterTiming {
    int32_t Start = 0;    ///< minute count
    int32_t Interval = 0; ///< seconds, or for "m" and "yyyy" the number of months or years
    std::string Unit;     ///< "d", "h", "n", "m" (months) or "yyyy" (years)
};

/// Speed and direction fields drawn as sized and turned markers.
struct VectorSettings {
    std::string Speed;
    std::string Direction;
    std::optional<std::string> Font;
    std::optional<int16_t> Character;
    std::optional<double> MinSize;
    std::optional<double> MaxSize;
    double RangeMin = 0.0;
    double RangeMax = 0.0;
    /// Whether the entry picks the marker itself (font, character or sizes), which needs MakeVectorsWithChar.
    bool PicksMarker() const noexcept { return Font || Character || MinSize || MaxSize; }
};

/// Moving things: each entity at its latest fix, with a trail.
struct TrackSettings {
    std::string Id;
    /// Durations as the registry reads them ("10min"); the trail may be "all".
    std::string MaxAge;
    std::string Trail;
};

/// How a layer carries time: the arguments of the registry's add operation and what is set after it.
struct TimeSettings {
    std::string Field;
    /// The integer field counts years (`"kind": "year"`): 2005 is 1 January 2005.
    bool Years = false;
    std::optional<JoinSettings> Join;
    std::optional<RasterTiming> Raster;
    bool PreviousSteps = false;
    bool Cached = false;
    std::optional<VectorSettings> Vectors;
    /// Feature layers with their own time field: the window shown from the current time ("interval" or a
    /// duration such as "15min"), tracks, and the zone of values without an offset.
    std::optional<std::string> Window;
    std::optional<TrackSettings> Track;
    std::optional<std::string> TimeZone;
};

/// One layer entry; a group holds its children, top first.
struct LayerEntry {
    std::string Name;
    LayerKind Kind = LayerKind::Feature;
    /// The entry's JSON pointer, for messages.
    std::string Place;
    LayerSource Source;
    bool Visible = true;
    std::optional<FeatureSymbology> Symbology;
    std::optional<RasterRamp> Ramp;
    /// Feature layers: labels of the features by a field.
    std::optional<gis::LabelSettings> Labels;
    /// Set for time layers only.
    std::optional<TimeSettings> Time;
    std::vector<LayerEntry> Layers;
};

struct MapSettings {
    std::string Name = "Layers";
    /// None shows all layers.
    std::optional<gis::Envelope> Extent;
    /// "EPSG:n" or WKT; empty takes the first layer's.
    std::string SpatialReference;
    gis::Color Background{255, 255, 255, false};
};

struct DisplaySettings {
    DisplayType Type = DisplayType::Interval;
    bool FillGaps = false;
    bool TocLabels = true;
    bool Loop = false;
    /// Dates (true) or date-time groups (false) on the slider; unset lets the slider choose, which shows
    /// date-time groups as soon as a layer's steps are date-time groups.
    std::optional<bool> UseDateTime;
    /// The strftime-like format of time labels; unset keeps the classic labels, or with a calendar interval labels
    /// that follow the step.
    std::optional<std::string> LabelFormat;
    /// The zone times are shown in; unset shows values as stored.
    std::optional<std::string> TimeZone;
};

/// The slider's time window; whatever is unset stays as the layers give it.
struct TimeWindow {
    std::optional<int32_t> Start;    ///< minute count
    std::optional<int32_t> Finish;   ///< minute count
    std::optional<int32_t> Interval; ///< minutes, or months or years by IntervalUnit
    modDateTime::IntervalUnit IntervalUnit = modDateTime::IntervalUnit::Minutes;
    std::optional<std::string> RangeLayer;
};

struct ExportSettings {
    int32_t Width = 1024;
    int32_t Height = 768;
    int32_t Fps = 4;
    std::optional<std::filesystem::path> Out;
    std::optional<std::filesystem::path> Gif;
    std::optional<std::filesystem::path> Mp4;
};

/// A parsed and fully validated project: everything in it has the right type and range, so opening it can fail
/// only on the data it names.
struct Project {
    std::filesystem::path File;
    MapSettings Map;
    /// Top first, as listed.
    std::vector<LayerEntry> Layers;
    DisplaySettings Display;
    TimeWindow Time;
    ExportSettings Export;
    /// The furniture drawn around the map on exported frames.
    gis::LayoutSettings Layout;

    /// The layer with this name at any depth, or null.
    const LayerEntry* FindLayer(std::string_view name) const;
    /// Every layer entry, depth first in listed order (a group before its children).
    std::vector<const LayerEntry*> AllLayers() const;
};

/// The file format version this program reads.
inline constexpr int32_t kProjectVersion = 1;

/// Reads and validates a project file; relative paths in it are taken from its folder. Raises ProjectError.
Project LoadProject(const std::filesystem::path& file);

/// Validates project text. file_for_messages names it in errors, and its folder resolves relative paths.
/// Unknown keys are errors, so that a misspelt key is reported instead of silently ignored. Raises ProjectError.
Project ParseProject(std::string_view json, const std::filesystem::path& file_for_messages);

} // namespace chronova::project
