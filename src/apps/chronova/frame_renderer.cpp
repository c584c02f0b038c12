#include "apps/chronova/frame_renderer.h"

#include <QGuiApplication>
#include <cstdio>
#include <cstdlib>

#include "apps/chronova/export/frame_overlay.h"
#include "gis/map/map.h"
#include "registry/chronova_data.h"

namespace chronova::cli {

FrameRenderer::FrameRenderer(std::shared_ptr<gis::Map> map, ChronovaData& registry, QSize size, QColor background)
    : map_(std::move(map)), registry_(registry), size_(size), drawer_(map_) {
    drawer_.Background(background);
}

int32_t FrameRenderer::FrameCount() const {
    const AxisState axis = registry_.Axis();
    return axis.valid ? axis.position_count : 0;
}

QImage FrameRenderer::Render(int32_t position) {
    registry_.GoToPosition(position);
    QImage frame = drawer_.Update(size_);
    exporting::DrawTimeLabel(frame, registry_.Axis().current_label);
    return frame;
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
