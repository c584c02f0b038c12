#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "gis/symbology/color.h"
#include "project/project_file.h"

namespace chronova {
namespace gis {
class Application;
class ILayer;
} // namespace gis
namespace project {
class ProjectSession;
} // namespace project
} // namespace chronova

namespace chronova::desktop {

/// What a data file offers to Add Data: the feature classes of a shapefile or GeoPackage, or a raster.
struct DataFileContents {
    project::LayerKind Kind = project::LayerKind::Feature;
    /// Feature data: the folder of a shapefile or the GeoPackage file; rasters: the file itself.
    std::filesystem::path Source;
    /// Feature data: the feature classes to choose from (one for a shapefile).
    std::vector<std::string> Datasets;
};

/// Looks into a file the user picked: a .shp names one shapefile of its folder, a .gpkg lists its feature classes,
/// anything else must be a raster GDAL reads. Raises an AutomationError naming the file when it holds nothing
/// that can be drawn.
DataFileContents InspectDataFile(const std::filesystem::path& file);

/// The map document of the desktop window: the project it was opened from (if any), how every layer of the focus
/// map opens again, and the project the map has become, for saving. The host's registry keeps the time layers; the
/// document reads their settings back from it when it saves.
class MapDocument {
public:
    explicit MapDocument(gis::Application& host);
    ~MapDocument();
    MapDocument(const MapDocument&) = delete;
    MapDocument& operator=(const MapDocument&) = delete;

    /// Opens a project file into the host, replacing the document. A file that is not a valid project raises its
    /// ProjectError and leaves the document as it was; data that cannot be opened raises an AutomationError and
    /// leaves an empty untitled document.
    void Open(const std::filesystem::path& file);
    /// Starts an empty untitled document.
    void New();

    /// Puts a feature class of a shapefile folder or GeoPackage on top of the focus map and returns its layer.
    /// Raises an AutomationError when it cannot be opened.
    std::shared_ptr<gis::ILayer> AddFeatureClass(const std::filesystem::path& workspace, const std::string& dataset);
    /// Puts a raster on top of the focus map and returns its layer; raises as AddFeatureClass.
    std::shared_ptr<gis::ILayer> AddRaster(const std::filesystem::path& file);

    /// The project the map is now, to be written to file: the layers in the map's order with the visibility the
    /// user gave them, the registered time layers with the settings their records hold, the display options and
    /// time window in force; the export settings and map style as opened.
    project::Project Snapshot(const std::filesystem::path& file) const;
    /// Writes Snapshot(file) to the file, which becomes the document's file. Raises as project::SaveProject.
    void Save(const std::filesystem::path& file);

    /// Whether the opened project's time layers went into the host's registry; false without a registry (Chronova
    /// is not registered with the host) and for an untitled document.
    bool TimeLayersRegistered() const noexcept;
    /// The project file; empty for an untitled document.
    const std::filesystem::path& FilePath() const noexcept { return file_; }
    /// The colour under the map's layers.
    gis::Color Background() const noexcept { return base_.Map.Background; }
    /// The name a layer was given in the project or when it was added: the map's own names may carry the step
    /// shown. Empty for a layer the document does not know.
    std::string ProjectName(const gis::ILayer& layer) const;

private:
    using KnownLayer = std::pair<std::weak_ptr<gis::ILayer>, project::LayerEntry>;

    const project::LayerEntry* Known(const gis::ILayer& layer) const;
    std::optional<project::LayerEntry> EntryOf(const std::shared_ptr<gis::ILayer>& layer) const;
    std::optional<project::TimeSettings> TimeOf(const std::shared_ptr<gis::ILayer>& layer,
                                                const project::LayerEntry& entry) const;
    void Remember(const std::shared_ptr<gis::ILayer>& layer, project::LayerEntry entry);
    std::shared_ptr<gis::ILayer> AddOnTop(std::shared_ptr<gis::ILayer> layer, project::LayerEntry entry);

    gis::Application& host_;
    std::unique_ptr<project::ProjectSession> session_;
    /// The opened project's map style, display, time and export settings; defaults for an untitled document.
    project::Project base_;
    std::vector<KnownLayer> known_;
    std::filesystem::path file_;
};

} // namespace chronova::desktop
