#pragma once

#include <memory>
#include <string_view>
#include <vector>

#include "gis/symbology/color.h"
#include "project/project_file.h"

namespace chronova {

class ChronovaData;
class LayerData;

namespace gis {
class ILayer;
class Map;
} // namespace gis

namespace platform::ui {
class EventLoop;
} // namespace platform::ui

} // namespace chronova

namespace chronova::project {

/// One layer of an open project: its entry, the host layer made from it and, for a time layer, its registry record.
struct SessionLayer {
    const LayerEntry* Entry = nullptr;
    std::shared_ptr<gis::ILayer> Layer;
    /// Null unless the layer is registered as a time layer.
    std::shared_ptr<LayerData> Record;
};

/// A project opened into the running host, as an automation client does it: the host application with the
/// extension, the registry (g_pChronovaData), the focus map with every layer opened and styled, the time layers
/// registered through the registry's add operations, the display options and the time window applied. The
/// process-wide state allows one session at a time; the destructor releases all of it.
class ProjectSession {
public:
    /// Opens everything the project names. The loop runs the slider's playback timers and must outlive the session.
    /// Raises an AutomationError naming the layer and its file when data cannot be opened, or a layer cannot be a
    /// time layer or take its vectors; raises 5 when a host is already running in the process. A failure leaves
    /// the process-wide state reset.
    ProjectSession(project::Project project, platform::ui::EventLoop& loop);
    ~ProjectSession();
    ProjectSession(const ProjectSession&) = delete;
    ProjectSession& operator=(const ProjectSession&) = delete;

    const project::Project& Project() const noexcept { return project_; }
    const ExportSettings& Export() const noexcept { return project_.Export; }
    /// The focus map the project's layers are in.
    const std::shared_ptr<gis::Map>& Map() const noexcept { return map_; }
    /// The registry the session drives (the process's g_pChronovaData).
    ChronovaData& Registry() const;
    /// The colour under every layer; drawing code hands it to its map drawer.
    gis::Color Background() const noexcept { return project_.Map.Background; }

    /// Every layer, depth first in listed order (a group before its children).
    const std::vector<SessionLayer>& Layers() const noexcept { return layers_; }
    /// The layer with this name, or null.
    const SessionLayer* FindLayer(std::string_view name) const;

private:
    void Open(platform::ui::EventLoop& loop);
    std::shared_ptr<gis::ILayer> OpenLayer(const LayerEntry& layer_entry);
    void RegisterTimeLayer(SessionLayer& entry);
    void ApplyDisplayAndTime();

    project::Project project_;
    std::shared_ptr<gis::Map> map_;
    std::vector<SessionLayer> layers_;
};

} // namespace chronova::project
