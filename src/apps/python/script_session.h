#pragma once

#include <QImage>
#include <QSize>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "apps/chronova/axis_settings.h"
#include "apps/chronova/commands.h"
#include "apps/chronova/frame_renderer.h"
#include "apps/chronova/opened_project.h"
#include "datetime/calendar_interval.h"
#include "platform/ole_date.h"

namespace chronova {
class ChronovaData;
namespace gis {
class ILayer;
} // namespace gis
} // namespace chronova

namespace chronova::python {

/// A map layer under the name a script finds it by: the project's name, or the one it was opened with.
struct NamedLayer {
    std::string name;
    std::shared_ptr<gis::ILayer> layer;
};

/// How the time axis is set before an animation is written, as the command line's options set it; unset values
/// keep the axis as it stands.
using AxisOptions = cli::AxisSettings;

/// What an animation is written with; unset values come from the project's export settings.
struct AnimationOptions {
    std::filesystem::path file; ///< .gif or .mp4
    std::optional<QSize> size;
    std::optional<int32_t> fps;
    bool timeline = false;
    int32_t max_frames = cli::kDefaultMaxFrames;
};

/// One map and its time layers, opened for a script as the command line opens them: a project file, a layer of a
/// data file with the time setting the command line proposes for it, or an empty map that the script fills. It
/// owns the host of the process (one at a time), draws frames and writes animations. Bad arguments raise
/// std::invalid_argument; failures of the system raise its AutomationError.
class ScriptSession {
public:
    /// An empty map.
    ScriptSession();
    /// A project file, or (for any other path) the data a path stands for: the layer named layer_name, or every
    /// layer there, those that carry time as time layers.
    explicit ScriptSession(const std::string& path, const std::string& layer_name = {});
    ~ScriptSession();
    ScriptSession(const ScriptSession&) = delete;
    ScriptSession& operator=(const ScriptSession&) = delete;

    ChronovaData& Registry();
    /// The map's layers with their names, depth first in drawing order from the top (a group before its children).
    std::vector<NamedLayer> Layers() const;
    /// What the registry found worth a warning about the data of the time layers opened with the session.
    const std::vector<std::string>& Warnings() const noexcept { return warnings_; }
    /// The project file, or the data a map was built from; empty for a map made empty.
    const std::string& Source() const noexcept { return source_; }

    // Layers added to the map at the bottom, under their name (the data's own when empty), for the registry's add
    // operations to take.
    std::shared_ptr<gis::ILayer> AddFeatureLayer(const std::string& workspace, const std::string& dataset,
                                                 const std::string& name, const std::vector<std::string>& open_options);
    std::shared_ptr<gis::ILayer> AddRasterLayer(const std::string& path, const std::string& name);
    std::shared_ptr<gis::ILayer> AddWmsLayer(const std::string& url, const std::vector<std::string>& service_layers,
                                             const std::string& name);
    /// The moving points of a CSV file, a layer that keeps its own time steps (a custom time layer).
    std::shared_ptr<gis::ILayer> AddMovingPointsLayer(const std::string& path, const std::string& name);

    /// The slider positions an animation shows, in order: on an interval those up to the finish, on the step list
    /// the steps between start and finish. Raises 5 when the axis is empty.
    std::vector<int32_t> FramePositions();
    /// Sets the axis as the command line's --from, --to, --interval and --unique do.
    void ApplyAxis(const AxisOptions& options);
    /// The frame size the project asks for.
    QSize DefaultSize() const;
    int32_t DefaultFps() const;
    /// Draws the map at a slider position as an animation's frame shows it (moving the slider there).
    QImage Render(int32_t position, std::optional<QSize> size, bool timeline);
    /// Writes a GIF or, when ffmpeg is installed, an MP4 of the frame positions; returns the number of frames.
    int32_t Export(const AnimationOptions& options);

private:
    void AddLayer(const std::shared_ptr<gis::ILayer>& layer, const std::string& name);
    cli::FrameRenderer& Renderer(QSize size, bool timeline);

    std::unique_ptr<cli::OpenedProject> opened_;
    std::vector<NamedLayer> added_;
    std::vector<std::string> warnings_;
    std::string source_;
    std::unique_ptr<cli::FrameRenderer> renderer_;
    QSize renderer_size_;
    bool renderer_timeline_ = false;
};

} // namespace chronova::python
