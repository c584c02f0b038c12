#include "apps/chronova/frame_renderer.h"

#include <QGuiApplication>
#include <QPainter>
#include <cstdio>
#include <cstdlib>

#include "gis/map/map.h"
#include "platform/automation_error.h"
#include "records/layer_data.h"
#include "records/layer_data_collection.h"
#include "records/process_state.h"
#include "registry/chronova_data.h"

namespace chronova::cli {

namespace {

// The layers' own images, which spare unchanged layers a redraw, are kept while they take no more than this;
// larger frames draw every layer onto the frame, so that memory follows the frame size and not the layer count.
constexpr int64_t kLayerImageBudget = int64_t{256} << 20;

// A time layer's name without the step the time filter writes after it ("Buoys [3/1/2008]"): the legend is
// drawn once for every frame, and the time label shows the step.
std::string LegendName(const gis::ILayer& layer) {
    std::string name = layer.Name();
    const size_t bracket = name.find(" [");
    if (bracket == std::string::npos || name.back() != ']' || !g_Layers) {
        return name;
    }
    for (const std::shared_ptr<LayerData>& record : g_Layers->NewEnum()) {
        if (record && record->TheLayer.get() == &layer) {
            return name.substr(0, bracket);
        }
    }
    return name;
}

} // namespace

FrameRenderer::FrameRenderer(std::shared_ptr<gis::Map> map, ChronovaData& registry, QSize size, QColor background,
                             bool timeline, gis::LayoutSettings layout)
    : map_(std::move(map)), registry_(registry), size_(size), drawer_(map_), layout_(std::move(layout)) {
    drawer_.Background(background);
    drawer_.LayerImageBudget(kLayerImageBudget);
    drawer_.FailOnLayerErrors(true); // a frame missing a layer that could not be read is an error, not output
    layout_.LayerNames(LegendName);
    if (timeline) {
        if (registry_.Slider() == nullptr) {
            platform::RaiseError(91, "The registry has no slider to draw the timeline from.");
        }
        timeline_ = std::make_unique<TimelineStrip>(*registry_.Slider(), size_.width());
    }
}

QSize FrameRenderer::FrameSize() const {
    return timeline_ ? QSize(size_.width(), size_.height() + timeline_->Height()) : size_;
}

int32_t FrameRenderer::FrameCount() const {
    const AxisState axis = registry_.Axis();
    return axis.valid ? axis.position_count : 0;
}

QImage FrameRenderer::Render(int32_t position) {
    registry_.GoToPosition(position);
    if (!extent_chosen_) {
        extent_chosen_ = true;
        if (layout_.Settings().Margin > 0.0) {
            const gis::Envelope data = drawer_.DefaultExtent();
            if (!data.IsEmpty()) {
                extent_ = layout_.DrawnExtent(data);
            }
        }
    }
    QImage frame = drawer_.Update(size_, extent_);
    if (layout_.Settings().AnyShown()) {
        const gis::ViewTransform transform(extent_ ? *extent_ : drawer_.DefaultExtent(), size_.width(), size_.height());
        const bool first = !room_made_;
        layout_.Draw(frame, *map_, drawer_.Background(), transform, registry_.Axis().current_label);
        room_made_ = true;
        // Pieces that found no place free of data on the first frame get room beside the map: the map is drawn
        // smaller, clear of them, and stays so for the whole animation.
        if (first && extent_ && layout_.RoomForPieces().Any()) {
            const gis::Envelope roomy = gis::ExtentWithRoom(*extent_, size_, layout_.RoomForPieces());
            if (!(roomy == *extent_)) {
                extent_ = roomy;
                frame = drawer_.Update(size_, extent_);
                const gis::ViewTransform smaller(*extent_, size_.width(), size_.height());
                layout_.ScaleChanged(*map_, smaller);
                layout_.Draw(frame, *map_, drawer_.Background(), smaller, registry_.Axis().current_label);
            }
        }
    }
    if (!timeline_) {
        return frame;
    }
    QImage whole(FrameSize(), frame.format());
    QPainter painter(&whole);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(0, 0, frame);
    painter.drawImage(0, size_.height(), timeline_->Draw());
    return whole;
}

void EnsureGuiApplication() {
    if (QCoreApplication::instance() != nullptr) {
        return;
    }
    // The offscreen platform needs no session, so Qt's note that there is none is only noise on stderr.
    static const QtMessageHandler previous =
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext& context, const QString& message) {
            if (message.startsWith("QStandardPaths: XDG_RUNTIME_DIR not set")) {
                return;
            }
            if (previous != nullptr) {
                previous(type, context, message);
            } else {
                std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
            }
        });
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static int argc = 1;
    static char name[] = "chronova";
    static char* argv[] = {name, nullptr};
    static QGuiApplication application(argc, argv);
}

} // namespace chronova::cli
