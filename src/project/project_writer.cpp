// Writes project files: a Project back into the JSON text the project reader takes, and saving it atomically.
#include "project/project_writer.h"

#include <cstdio>
#include <nlohmann/json.hpp>
#include <optional>
#include <system_error>
#include <utility>
#include <vector>

#include "datetime/calendar_interval.h"
#include "datetime/mod_date_time.h"
#include "gis/ogr/server_workspace.h"
#include "platform/automation_error.h"

namespace chronova::project {

namespace {

// The classic error number for a file that must not be replaced.
constexpr int32_t kFileAlreadyExists = 58;
constexpr int16_t kFirstWritableYear = 100;
constexpr int16_t kLastWritableYear = 9999;

// Keeps keys in the order they are written, so files read like the documented examples.
using Json = nlohmann::ordered_json;
namespace fs = std::filesystem;

// Writes paths relative to the project file's folder, so a project moves with its data.
class Writer {
public:
    explicit Writer(fs::path folder) : folder_(std::move(folder)) {}

    Json Write(const Project& project) const {
        Json root;
        root["chronova_project"] = kProjectVersion;
        root["map"] = WriteMap(project.Map);
        Json layers = Json::array();
        for (const LayerEntry& layer : project.Layers) {
            layers.push_back(WriteLayer(layer));
        }
        root["layers"] = std::move(layers);
        root["display"] = WriteDisplay(project.Display);
        if (Json time = WriteTimeWindow(project.Time); !time.empty()) {
            root["time"] = std::move(time);
        }
        root["export"] = WriteExport(project.Export);
        if (!(project.Layout == gis::LayoutSettings{})) {
            root["layout"] = WriteLayout(project.Layout);
        }
        return root;
    }

private:
    std::string PathText(const fs::path& path) const {
        if (path.is_relative() || folder_.empty()) {
            return path.generic_string();
        }
        const fs::path relative = path.lexically_relative(folder_);
        return relative.empty() ? path.generic_string() : relative.generic_string();
    }

    static std::string TimeText(int32_t minutes) {
        int16_t year = 0, month = 0, day = 0, hour = 0, minute = 0;
        modDateTime::MinutesToParts(minutes, year, month, day, hour, minute);
        if (year < kFirstWritableYear || year > kLastWritableYear) {
            platform::RaiseError(platform::error::kInvalidProcedureCall,
                                 "The minute count " + std::to_string(minutes) +
                                     " falls outside the years 100 to 9999 and cannot be written as a date.");
        }
        char text[64];
        std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d", year, month, day, hour, minute);
        return text;
    }

    static std::string ColourText(const gis::Color& colour) {
        char text[8];
        std::snprintf(text, sizeof text, "#%02x%02x%02x", colour.Red, colour.Green, colour.Blue);
        return text;
    }

    static std::string_view MarkerName(gis::SimpleMarkerStyle marker) {
        switch (marker) {
        case gis::SimpleMarkerStyle::Circle:
            break;
        case gis::SimpleMarkerStyle::Square:
            return "square";
        case gis::SimpleMarkerStyle::Cross:
            return "cross";
        case gis::SimpleMarkerStyle::X:
            return "x";
        case gis::SimpleMarkerStyle::Diamond:
            return "diamond";
        }
        return "circle";
    }

    static Json WriteMap(const MapSettings& map) {
        Json json;
        json["name"] = map.Name;
        if (map.Extent) {
            json["extent"] = Json::array({map.Extent->XMin, map.Extent->YMin, map.Extent->XMax, map.Extent->YMax});
        } else {
            json["extent"] = "all layers";
        }
        if (!map.SpatialReference.empty()) {
            json["spatial_reference"] = map.SpatialReference;
        }
        json["background"] = ColourText(map.Background);
        return json;
    }

    Json WriteLayer(const LayerEntry& layer) const {
        Json json;
        json["name"] = layer.Name;
        json["kind"] = KindName(layer.Kind);
        if (!layer.Visible) {
            json["visible"] = false;
        }
        if (layer.Kind == LayerKind::Group) {
            Json children = Json::array();
            for (const LayerEntry& child : layer.Layers) {
                children.push_back(WriteLayer(child));
            }
            json["layers"] = std::move(children);
            return json;
        }
        json["source"] = WriteSource(layer);
        if (layer.Kind == LayerKind::Feature && layer.Symbology) {
            json["symbology"] = WriteSymbology(*layer.Symbology);
        }
        if (layer.Kind == LayerKind::Raster && layer.Ramp) {
            Json ramp = Json::object();
            if (layer.Ramp->From) {
                ramp["from"] = ColourText(*layer.Ramp->From);
            }
            if (layer.Ramp->To) {
                ramp["to"] = ColourText(*layer.Ramp->To);
            }
            WriteRampChoice(ramp, layer.Ramp->Ramp, layer.Ramp->Colors);
            if (layer.Ramp->Rgb) {
                ramp["rgb"] = *layer.Ramp->Rgb;
            }
            if (!layer.Ramp->Bands.empty()) {
                ramp["bands"] = layer.Ramp->Bands;
            }
            json["symbology"] = std::move(ramp);
        }
        if (layer.Time) {
            json["time"] = WriteTime(*layer.Time, layer.Kind);
        }
        if (layer.Kind == LayerKind::Feature && layer.Labels) {
            json["labels"] = WriteLabels(*layer.Labels);
        }
        return json;
    }

    // Only what differs from the defaults, so a written file stays as short as the one the user wrote.
    static Json WriteLabels(const gis::LabelSettings& labels) {
        const gis::LabelSettings defaults;
        Json json;
        json["field"] = labels.Field;
        if (labels.Size != defaults.Size) {
            json["size"] = labels.Size;
        }
        if (labels.TextColor != defaults.TextColor) {
            json["color"] = ColourText(labels.TextColor);
        }
        if (!labels.Halo) {
            json["halo"] = false;
        } else if (labels.HaloColor != defaults.HaloColor) {
            json["halo"] = ColourText(labels.HaloColor);
        }
        if (labels.HaloWidth != defaults.HaloWidth) {
            json["halo_width"] = labels.HaloWidth;
        }
        if (!labels.PriorityField.empty()) {
            json["priority"] = labels.PriorityField;
        }
        if (labels.MaxLabels != defaults.MaxLabels) {
            json["max"] = labels.MaxLabels;
        }
        return json;
    }

    Json WriteSource(const LayerEntry& layer) const {
        Json json;
        switch (layer.Kind) {
        case LayerKind::Feature:
            json["workspace"] = gis::IsServerConnection(layer.Source.Workspace.string())
                                    ? layer.Source.Workspace.string()
                                    : PathText(layer.Source.Workspace);
            json["dataset"] = layer.Source.Dataset;
            if (!layer.Source.Query.empty()) {
                json["query"] = layer.Source.Query;
            }
            if (!layer.Source.OpenOptions.empty()) {
                json["open_options"] = layer.Source.OpenOptions;
            }
            break;
        case LayerKind::Raster:
        case LayerKind::MovingPoints:
            json["path"] = PathText(layer.Source.Path);
            break;
        case LayerKind::Wms:
            json["url"] = layer.Source.Url;
            if (!layer.Source.ServiceLayers.empty()) {
                json["layers"] = layer.Source.ServiceLayers;
            }
            break;
        case LayerKind::Group:
            break;
        }
        return json;
    }

    static Json WriteSymbology(const FeatureSymbology& symbology) {
        Json json = Json::object();
        if (symbology.Color) {
            json["color"] = ColourText(*symbology.Color);
        }
        if (symbology.Outline) {
            json["outline"] = ColourText(*symbology.Outline);
        }
        if (symbology.Size) {
            json["size"] = *symbology.Size;
        }
        if (symbology.Width) {
            json["width"] = *symbology.Width;
        }
        if (symbology.Marker) {
            json["marker"] = MarkerName(*symbology.Marker);
        }
        if (symbology.Classes) {
            WriteFieldClasses(json, *symbology.Classes);
        }
        return json;
    }

    static void WriteRampChoice(Json& json, const std::optional<std::string>& ramp,
                                const std::vector<gis::Color>& colors) {
        if (ramp) {
            json["ramp"] = *ramp;
        }
        if (!colors.empty()) {
            Json list = Json::array();
            for (const gis::Color& color : colors) {
                list.push_back(ColourText(color));
            }
            json["colors"] = std::move(list);
        }
    }

    static void WriteFieldClasses(Json& json, const FieldClasses& classes) {
        json["by"] = classes.Field;
        if (classes.Classify == ClassifyMethod::Breaks) {
            json["breaks"] = classes.Breaks;
        } else if (classes.Classify) {
            json["classify"] = classes.Classify == ClassifyMethod::Unique          ? "unique"
                               : classes.Classify == ClassifyMethod::EqualInterval ? "equal_interval"
                                                                                   : "quantile";
        }
        if (classes.Classes) {
            json["classes"] = *classes.Classes;
        }
        WriteRampChoice(json, classes.Ramp, classes.Colors);
        if (!classes.Values.empty()) {
            Json values = Json::object();
            for (const auto& [value, color] : classes.Values) {
                values[value] = ColourText(color);
            }
            json["values"] = std::move(values);
        }
    }

    // Only the keys the kind takes: a field for feature and moving-points layers, a join for feature layers, the
    // band timing for rasters; the registry's defaults (false) are left out.
    static Json WriteTime(const TimeSettings& time, LayerKind kind) {
        Json json = Json::object();
        const bool has_field = kind == LayerKind::Feature || kind == LayerKind::MovingPoints;
        if (has_field) {
            json["field"] = time.Field;
        }
        if (kind == LayerKind::Feature && time.Years) {
            json["kind"] = "year";
        }
        if (kind == LayerKind::Feature && time.Join) {
            json["join"] = WriteJoin(*time.Join);
        }
        if (kind == LayerKind::Raster && time.Raster) {
            json["raster"] = {{"start", TimeText(time.Raster->Start)},
                              {"interval", time.Raster->Interval},
                              {"unit", time.Raster->Unit}};
        }
        if (has_field && time.PreviousSteps) {
            json["previous_steps"] = true;
        }
        if (time.Cached) {
            json["cached"] = true;
        }
        if (has_field && time.Vectors) {
            json["vectors"] = WriteVectors(*time.Vectors);
        }
        if (kind == LayerKind::Feature && time.Window) {
            json["window"] = *time.Window;
        }
        if (kind == LayerKind::Feature && time.Track) {
            Json track;
            track["id"] = time.Track->Id;
            if (!time.Track->MaxAge.empty()) {
                track["max_age"] = time.Track->MaxAge;
            }
            if (!time.Track->Trail.empty()) {
                track["trail"] = time.Track->Trail;
            }
            json["track"] = std::move(track);
        }
        if (kind == LayerKind::Feature && time.TimeZone) {
            json["time_zone"] = *time.TimeZone;
        }
        return json;
    }

    static Json WriteJoin(const JoinSettings& join) {
        Json json;
        json["key"] = join.Key;
        json["table"] = join.Table;
        json["table_key"] = join.TableKey;
        if (!join.Name.empty()) {
            json["name"] = join.Name;
        }
        if (!join.PrimaryKey.empty()) {
            json["primary_key"] = join.PrimaryKey;
        }
        if (!join.AdditionalFields.empty()) {
            json["additional_fields"] = join.AdditionalFields;
        }
        return json;
    }

    static Json WriteVectors(const VectorSettings& vectors) {
        Json json;
        json["speed"] = vectors.Speed;
        json["direction"] = vectors.Direction;
        if (vectors.Font) {
            json["font"] = *vectors.Font;
        }
        if (vectors.Character) {
            json["character"] = *vectors.Character;
        }
        if (vectors.MinSize) {
            json["min_size"] = *vectors.MinSize;
        }
        if (vectors.MaxSize) {
            json["max_size"] = *vectors.MaxSize;
        }
        if (vectors.RangeMin != 0.0 || vectors.RangeMax != 0.0) {
            json["range"] = Json::array({vectors.RangeMin, vectors.RangeMax});
        }
        return json;
    }

    static Json WriteDisplay(const DisplaySettings& display) {
        Json json;
        json["type"] = display.Type == DisplayType::Unique ? "unique" : "interval";
        json["fill_gaps"] = display.FillGaps;
        json["toc_labels"] = display.TocLabels;
        json["loop"] = display.Loop;
        if (display.UseDateTime) {
            json["use_date_time"] = *display.UseDateTime;
        }
        if (display.LabelFormat) {
            json["label_format"] = *display.LabelFormat;
        }
        if (display.TimeZone) {
            json["time_zone"] = *display.TimeZone;
        }
        return json;
    }

    static Json WriteTimeWindow(const TimeWindow& time) {
        Json json = Json::object();
        if (time.Start) {
            json["start"] = TimeText(*time.Start);
        }
        if (time.Finish) {
            json["finish"] = TimeText(*time.Finish);
        }
        if (time.Interval && time.IntervalUnit != modDateTime::IntervalUnit::Minutes) {
            json["interval"] = modDateTime::IntervalToText({*time.Interval, time.IntervalUnit});
        } else if (time.Interval) {
            json["interval"] = *time.Interval;
        }
        if (time.RangeLayer) {
            json["range_layer"] = *time.RangeLayer;
        }
        return json;
    }

    // The bare map as false; otherwise only what differs from the default furniture.
    static Json WriteLayout(const gis::LayoutSettings& layout) {
        if (layout == gis::LayoutSettings::None()) {
            return false;
        }
        const auto piece = [](const gis::PieceSettings& settings) -> Json {
            if (!settings.Shown || settings.Where == gis::Placement::Automatic) {
                return settings.Shown;
            }
            return Json{{"position", std::string(gis::PlacementName(settings.Where))}};
        };
        Json json = Json::object();
        if (layout.TitleText && layout.Title.Shown) {
            json["title"] = *layout.TitleText;
            if (layout.Title.Where != gis::Placement::Automatic) {
                json["title"] = piece(layout.Title);
                json["title"]["text"] = *layout.TitleText;
            }
        } else if (!(layout.Title == gis::PieceSettings{})) {
            json["title"] = piece(layout.Title);
        }
        const std::pair<const char*, const gis::PieceSettings*> pieces[] = {{"legend", &layout.Legend},
                                                                            {"scale_bar", &layout.ScaleBar},
                                                                            {"color_bar", &layout.ColorBar},
                                                                            {"time_label", &layout.TimeLabel}};
        for (const auto& [key, settings] : pieces) {
            if (!(*settings == gis::PieceSettings{})) {
                json[key] = piece(*settings);
            }
        }
        if (layout.Margin != gis::LayoutSettings::kDefaultMargin) {
            json["margin"] = layout.Margin;
        }
        return json;
    }

    Json WriteExport(const ExportSettings& settings) const {
        Json json;
        json["size"] = Json::array({settings.Width, settings.Height});
        json["fps"] = settings.Fps;
        if (settings.Out) {
            json["out"] = PathText(*settings.Out);
        }
        if (settings.Gif) {
            json["gif"] = PathText(*settings.Gif);
        }
        if (settings.Mp4) {
            json["mp4"] = PathText(*settings.Mp4);
        }
        return json;
    }

    fs::path folder_;
};

// A path of the project made absolute: relative ones start at the project file's folder.
void MakeAbsolute(fs::path& path, const fs::path& folder) {
    path = (path.is_absolute() ? path : folder / path).lexically_normal();
}

void MakePathsAbsolute(std::vector<LayerEntry>& layers, const fs::path& folder) {
    for (LayerEntry& layer : layers) {
        if (layer.Kind == LayerKind::Feature && !gis::IsServerConnection(layer.Source.Workspace.string())) {
            MakeAbsolute(layer.Source.Workspace, folder);
        } else if (layer.Kind == LayerKind::Raster || layer.Kind == LayerKind::MovingPoints) {
            MakeAbsolute(layer.Source.Path, folder);
        }
        MakePathsAbsolute(layer.Layers, folder);
    }
}

} // namespace

std::string WriteProject(const Project& project) {
    return Writer(project.File.parent_path()).Write(project).dump(2) + "\n";
}

void SaveProject(const Project& project, const fs::path& file, platform::ExistingFile existing) {
    const fs::path target = fs::absolute(file).lexically_normal();
    std::error_code error;
    if (existing == platform::ExistingFile::Keep && fs::exists(target, error)) {
        platform::RaiseError(kFileAlreadyExists, target.string() + " already exists.");
    }
    // The project's relative paths start at its own folder, which may not be the new file's.
    Project moved = project;
    const fs::path old_folder =
        project.File.empty() ? fs::current_path() : fs::absolute(project.File).parent_path().lexically_normal();
    MakePathsAbsolute(moved.Layers, old_folder);
    for (std::optional<fs::path>* output : {&moved.Export.Out, &moved.Export.Gif, &moved.Export.Mp4}) {
        if (*output) {
            MakeAbsolute(**output, old_folder);
        }
    }
    moved.File = target;
    const platform::FileResult result = platform::WriteFileAtomically(target, WriteProject(moved), existing);
    if (!result.Ok()) {
        platform::RaiseError(platform::error::kPathFileAccess, result.error);
    }
}

} // namespace chronova::project
