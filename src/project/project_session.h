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
class Application;
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

/// A project opened into a host, as an automation client does it: the focus map with every layer opened and
/// styled, the time layers registered through the registry's add operations (g_pChronovaData), the display options
/// and the time window applied. The process-wide state allows one host at a time.
class ProjectSession {
public:
    /// Starts a host of the session's own (the application with the extension and the registry) and opens
    /// everything the project names into it. The loop runs the slider's playback timers and must outlive the
    /// session. Raises an AutomationError naming the layer and its file when data cannot be opened, or a layer
    /// cannot be a time layer or take its vectors; raises 5 when a host is already running in the process. A
    /// failure leaves the process-wide state reset, and so does the destructor.
    ProjectSession(project::Project project, platform::ui::EventLoop& loop);
    /// Opens the project into a host that is already running, as a desktop window does: the application gets a
    /// new document whose focus map takes the layers, and the registry its extension made (g_pChronovaData) takes
    /// the time layers, display options and time window. Without a registry the layers open without time. Raises
    /// as the other constructor, and 5 when the registry belongs to another application. A failure leaves the
    /// application with an empty new document. The host keeps the process-wide state: the destructor only lets
    /// go of the layers, which stay in the map until the host replaces its document.
    ProjectSession(project::Project project, gis::Application& host);
    ~ProjectSession();
    ProjectSession(const ProjectSession&) = delete;
    ProjectSession& operator=(const ProjectSession&) = delete;

    const project::Project& Project() const noexcept { return project_; }
    const ExportSettings& Export() const noexcept { return project_.Export; }
    const gis::LayoutSettings& Layout() const noexcept { return project_.Layout; }
    /// The focus map the project's layers are in.
    const std::shared_ptr<gis::Map>& Map() const noexcept { return map_; }
    /// The registry the session drives (the process's g_pChronovaData). Raises 91 when the host has none.
    ChronovaData& Registry() const;
    /// Whether the time layers were registered: false for a host without a registry.
    bool HasRegistry() const noexcept { return registered_; }
    /// The colour under every layer; drawing code hands it to its map drawer.
    gis::Color Background() const noexcept { return project_.Map.Background; }

    /// Every layer, depth first in listed order (a group before its children).
    const std::vector<SessionLayer>& Layers() const noexcept { return layers_; }
    /// The layer with this name, or null.
    const SessionLayer* FindLayer(std::string_view name) const;

private:
    void Open(platform::ui::EventLoop& loop);
    /// Fills the application's focus map and, when there is a registry, registers the time layers.
    void Populate(gis::Application& host);
    std::shared_ptr<gis::ILayer> OpenLayer(const LayerEntry& layer_entry);
    void RegisterTimeLayer(SessionLayer& entry);
    void ApplyTimeOfMovingThings(const std::shared_ptr<gis::ILayer>& layer, const LayerEntry& layer_entry,
                                 const TimeSettings& time);
    void ApplyDisplayAndTime();

    project::Project project_;
    std::shared_ptr<gis::Map> map_;
    std::vector<SessionLayer> layers_;
    /// Whether the destructor resets the process-wide state: only for a host of the session's own.
    bool owns_host_ = true;
    bool registered_ = false;
};

} // namespace chronova::project
