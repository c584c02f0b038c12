#include "apps/chronova/frame_renderer.h"

#include <QGuiApplication>
#include <QPainter>
#include <cstdio>
#include <cstdlib>

#include "apps/chronova/export/frame_overlay.h"
#include "gis/map/map.h"
#include "platform/automation_error.h"
#include "registry/chronova_data.h"

namespace chronova::cli {

FrameRenderer::FrameRenderer(std::shared_ptr<gis::Map> map, ChronovaData& registry, QSize size, QColor background,
                             bool timeline)
    : map_(std::move(map)), registry_(registry), size_(size), drawer_(map_) {
    drawer_.Background(background);
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
    QImage frame = drawer_.Update(size_);
    exporting::DrawTimeLabel(frame, registry_.Axis().current_label);
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
