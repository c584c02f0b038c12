// Opens a validated project into the host: layers from their data, symbology, time layer registration through
// the registry's automation interface, display options and the slider's time window.
#include "project/project_session.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "datetime/calendar_interval.h"
#include "datetime/mod_date_time.h"
#include "gis/data/table.h"
#include "gis/layers/feature_layer.h"
#include "gis/layers/group_layer.h"
#include "gis/layers/open_layers.h"
#include "gis/layers/raster_layer.h"
#include "gis/layers/wms_map_layer.h"
#include "gis/map/application.h"
#include "gis/map/document.h"
#include "gis/map/extension.h"
#include "gis/map/map.h"
#include "gis/ogr/ogr_workspace.h"
#include "gis/symbology/renderers.h"
#include "gis/symbology/symbols.h"
#include "platform/automation_error.h"
#include "platform/closest_name.h"
#include "platform/text.h"
#include "plugins/moving_points/moving_points_layer.h"
#include "project/field_classes.h"
#include "records/layer_data.h"
#include "registry/chronova_data.h"
#include "registry/globals.h"
#include "timeapply/raster_side_files.h"

namespace chronova::project {

namespace {

constexpr std::string_view kExtensionName = "Chronova.ChronovaExt";
constexpr std::string_view kShapefileSource = "Shapefile Feature Class";
constexpr std::string_view kGeodatabaseSource = "Personal Geodatabase Feature Class";
constexpr double kDefaultVectorMinSize = 8.0;
constexpr double kDefaultVectorMaxSize = 24.0;

std::string Quote(std::string_view text) {
    return "'" + std::string(text) + "'";
}

// The file a layer's data comes from, for messages.
std::string DataFile(const LayerEntry& layer_entry) {
    switch (layer_entry.Kind) {
    case LayerKind::Feature:
        return layer_entry.Source.Workspace.string();
    case LayerKind::Raster:
    case LayerKind::MovingPoints:
        return layer_entry.Source.Path.string();
    case LayerKind::Wms:
        return layer_entry.Source.Url;
    case LayerKind::Group:
        break;
    }
    return {};
}

[[noreturn]] void RaiseForLayer(int32_t number, const LayerEntry& layer_entry, const std::string& what,
                                std::string user_message = {}) {
    platform::AutomationError error(number, std::string(platform::kDefaultErrorSource),
                                    "layer " + Quote(layer_entry.Name) + " " + what + " (" + DataFile(layer_entry) +
                                        ")");
    error.UserMessage(std::move(user_message));
    throw error;
}

// The same for an error caught from below; a message naming the value in the data it is about is kept, as it
// already says more than the layer could.
[[noreturn]] void RaiseForLayer(const platform::AutomationError& cause, const LayerEntry& layer_entry,
                                const std::string& what) {
    RaiseForLayer(cause.Number(), layer_entry, what, cause.UserMessage());
}

// A simple renderer with the entry's colours and sizes on the symbol the layer's shapes need; whatever the entry
// leaves out keeps the layer's own default symbol.
void ApplySymbology(gis::FeatureLayer& layer, const FeatureSymbology& style) {
    const auto current = std::dynamic_pointer_cast<gis::SimpleRenderer>(layer.Renderer());
    std::shared_ptr<gis::ISymbol> base = current && current->Symbol ? current->Symbol->Clone() : nullptr;
    std::shared_ptr<gis::ISymbol> symbol;
    switch (layer.FeatureClass() ? layer.FeatureClass()->ShapeType() : gis::GeometryType::Point) {
    case gis::GeometryType::Polyline: {
        auto line = std::dynamic_pointer_cast<gis::SimpleLineSymbol>(base);
        line = line ? line : std::make_shared<gis::SimpleLineSymbol>();
        line->LineColor = style.Color.value_or(line->LineColor);
        line->Width = style.Width.value_or(line->Width);
        symbol = line;
        break;
    }
    case gis::GeometryType::Polygon: {
        auto fill = std::dynamic_pointer_cast<gis::SimpleFillSymbol>(base);
        fill = fill ? fill : std::make_shared<gis::SimpleFillSymbol>();
        fill->FillColor = style.Color.value_or(fill->FillColor);
        if (!fill->Outline) {
            fill->Outline = std::make_shared<gis::SimpleLineSymbol>();
        }
        fill->Outline->LineColor = style.Outline.value_or(fill->Outline->LineColor);
        fill->Outline->Width = style.Width.value_or(fill->Outline->Width);
        symbol = fill;
        break;
    }
    default: {
        auto marker = std::dynamic_pointer_cast<gis::SimpleMarkerSymbol>(base);
        marker = marker ? marker : std::make_shared<gis::SimpleMarkerSymbol>();
        marker->MarkerColor = style.Color.value_or(marker->MarkerColor);
        marker->Size = style.Size.value_or(marker->Size);
        marker->Style = style.Marker.value_or(marker->Style);
        if (style.Outline) {
            marker->Outline = true;
            marker->OutlineColor = *style.Outline;
        }
        marker->OutlineSize = style.Width.value_or(marker->OutlineSize);
        symbol = marker;
        break;
    }
    }
    if (style.Classes) {
        // Every class draws the symbol built above in its own colour.
        layer.Renderer(FieldClassesRenderer(layer, *style.Classes, *symbol));
        return;
    }
    auto renderer = std::make_shared<gis::SimpleRenderer>();
    renderer->Symbol = std::move(symbol);
    renderer->Label = layer.Name();
    layer.Renderer(std::move(renderer));
}

// Draws the raster in its own colours when its bands are red, green and blue (or the entry asks for it), unless
// it is a time raster (whose bands are steps) or the entry refuses; otherwise through the entry's colour ramp.
void ApplyRamp(gis::RasterLayer& layer, const LayerEntry& layer_entry) {
    const RasterRamp ramp = layer_entry.Ramp.value_or(RasterRamp{});
    const bool rgb_wanted = ramp.Rgb.value_or(
        !ramp.Bands.empty() || (!layer_entry.Time && !ramp.Ramp && ramp.Colors.empty() && !ramp.From && !ramp.To));
    if (rgb_wanted) {
        std::shared_ptr<gis::RasterRGBRenderer> rgb = gis::ColorBandsRenderer(layer.Raster());
        if (!ramp.Bands.empty() || (!rgb && ramp.Rgb == true)) {
            const auto band = [&](size_t at, int32_t fallback) {
                return at < ramp.Bands.size() ? ramp.Bands[at] : fallback;
            };
            rgb = std::make_shared<gis::RasterRGBRenderer>();
            rgb->RedBand = band(0, 1);
            rgb->GreenBand = band(1, 2);
            rgb->BlueBand = band(2, 3);
            rgb->AlphaBand = band(3, 0);
            for (const int32_t number : {rgb->RedBand, rgb->GreenBand, rgb->BlueBand, rgb->AlphaBand}) {
                if (number > layer.BandCount()) {
                    platform::RaiseError(platform::error::kSubscriptOutOfRange,
                                         "has no band " + std::to_string(number) + " for its RGB drawing (it has " +
                                             std::to_string(layer.BandCount()) + ")");
                }
            }
        }
        if (rgb) {
            layer.Renderer(rgb);
            return;
        }
    }
    if (!layer_entry.Ramp) {
        return;
    }
    auto renderer = std::dynamic_pointer_cast<gis::RasterStretchColorRampRenderer>(layer.Renderer());
    if (!renderer) {
        renderer = std::make_shared<gis::RasterStretchColorRampRenderer>();
    }
    renderer->FromColor = ramp.From.value_or(renderer->FromColor);
    renderer->ToColor = ramp.To.value_or(renderer->ToColor);
    if (ramp.Ramp) {
        renderer->Stops = gis::EvenStops(gis::ColorRampNamed(*ramp.Ramp).Colors);
    } else if (!ramp.Colors.empty()) {
        renderer->Stops = gis::EvenStops(ramp.Colors);
    }
    renderer->Update();
    layer.Renderer(renderer);
}

// The table that holds a feature layer's time field: the feature class, or the joined table of its GeoPackage.
std::shared_ptr<gis::ITable> TimeTable(const gis::FeatureLayer& layer, const TimeSettings& time) {
    const auto& feature_class = layer.FeatureClass();
    if (!feature_class || !time.Join) {
        return feature_class;
    }
    const auto workspace = std::dynamic_pointer_cast<gis::IFeatureWorkspace>(feature_class->Workspace());
    return workspace ? workspace->OpenTable(time.Join->Table) : nullptr;
}

// Sets a feature layer's labels once the fields they name are found: in the feature class or, for a layer whose
// time field is joined, in the joined table. Raises 5 with the fields there are.
void ApplyLabels(gis::FeatureLayer& layer, const LayerEntry& layer_entry) {
    const gis::LabelSettings& labels = *layer_entry.Labels;
    std::vector<std::shared_ptr<gis::ITable>> tables{layer.FeatureClass()};
    if (layer_entry.Time && layer_entry.Time->Join) {
        tables.push_back(TimeTable(layer, *layer_entry.Time));
    }
    const std::pair<const std::string*, const char*> uses[] = {{&labels.Field, "to label by"},
                                                               {&labels.PriorityField, "to rank labels by"}};
    for (const auto& use : uses) {
        const std::string& field = *use.first;
        const bool found = field.empty() || std::any_of(tables.begin(), tables.end(), [&](const auto& table) {
                               return table && table->FindField(field) >= 0;
                           });
        if (found) {
            continue;
        }
        std::vector<std::string> names;
        std::set<std::string> listed;
        for (const auto& table : tables) {
            if (!table) {
                continue;
            }
            for (const gis::Field& candidate : table->Fields()) {
                // A joined table's own key (a GeoPackage's fid) is listed once.
                if (candidate.Type != gis::FieldType::Geometry &&
                    listed.insert(platform::UCase(candidate.Name)).second) {
                    names.push_back(candidate.Name);
                }
            }
        }
        platform::RaiseError(platform::error::kInvalidProcedureCall, "has no field " + Quote(field) + " " + use.second +
                                                                         " (fields: " + platform::NameList(names) +
                                                                         ")" + platform::DidYouMean(field, names));
    }
    layer.Labels(labels);
}

// The names of a table's attribute fields (not its object id or shape), for messages.
std::vector<std::string> AttributeFieldNames(const gis::ITable& table) {
    std::vector<std::string> names;
    for (const gis::Field& field : table.Fields()) {
        if (field.Type != gis::FieldType::OID && field.Type != gis::FieldType::Geometry) {
            names.push_back(field.Name);
        }
    }
    return names;
}

std::vector<std::string> CustomLayerFieldNames(ITimeLayer& layer) {
    std::vector<std::string> names;
    for (int32_t i = 1; i <= layer.FieldsCount(); ++i) {
        std::string field;
        int16_t type = 0;
        layer.Fields(i, field, type);
        names.push_back(field);
    }
    return names;
}

// "there is no field 'time_stamp' in 'fixes' (fields: id, ts, speed); did you mean 'ts'?"
std::string NoFieldMessage(std::string_view field, const std::string& where, const std::vector<std::string>& fields) {
    return "there is no field " + Quote(field) + " in " + where + " (fields: " + platform::NameList(fields) + ")" +
           platform::DidYouMean(field, fields);
}

bool CustomLayerHasField(ITimeLayer& layer, std::string_view name) {
    for (int32_t i = 1; i <= layer.FieldsCount(); ++i) {
        std::string field;
        int16_t type = 0;
        layer.Fields(i, field, type);
        if (platform::UCase(field) == platform::UCase(std::string(name))) {
            return true;
        }
    }
    return false;
}

// Why a feature layer's data set did not open: when its workspace opens and has no data set of that name, the
// data sets it has and the closest name; otherwise the error as it came.
std::string WhyNoDataset(const LayerSource& source, const std::string& error) {
    std::vector<std::string> names;
    try {
        names = gis::OpenWorkspace(source.Workspace.string(), source.OpenOptions)->DatasetNames(gis::DatasetType::Any);
    } catch (const platform::AutomationError&) {
        return error;
    }
    for (const std::string& name : names) {
        if (platform::UCase(name) == platform::UCase(source.Dataset)) {
            return error;
        }
    }
    return "there is no data set " + Quote(source.Dataset) +
           " in the workspace (data sets: " + (names.empty() ? std::string("none") : platform::NameList(names)) + ")" +
           platform::DidYouMean(source.Dataset, names);
}

// When the joined table is not in the layer's GeoPackage: the tables it has and the closest name; else empty.
std::string WhyNoJoinTable(const gis::FeatureLayer& layer, const JoinSettings& join) {
    const auto& feature_class = layer.FeatureClass();
    const auto workspace =
        feature_class ? std::dynamic_pointer_cast<gis::IFeatureWorkspace>(feature_class->Workspace()) : nullptr;
    if (!workspace) {
        return {};
    }
    const std::vector<std::string> names = workspace->DatasetNames(gis::DatasetType::Any);
    for (const std::string& name : names) {
        if (platform::UCase(name) == platform::UCase(join.Table)) {
            return {};
        }
    }
    return "there is no table " + Quote(join.Table) +
           " to join in its GeoPackage (tables: " + platform::NameList(names) + ")" +
           platform::DidYouMean(join.Table, names);
}

// Why a feature layer's add operation found no time steps, as far as its data tells.
std::string WhyNoFeatureSteps(const gis::FeatureLayer& layer, const TimeSettings& time) {
    if (layer.DataSourceType() != kShapefileSource && layer.DataSourceType() != kGeodatabaseSource) {
        return "its data is neither a shapefile nor a GeoPackage feature class";
    }
    if (layer.FeatureClass()->FeatureCount() == 0) {
        return "it has no features";
    }
    const auto table = TimeTable(layer, time);
    if (!table || table->RowCount() == 0) {
        return "the table " + Quote(time.Join ? time.Join->Table : layer.FeatureClass()->Name()) + " has no rows";
    }
    const int32_t field = table->FindField(time.Field);
    if (field < 0) {
        return NoFieldMessage(time.Field, Quote(table->Name()), AttributeFieldNames(*table));
    }
    switch (table->Fields()[static_cast<size_t>(field)].Type) {
    case gis::FieldType::Integer:
    case gis::FieldType::Double:
    case gis::FieldType::String:
    case gis::FieldType::Date:
        return "no time steps were found in the field " + Quote(time.Field);
    default:
        return "the field " + Quote(time.Field) +
               " cannot hold times (it must be a date, text, 32-bit integer or double field)";
    }
}

// The band timing of a raster time layer: the entry's, else the settings side file's; a raster with only its step
// list side file gets a placeholder, since the list gives every band's time.
RasterTiming RasterTimingOf(const gis::RasterLayer& layer, const LayerEntry& layer_entry) {
    if (layer_entry.Time->Raster) {
        return *layer_entry.Time->Raster;
    }
    std::filesystem::path file(layer.FilePath());
    if (const auto settings = ReadRasterSettings(std::filesystem::path(file).replace_extension(".ini").string())) {
        // Months and years are counted as they are; the other units are stored in seconds.
        const bool calendar = settings->IntervalUnits == "m" || settings->IntervalUnits == "yyyy";
        const int32_t unit_seconds = calendar                         ? 1
                                     : settings->IntervalUnits == "d" ? 86400
                                     : settings->IntervalUnits == "h" ? 3600
                                                                      : 60;
        return RasterTiming{settings->StartTime, settings->Interval * unit_seconds, settings->IntervalUnits};
    }
    const std::filesystem::path step_list = std::filesystem::path(file).replace_extension(".xml");
    std::error_code error;
    if (std::filesystem::is_regular_file(step_list, error)) {
        return RasterTiming{0, 60, "n"};
    }
    RaiseForLayer(platform::error::kInvalidProcedureCall, layer_entry,
                  "cannot be a time layer: its time block has no \"raster\" timing, and the raster has no step list " +
                      step_list.filename().string() + " beside it");
}

} // namespace

ProjectSession::ProjectSession(project::Project project, platform::ui::EventLoop& loop) : project_(std::move(project)) {
    if (g_pApp || g_pChronovaData) {
        platform::RaiseError(platform::error::kInvalidProcedureCall, "A project is already open in this process.");
    }
    try {
        Open(loop);
    } catch (...) {
        layers_.clear();
        map_.reset();
        ResetGlobals();
        throw;
    }
}

ProjectSession::ProjectSession(project::Project project, gis::Application& host)
    : project_(std::move(project)), owns_host_(false) {
    if (g_pChronovaData && g_pApp.get() != &host) {
        platform::RaiseError(platform::error::kInvalidProcedureCall,
                             "The registry of this process belongs to another application.");
    }
    try {
        host.NewDocument();
        Populate(host);
    } catch (...) {
        layers_.clear();
        map_.reset();
        // The half-filled document goes; closing it also empties the registry.
        try {
            host.NewDocument();
        } catch (...) {
            // The first error is the one to report; the document stays as it is.
        }
        throw;
    }
}

ProjectSession::~ProjectSession() {
    layers_.clear();
    map_.reset();
    if (owns_host_) {
        ResetGlobals();
    }
}

ChronovaData& ProjectSession::Registry() const {
    if (!g_pChronovaData) {
        platform::RaiseError(platform::error::kObjectNotSet, "The host has no time layer registry.");
    }
    return *g_pChronovaData;
}

const SessionLayer* ProjectSession::FindLayer(std::string_view name) const {
    for (const SessionLayer& entry : layers_) {
        if (entry.Entry->Name == name) {
            return &entry;
        }
    }
    return nullptr;
}

void ProjectSession::Open(platform::ui::EventLoop& loop) {
    const std::shared_ptr<gis::Application> host = gis::Application::Create();
    host->AddExtension(std::make_shared<gis::Extension>(std::string(kExtensionName)));
    StartRegistry(host, loop);
    Populate(*host);
}

void ProjectSession::Populate(gis::Application& host) {
    map_ = host.Document()->FocusMap();
    map_->Name(project_.Map.Name);
    if (!project_.Map.SpatialReference.empty()) {
        map_->SpatialReference(project_.Map.SpatialReference);
    }
    for (const LayerEntry& layer_entry : project_.Layers) {
        map_->AddLayerAt(OpenLayer(layer_entry), map_->LayerCount());
    }
    if (project_.Map.Extent) {
        map_->Extent(*project_.Map.Extent);
    }
    if (!g_pChronovaData) {
        return;
    }
    // The display zone comes first, so that every layer reads its times once, in that zone.
    if (project_.Display.TimeZone) {
        Registry().DisplayTimeZone(*project_.Display.TimeZone);
    }
    for (SessionLayer& entry : layers_) {
        if (entry.Entry->Time) {
            RegisterTimeLayer(entry);
        }
    }
    ApplyDisplayAndTime();
    registered_ = true;
}

std::shared_ptr<gis::ILayer> ProjectSession::OpenLayer(const LayerEntry& layer_entry) {
    std::shared_ptr<gis::ILayer> layer;
    try {
        switch (layer_entry.Kind) {
        case LayerKind::Feature:
            layer =
                layer_entry.Source.Query.empty()
                    ? gis::OpenFeatureLayer(layer_entry.Source.Workspace.string(), layer_entry.Source.Dataset,
                                            layer_entry.Name, layer_entry.Source.OpenOptions)
                    : gis::OpenQueryLayer(layer_entry.Source.Workspace.string(), layer_entry.Source.Query,
                                          layer_entry.Source.Dataset, layer_entry.Name, layer_entry.Source.OpenOptions);
            break;
        case LayerKind::Raster:
            layer = gis::OpenRasterLayer(layer_entry.Source.Path.string(), layer_entry.Name);
            break;
        case LayerKind::MovingPoints:
            layer = plugins::MovingPointsLayer::Open(layer_entry.Source.Path.string(), layer_entry.Name);
            break;
        case LayerKind::Wms: {
            auto wms = std::make_shared<gis::WmsMapLayer>(layer_entry.Source.Url, layer_entry.Name);
            wms->LayerNames(layer_entry.Source.ServiceLayers);
            layer = wms;
            break;
        }
        case LayerKind::Group:
            layer = std::make_shared<gis::GroupLayer>(layer_entry.Name);
            break;
        }
    } catch (const platform::AutomationError& e) {
        if (layer_entry.Kind == LayerKind::Feature) {
            RaiseForLayer(e, layer_entry,
                          "cannot open the dataset " + Quote(layer_entry.Source.Dataset) + ": " +
                              WhyNoDataset(layer_entry.Source, e.Description()));
        }
        RaiseForLayer(e, layer_entry, "cannot be opened: " + e.Description());
    }
    // Symbology is applied once the data is open, so that its errors (a field to colour by that the layer lacks)
    // are not reported as the data's.
    try {
        if (auto feature = std::dynamic_pointer_cast<gis::FeatureLayer>(layer); feature && layer_entry.Symbology) {
            ApplySymbology(*feature, *layer_entry.Symbology);
        } else if (auto raster = std::dynamic_pointer_cast<gis::RasterLayer>(layer)) {
            ApplyRamp(*raster, layer_entry);
        }
        if (auto feature = std::dynamic_pointer_cast<gis::FeatureLayer>(layer); feature && layer_entry.Labels) {
            ApplyLabels(*feature, layer_entry);
        }
    } catch (const platform::AutomationError& e) {
        RaiseForLayer(e, layer_entry, e.Description());
    }
    layer->Visible(layer_entry.Visible);
    layers_.push_back(SessionLayer{&layer_entry, layer, nullptr});
    if (auto group = std::dynamic_pointer_cast<gis::GroupLayer>(layer); group && layer_entry.Kind == LayerKind::Group) {
        for (const LayerEntry& child : layer_entry.Layers) {
            group->Add(OpenLayer(child));
        }
    }
    return layer;
}

void ProjectSession::RegisterTimeLayer(SessionLayer& entry) {
    const LayerEntry& layer_entry = *entry.Entry;
    const TimeSettings& time = *layer_entry.Time;
    const std::shared_ptr<gis::ILayer>& layer = entry.Layer;
    ChronovaData& registry = Registry();
    auto feature = std::dynamic_pointer_cast<gis::FeatureLayer>(layer);
    auto custom = std::dynamic_pointer_cast<plugins::MovingPointsLayer>(layer);

    // Read before the add operation, whose errors are reported as its own.
    std::optional<RasterTiming> timing;
    if (layer_entry.Kind == LayerKind::Raster) {
        timing = RasterTimingOf(*std::dynamic_pointer_cast<gis::RasterLayer>(layer), layer_entry);
    }

    bool added = false;
    std::string why = "no time steps were found";
    try {
        switch (layer_entry.Kind) {
        case LayerKind::Feature:
            if (feature->DataSourceType() == kShapefileSource) {
                added = registry.AddShapefileLayer(layer, time.Field);
            } else if (time.Join) {
                const JoinSettings& join = *time.Join;
                added = registry.AddGeoDatabaseJoinedLayer(layer, join.Key, join.Name, join.Table, join.PrimaryKey,
                                                           join.TableKey, time.Field, join.AdditionalFields);
            } else {
                added = registry.AddGeoDatabaseLayer(layer, time.Field);
            }
            if (!added) {
                why = WhyNoFeatureSteps(*feature, time);
            }
            break;
        case LayerKind::Raster: {
            added = timing->Unit == "m" || timing->Unit == "yyyy"
                        ? registry.AddCalendarRasterLayer(layer, timing->Start, timing->Interval, timing->Unit)
                        : registry.AddRasterLayer(layer, "", timing->Start, timing->Interval, timing->Unit);
            if (!added && std::dynamic_pointer_cast<gis::RasterLayer>(layer)->BandCount() == 0) {
                why = "the raster has no bands";
            }
            break;
        }
        case LayerKind::MovingPoints:
            if (!CustomLayerHasField(*custom, time.Field)) {
                why = NoFieldMessage(time.Field, "the file", CustomLayerFieldNames(*custom));
                break;
            }
            // The record takes the layer's own setting when it is added.
            custom->ShowPrevious(time.PreviousSteps);
            added = registry.AddCustomTimeLayer(layer, time.Field);
            break;
        case LayerKind::Wms:
            // Always true: whether the layer got a record tells whether it found its steps.
            registry.AddWMSLayer(layer);
            added = registry.FindByLayer(layer);
            break;
        case LayerKind::Group:
            break;
        }
    } catch (const platform::AutomationError& e) {
        const std::string no_table = feature && time.Join ? WhyNoJoinTable(*feature, *time.Join) : std::string();
        RaiseForLayer(e, layer_entry, "cannot be a time layer: " + (no_table.empty() ? e.Description() : no_table));
    }
    if (!added) {
        RaiseForLayer(platform::error::kInvalidProcedureCall, layer_entry, "cannot be a time layer: " + why);
    }
    registry.FindByLayer(layer, &entry.Record);
    if (time.Years) {
        bool years = false;
        try {
            years = registry.TimeInYears(layer, true);
        } catch (const platform::AutomationError& e) {
            RaiseForLayer(e, layer_entry, "cannot read years: " + e.Description());
        }
        if (!years) {
            RaiseForLayer(platform::error::kInvalidProcedureCall, layer_entry,
                          "cannot read years: the time field " + Quote(time.Field) + " is not an integer field");
        }
    }

    if (time.Vectors) {
        const VectorSettings& vectors = *time.Vectors;
        for (const std::string& field : {vectors.Speed, vectors.Direction}) {
            const bool found = custom ? CustomLayerHasField(*custom, field)
                                      : feature->FeatureClass()->FindField(field) >= 0 ||
                                            (time.Join && TimeTable(*feature, time)->FindField(field) >= 0);
            if (!found) {
                std::vector<std::string> fields =
                    custom ? CustomLayerFieldNames(*custom) : AttributeFieldNames(*feature->FeatureClass());
                if (!custom && time.Join) {
                    const std::vector<std::string> joined = AttributeFieldNames(*TimeTable(*feature, time));
                    fields.insert(fields.end(), joined.begin(), joined.end());
                }
                RaiseForLayer(platform::error::kInvalidProcedureCall, layer_entry,
                              "cannot draw vectors: " + NoFieldMessage(field, "the layer", fields));
            }
        }
        const bool made =
            vectors.PicksMarker()
                ? registry.MakeVectorsWithChar(
                      layer, vectors.Speed, vectors.Direction, vectors.Font.value_or(""), vectors.Character.value_or(0),
                      vectors.MinSize.value_or(kDefaultVectorMinSize), vectors.MaxSize.value_or(kDefaultVectorMaxSize),
                      vectors.RangeMin, vectors.RangeMax)
                : registry.MakeVectors(layer, vectors.Speed, vectors.Direction, vectors.RangeMin, vectors.RangeMax);
        if (!made) {
            RaiseForLayer(platform::error::kInvalidProcedureCall, layer_entry,
                          "cannot draw vectors: it is not a point layer");
        }
    }
    if (time.PreviousSteps && feature) {
        registry.ShowPreviousTimeSteps(layer);
    }
    ApplyTimeOfMovingThings(layer, layer_entry, time);
    if (time.Cached) {
        layer->Cached(true);
        registry.IsCached(layer);
    }
}

void ProjectSession::ApplyTimeOfMovingThings(const std::shared_ptr<gis::ILayer>& layer, const LayerEntry& layer_entry,
                                             const TimeSettings& time) {
    ChronovaData& registry = Registry();
    try {
        if (time.TimeZone) {
            registry.LayerTimeZone(layer, *time.TimeZone);
        }
        if (time.Window) {
            registry.TimeWindow(layer, *time.Window);
        }
        if (time.Track) {
            registry.Track(layer, time.Track->Id, time.Track->MaxAge, time.Track->Trail);
        }
    } catch (const platform::AutomationError& e) {
        RaiseForLayer(e, layer_entry, "cannot show its time: " + e.Description());
    }
}

void ProjectSession::ApplyDisplayAndTime() {
    const DisplaySettings& display = project_.Display;
    ChronovaData& registry = Registry();
    registry.Display(
        DisplayOptions{static_cast<int16_t>(display.Type), display.FillGaps, display.TocLabels, display.Loop});
    if (display.UseDateTime) {
        registry.UseDateTime(*display.UseDateTime);
    }
    registry.Update();
    // The slider switches to date-time groups when it finds a layer of them, unless told otherwise; a choice
    // that only repeated the slider's state beforehand did not count as telling it.
    if (display.UseDateTime && registry.UseDateTime() != *display.UseDateTime) {
        registry.UseDateTime(*display.UseDateTime);
    }

    const TimeWindow& time = project_.Time;
    if (time.RangeLayer) {
        // The registry takes the argument by reference and clears it, so it gets a copy.
        std::shared_ptr<gis::ILayer> range = FindLayer(*time.RangeLayer)->Layer;
        registry.TimeRange(range);
    }
    // A start after the present finish would leave the axis reversed for a moment, so the finish goes first then.
    const bool finish_first =
        time.Start && time.Finish && *time.Start > modDateTime::DateToMinutes(registry.FinishTime());
    if (time.Finish && finish_first) {
        registry.FinishTime(modDateTime::MinutesToDate(*time.Finish));
    }
    if (time.Start) {
        registry.StartTime(modDateTime::MinutesToDate(*time.Start));
    }
    if (time.Finish && !finish_first) {
        registry.FinishTime(modDateTime::MinutesToDate(*time.Finish));
    }
    if (time.Interval) {
        registry.IntervalUnit(std::string(modDateTime::UnitCode(time.IntervalUnit)));
        registry.Interval(*time.Interval);
    }
    // Set last, so that the labels of the final axis are written once in the format.
    if (display.LabelFormat) {
        registry.LabelFormat(*display.LabelFormat);
    }
}

} // namespace chronova::project
