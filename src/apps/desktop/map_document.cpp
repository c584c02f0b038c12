// The desktop window's map document: opening projects into the running host, adding data, and turning the map and
// the registry back into a project file.
#include "apps/desktop/map_document.h"

#include <set>

#include "datetime/mod_date_time.h"
#include "gis/data/table.h"
#include "gis/layers/layer.h"
#include "gis/layers/open_layers.h"
#include "gis/map/application.h"
#include "gis/map/document.h"
#include "gis/map/map.h"
#include "gis/ogr/ogr_workspace.h"
#include "platform/automation_error.h"
#include "platform/text.h"
#include "project/project_session.h"
#include "project/project_writer.h"
#include "records/layer_data.h"
#include "registry/chronova_data.h"
#include "registry/globals.h"

namespace chronova::desktop {

namespace {

namespace fs = std::filesystem;

int32_t SecondsPerUnit(const std::string& unit) {
    return unit == "d" ? 86400 : unit == "h" ? 3600 : 60;
}

// A layer's time settings as its registry record holds them. Vector settings the project gave for the same fields
// are kept as written, so that "take the range from the data" stays that instead of the range found today.
project::TimeSettings TimeFromRecord(const LayerData& record, const project::LayerEntry& entry) {
    project::TimeSettings time;
    switch (entry.Kind) {
    case project::LayerKind::Feature:
        time.Field = record.TimeStepField;
        time.PreviousSteps = record.IncludePreviousSteps;
        if (record.isJoined) {
            time.Join = project::JoinSettings{record.HostKeyField, record.JoinTable,       record.ForeignKeyField,
                                              record.JoinName,     record.PrimaryKeyField, record.AdditionalFields};
        }
        break;
    case project::LayerKind::MovingPoints:
        time.Field = record.TimeStepField;
        time.PreviousSteps = record.ShowPrevious;
        break;
    case project::LayerKind::Raster:
        time.Raster = project::RasterTiming{record.RasterStartTime,
                                            record.RasterInterval * SecondsPerUnit(record.RasterIntervalUnits),
                                            record.RasterIntervalUnits};
        break;
    case project::LayerKind::Wms:
    case project::LayerKind::Group:
        break;
    }
    time.Cached = record.IsCached;
    if (record.IsVectorized && !record.SpeedField.empty()) {
        const auto& given = entry.Time ? entry.Time->Vectors : std::nullopt;
        if (given && given->Speed == record.SpeedField && given->Direction == record.DirectionField) {
            time.Vectors = given;
        } else {
            project::VectorSettings vectors;
            vectors.Speed = record.SpeedField;
            vectors.Direction = record.DirectionField;
            vectors.Font = record.VectorFont;
            vectors.Character = record.VectorChar;
            vectors.MinSize = record.VectorMinSize;
            vectors.MaxSize = record.VectorMaxSize;
            vectors.RangeMin = record.MinRange;
            vectors.RangeMax = record.MaxRange;
            time.Vectors = vectors;
        }
    }
    return time;
}

// A layer name no other known layer has: a project names each layer once.
std::string UniqueName(const std::string& name, const std::set<std::string>& taken) {
    std::string unique = name;
    for (int n = 2; taken.count(unique) != 0; ++n) {
        unique = name + " (" + std::to_string(n) + ")";
    }
    return unique;
}

// The feature classes of another vector file GDAL reads (GeoJSON, FlatGeobuf, GPX, KML...); none when GDAL
// does not read it as vector data, which leaves it to be tried as a raster.
std::vector<std::string> VectorFileDatasets(const fs::path& file) {
    try {
        return gis::OpenWorkspace(file.string())->DatasetNames(gis::DatasetType::FeatureClass);
    } catch (const platform::AutomationError&) {
        return {};
    }
}

} // namespace

DataFileContents InspectDataFile(const fs::path& file) {
    const fs::path path = fs::absolute(file).lexically_normal();
    std::error_code error;
    if (!fs::is_regular_file(path, error)) {
        platform::RaiseError(platform::error::kInvalidProcedureCall, path.string() + " is not a file.");
    }
    const std::string extension = platform::LCase(path.extension().string());
    DataFileContents contents;
    try {
        if (extension == ".shp") {
            contents.Source = path.parent_path();
            contents.Datasets = {path.stem().string()};
            // Opened once here so that a broken shapefile is reported before anything is added.
            gis::OpenWorkspace(contents.Source.string())->OpenFeatureClass(contents.Datasets.front());
        } else if (extension == ".gpkg") {
            contents.Source = path;
            contents.Datasets = gis::OpenWorkspace(path.string())->DatasetNames(gis::DatasetType::FeatureClass);
            if (contents.Datasets.empty()) {
                platform::RaiseError(platform::error::kInvalidProcedureCall, "it holds no feature classes");
            }
        } else if (auto datasets = VectorFileDatasets(path); !datasets.empty()) {
            contents.Source = path;
            contents.Datasets = std::move(datasets);
        } else {
            contents.Kind = project::LayerKind::Raster;
            contents.Source = path;
            gis::OpenRasterLayer(path.string());
        }
    } catch (const platform::AutomationError& e) {
        platform::RaiseError(e.Number(), path.string() + ": " + e.Description());
    }
    return contents;
}

MapDocument::MapDocument(gis::Application& host) : host_(host) {}

MapDocument::~MapDocument() = default;

void MapDocument::Open(const fs::path& file) {
    // Read and checked before anything changes, so a file that is no project leaves the document as it is.
    project::Project project = project::LoadProject(file);
    session_.reset();
    known_.clear();
    file_.clear();
    base_ = project::Project{};
    session_ = std::make_unique<project::ProjectSession>(std::move(project), host_);
    base_ = session_->Project();
    for (const project::SessionLayer& layer : session_->Layers()) {
        project::LayerEntry entry = *layer.Entry;
        entry.Layers.clear(); // a group's children are read from the map when it is saved
        Remember(layer.Layer, std::move(entry));
    }
    file_ = fs::absolute(file).lexically_normal();
}

void MapDocument::New() {
    session_.reset();
    known_.clear();
    file_.clear();
    base_ = project::Project{};
    host_.NewDocument();
}

bool MapDocument::TimeLayersRegistered() const noexcept {
    return session_ && session_->HasRegistry();
}

std::shared_ptr<gis::ILayer> MapDocument::AddFeatureClass(const fs::path& workspace, const std::string& dataset) {
    project::LayerEntry entry;
    entry.Kind = project::LayerKind::Feature;
    entry.Source.Workspace = fs::absolute(workspace).lexically_normal();
    entry.Source.Dataset = dataset;
    auto layer = gis::OpenFeatureLayer(entry.Source.Workspace.string(), dataset);
    return AddOnTop(std::move(layer), std::move(entry));
}

std::shared_ptr<gis::ILayer> MapDocument::AddRaster(const fs::path& file) {
    project::LayerEntry entry;
    entry.Kind = project::LayerKind::Raster;
    entry.Source.Path = fs::absolute(file).lexically_normal();
    auto layer = gis::OpenRasterLayer(entry.Source.Path.string());
    return AddOnTop(std::move(layer), std::move(entry));
}

std::shared_ptr<gis::ILayer> MapDocument::AddOnTop(std::shared_ptr<gis::ILayer> layer, project::LayerEntry entry) {
    std::set<std::string> taken;
    for (const KnownLayer& known : known_) {
        if (!known.first.expired()) {
            taken.insert(known.second.Name);
        }
    }
    entry.Name = UniqueName(layer->Name(), taken);
    layer->Name(entry.Name);
    const std::shared_ptr<gis::Map>& map = host_.Document()->FocusMap();
    if (!map) {
        platform::RaiseError(platform::error::kObjectNotSet, "The document has no map to add data to.");
    }
    map->AddLayer(layer);
    Remember(layer, std::move(entry));
    map->PartialRefresh(gis::view_phase::kGeography, layer, std::nullopt);
    return layer;
}

void MapDocument::Remember(const std::shared_ptr<gis::ILayer>& layer, project::LayerEntry entry) {
    std::erase_if(known_, [](const KnownLayer& known) { return known.first.expired(); });
    known_.emplace_back(layer, std::move(entry));
}

const project::LayerEntry* MapDocument::Known(const gis::ILayer& layer) const {
    for (const KnownLayer& known : known_) {
        if (const auto alive = known.first.lock(); alive.get() == &layer) {
            return &known.second;
        }
    }
    return nullptr;
}

std::string MapDocument::ProjectName(const gis::ILayer& layer) const {
    const project::LayerEntry* entry = Known(layer);
    return entry != nullptr ? entry->Name : std::string();
}

std::optional<project::TimeSettings> MapDocument::TimeOf(const std::shared_ptr<gis::ILayer>& layer,
                                                         const project::LayerEntry& entry) const {
    // Without a registry nothing could change the time layers: they stay as the project gave them.
    if (!g_pChronovaData) {
        return entry.Time;
    }
    std::shared_ptr<LayerData> record;
    if (g_pChronovaData->FindByLayer(layer, &record) && record) {
        return TimeFromRecord(*record, entry);
    }
    // A web map service finds its steps only while it can be reached; its time block is kept when it cannot.
    if (entry.Kind == project::LayerKind::Wms) {
        return entry.Time;
    }
    return std::nullopt;
}

std::optional<project::LayerEntry> MapDocument::EntryOf(const std::shared_ptr<gis::ILayer>& layer) const {
    const project::LayerEntry* known = Known(*layer);
    if (known == nullptr) {
        return std::nullopt;
    }
    project::LayerEntry entry = *known;
    entry.Visible = layer->Visible();
    entry.Time = TimeOf(layer, *known);
    entry.Layers.clear();
    if (const auto group = std::dynamic_pointer_cast<gis::ICompositeLayer>(layer);
        group && entry.Kind == project::LayerKind::Group) {
        for (int32_t i = 0; i < group->Count(); ++i) {
            if (auto child = EntryOf(group->Layer(i))) {
                entry.Layers.push_back(std::move(*child));
            }
        }
    }
    return entry;
}

project::Project MapDocument::Snapshot(const fs::path& file) const {
    project::Project project;
    project.File = fs::absolute(file).lexically_normal();
    project.Map = base_.Map;
    project.Display = base_.Display;
    project.Time = base_.Time;
    project.Export = base_.Export;

    if (const std::shared_ptr<gis::Map>& map = host_.Document()->FocusMap()) {
        project.Map.Name = map->Name();
        const gis::Envelope extent = map->Extent();
        project.Map.Extent =
            extent == map->FullExtent() || extent.IsEmpty() ? std::nullopt : std::optional<gis::Envelope>(extent);
        for (int32_t i = 0; i < map->LayerCount(); ++i) {
            if (auto entry = EntryOf(map->Layer(i))) {
                project.Layers.push_back(std::move(*entry));
            }
        }
    }

    if (g_pChronovaData) {
        ChronovaData& registry = *g_pChronovaData;
        const DisplayOptions display = registry.Display();
        project.Display.Type = display.display_type == kDisplayUniquePoints ? project::DisplayType::Unique
                                                                            : project::DisplayType::Interval;
        project.Display.FillGaps = display.fill_gaps;
        project.Display.TocLabels = display.toc_labels;
        project.Display.Loop = display.loop_animation;
        project.Display.UseDateTime = registry.UseDateTime();
        project.Time = project::TimeWindow{};
        if (registry.Valid()) {
            project.Time.Start = modDateTime::DateToMinutes(registry.StartTime());
            project.Time.Finish = modDateTime::DateToMinutes(registry.FinishTime());
            if (const int32_t interval = registry.Interval(); interval > 0) {
                project.Time.Interval = interval;
            }
            if (const std::shared_ptr<gis::ILayer> range = registry.TimeRange()) {
                if (const project::LayerEntry* entry = Known(*range)) {
                    project.Time.RangeLayer = entry->Name;
                }
            }
        }
    }
    return project;
}

void MapDocument::Save(const fs::path& file) {
    project::SaveProject(Snapshot(file), file);
    file_ = fs::absolute(file).lexically_normal();
}

} // namespace chronova::desktop
