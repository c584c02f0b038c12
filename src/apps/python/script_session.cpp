#include "apps/python/script_session.h"

#include <QColor>
#include <functional>
#include <set>
#include <sstream>
#include <stdexcept>

#include "apps/chronova/data_layers.h"
#include "apps/chronova/data_report.h"
#include "apps/chronova/export/gif_writer.h"
#include "apps/chronova/export/mp4_writer.h"
#include "apps/chronova/frame_positions.h"
#include "datetime/mod_date_time.h"
#include "gis/layers/group_layer.h"
#include "gis/layers/open_layers.h"
#include "gis/layers/wms_map_layer.h"
#include "gis/map/map.h"
#include "layerconfig/layer_proposal.h"
#include "platform/automation_error.h"
#include "plugins/moving_points/moving_points_layer.h"
#include "records/layer_data.h"
#include "registry/chronova_data.h"
#include "slider/frm_slider.h"

namespace chronova::python {

namespace {

namespace fs = std::filesystem;

std::string UniqueName(const std::string& wanted, std::set<std::string>& taken) {
    std::string name = wanted;
    for (int n = 2; taken.contains(name); ++n) {
        name = wanted + " " + std::to_string(n);
    }
    taken.insert(name);
    return name;
}

// The layers a data path stands for, as a project of its own: every layer found (or the one named), the time
// layers with the time setting the command line proposes.
project::Project ProjectOfData(const std::string& path, const std::string& wanted) {
    std::ostringstream notes; // what was left out of the data does not matter to a script
    std::vector<cli::FoundLayer> found = cli::LayersOf(path, {}, notes);
    project::Project project;
    project.File = fs::absolute(path);
    std::set<std::string> taken;
    std::vector<std::string> names;
    for (cli::FoundLayer& layer : found) {
        const std::string name = UniqueName(layer.Name.empty() ? layer.Layer->Name() : layer.Name, taken);
        names.push_back(name);
        if (!wanted.empty() && name != wanted) {
            continue;
        }
        const layerconfig::LayerProposal proposal =
            layer.Proposal ? *layer.Proposal : layerconfig::ProposeLayer(layer.Layer);
        if (proposal.TimeLayer) {
            layer.Entry.Time = cli::TimeSettingsOf(proposal);
        } else if (!wanted.empty()) {
            throw std::invalid_argument("the layer '" + name + "' of " + path + " is " + proposal.Reason);
        }
        layer.Entry.Name = name;
        project.Layers.push_back(std::move(layer.Entry));
    }
    if (project.Layers.empty()) {
        std::string list;
        for (const std::string& name : names) {
            list += (list.empty() ? "" : ", ") + name;
        }
        throw std::invalid_argument(path + " has no layer named '" + wanted + "' (layers: " + list + ")");
    }
    return project;
}

// A layer and, unless it is a service layer whose children are not layers of the map's own, its children.
void AddWithChildren(const std::shared_ptr<gis::ILayer>& layer,
                     const std::function<std::string(const std::shared_ptr<gis::ILayer>&)>& name_of,
                     std::vector<NamedLayer>& out) {
    out.push_back({name_of(layer), layer});
    const auto group = std::dynamic_pointer_cast<gis::ICompositeLayer>(layer);
    if (!group || std::dynamic_pointer_cast<gis::WmsMapLayer>(layer)) {
        return;
    }
    for (int32_t i = 0; i < group->Count(); ++i) {
        AddWithChildren(group->Layer(i), name_of, out);
    }
}

const frmSlider& SliderOf(ChronovaData& registry) {
    if (registry.Slider() == nullptr) {
        platform::RaiseError(91, "The registry has no slider to step.");
    }
    return *registry.Slider();
}

bool EndsWith(const std::string& text, const std::string& suffix) {
    return text.size() >= suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

} // namespace

ScriptSession::ScriptSession() : opened_(std::make_unique<cli::OpenedProject>(project::Project{})) {}

ScriptSession::ScriptSession(const std::string& path, const std::string& layer_name) : source_(path) {
    std::ostringstream warnings;
    if (cli::IsProjectFile(path)) {
        if (!layer_name.empty()) {
            throw std::invalid_argument("a layer is chosen from data, not from a project file (" + path + ")");
        }
        opened_ = std::make_unique<cli::OpenedProject>(path, &warnings);
    } else {
        opened_ = std::make_unique<cli::OpenedProject>(ProjectOfData(path, layer_name), &warnings);
    }
    std::string line;
    std::istringstream lines(warnings.str());
    while (std::getline(lines, line)) {
        warnings_.push_back(line);
    }
}

ScriptSession::~ScriptSession() = default;

ChronovaData& ScriptSession::Registry() {
    return opened_->Session().Registry();
}

std::vector<NamedLayer> ScriptSession::Layers() const {
    const project::ProjectSession& session = opened_->Session();
    // The map's own names may carry the step a time layer shows; the names the layers were opened under do not.
    const auto name_of = [&](const std::shared_ptr<gis::ILayer>& layer) {
        for (const project::SessionLayer& entry : session.Layers()) {
            if (entry.Layer == layer) {
                return entry.Entry->Name;
            }
        }
        for (const NamedLayer& added : added_) {
            if (added.layer == layer) {
                return added.name;
            }
        }
        return layer->Name();
    };
    std::vector<NamedLayer> layers;
    for (int32_t i = 0; i < session.Map()->LayerCount(); ++i) {
        AddWithChildren(session.Map()->Layer(i), name_of, layers);
    }
    return layers;
}

void ScriptSession::AddLayer(const std::shared_ptr<gis::ILayer>& layer, const std::string& name) {
    if (!name.empty()) {
        layer->Name(name);
    }
    opened_->Session().Map()->AddLayer(layer);
    added_.push_back({layer->Name(), layer});
    renderer_.reset(); // the extent of the map drawn takes the new layer in
}

std::shared_ptr<gis::ILayer> ScriptSession::AddFeatureLayer(const std::string& workspace, const std::string& dataset,
                                                            const std::string& name,
                                                            const std::vector<std::string>& open_options) {
    std::shared_ptr<gis::ILayer> layer = gis::OpenFeatureLayer(workspace, dataset, {}, open_options);
    AddLayer(layer, name);
    return layer;
}

std::shared_ptr<gis::ILayer> ScriptSession::AddRasterLayer(const std::string& path, const std::string& name) {
    std::shared_ptr<gis::ILayer> layer = gis::OpenRasterLayer(path);
    AddLayer(layer, name);
    return layer;
}

std::shared_ptr<gis::ILayer> ScriptSession::AddWmsLayer(const std::string& url,
                                                        const std::vector<std::string>& service_layers,
                                                        const std::string& name) {
    if (url.empty()) {
        throw std::invalid_argument("a WMS layer needs the service's address");
    }
    auto layer = std::make_shared<gis::WmsMapLayer>(url, name.empty() ? url : name);
    layer->LayerNames(service_layers);
    AddLayer(layer, name);
    return layer;
}

std::shared_ptr<gis::ILayer> ScriptSession::AddMovingPointsLayer(const std::string& path, const std::string& name) {
    std::shared_ptr<gis::ILayer> layer = plugins::MovingPointsLayer::Open(path);
    AddLayer(layer, name);
    return layer;
}

std::vector<int32_t> ScriptSession::FramePositions() {
    ChronovaData& registry = Registry();
    if (!registry.Valid()) {
        platform::RaiseError(5, "The time axis is empty: no time layer has a step in its range.");
    }
    const frmSlider& slider = SliderOf(registry);
    const AxisState axis = registry.Axis();
    std::vector<int32_t> positions = cli::PositionsFromStartToFinish(slider, axis);
    if (positions.empty()) {
        platform::RaiseError(5, "No step of the time layers lies between the start and the finish.");
    }
    return positions;
}

void ScriptSession::ApplyAxis(const AxisOptions& options) {
    if (options.unique && options.interval) {
        throw std::invalid_argument("unique and interval exclude each other: the frames follow either the steps of "
                                    "the layers or the interval");
    }
    if (options.start && options.finish && *options.start >= *options.finish) {
        throw std::invalid_argument("start must be earlier than finish");
    }
    cli::ApplyAxisSettings(Registry(), options);
}

QSize ScriptSession::DefaultSize() const {
    const project::ExportSettings& settings = opened_->Session().Export();
    return {settings.Width, settings.Height};
}

int32_t ScriptSession::DefaultFps() const {
    return opened_->Session().Export().Fps;
}

cli::FrameRenderer& ScriptSession::Renderer(QSize size, bool timeline) {
    if (!renderer_ || renderer_size_ != size || renderer_timeline_ != timeline) {
        cli::EnsureGuiApplication();
        const project::ProjectSession& session = opened_->Session();
        const gis::Color background = session.Background();
        renderer_ = std::make_unique<cli::FrameRenderer>(session.Map(), Registry(), size,
                                                         QColor(background.Red, background.Green, background.Blue),
                                                         timeline, session.Layout());
        renderer_size_ = size;
        renderer_timeline_ = timeline;
    }
    return *renderer_;
}

QImage ScriptSession::Render(int32_t position, std::optional<QSize> size, bool timeline) {
    return Renderer(size.value_or(DefaultSize()), timeline).Render(position);
}

int32_t ScriptSession::Export(const AnimationOptions& options) {
    const std::string file = options.file.string();
    const bool mp4 = EndsWith(file, ".mp4");
    if (!mp4 && !EndsWith(file, ".gif")) {
        throw std::invalid_argument("the animation must be a .gif or .mp4 file, not '" + file + "'");
    }
    if (options.max_frames < 1) {
        throw std::invalid_argument("max_frames must be at least 1");
    }
    if (mp4 && !cli::exporting::FfmpegAvailable()) {
        platform::RaiseError(53, "MP4 needs ffmpeg, which is not installed; write a .gif instead (" + file + ").");
    }
    const std::vector<int32_t> positions = FramePositions();
    if (positions.size() > static_cast<size_t>(options.max_frames)) {
        throw std::invalid_argument("this animation would have " + std::to_string(positions.size()) +
                                    " frames, more than max_frames=" + std::to_string(options.max_frames) +
                                    " allows; narrow the start and finish, widen the interval, or raise max_frames");
    }
    const int32_t fps = options.fps.value_or(DefaultFps());
    if (fps < 1) {
        throw std::invalid_argument("fps must be at least 1");
    }
    // A renderer of its own, as the command line draws an animation: the extent chosen at its first frame.
    cli::EnsureGuiApplication();
    const project::ProjectSession& session = opened_->Session();
    const gis::Color background = session.Background();
    cli::FrameRenderer renderer(session.Map(), Registry(), options.size.value_or(DefaultSize()),
                                QColor(background.Red, background.Green, background.Blue), options.timeline,
                                session.Layout());
    const QSize size = renderer.FrameSize();
    std::unique_ptr<cli::exporting::GifWriter> gif;
    std::unique_ptr<cli::exporting::Mp4Writer> video;
    if (mp4) {
        video = std::make_unique<cli::exporting::Mp4Writer>(options.file, size.width(), size.height(), fps);
    } else {
        gif = std::make_unique<cli::exporting::GifWriter>(options.file, size.width(), size.height(), fps);
    }
    for (const int32_t position : positions) {
        const QImage frame = renderer.Render(position);
        video ? video->Add(frame) : gif->Add(frame);
    }
    video ? video->Finish() : gif->Finish();
    return static_cast<int32_t>(positions.size());
}

} // namespace chronova::python
