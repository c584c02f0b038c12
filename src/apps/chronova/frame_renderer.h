#pragma once

#include <QColor>
#include <QImage>
#include <QSize>
#include <cstdint>
#include <functional>
#include <memory>

#include "apps/chronova/timeline_strip.h"
#include "gis/drawing/map_drawer.h"

namespace chronova {
class ChronovaData;
namespace gis {
class Map;
} // namespace gis
} // namespace chronova

namespace chronova::cli {

/// Steps the slider through its positions and draws the map at each, as the desktop window would show it:
/// every position applies its time to the layers through the slider's change handler, then only the layers
/// that changed are drawn again, and the current time is written on the frame. With the timeline, the slider's
/// strip (TimelineStrip) is added under the map, which keeps its size.
class FrameRenderer {
public:
    FrameRenderer(std::shared_ptr<gis::Map> map, ChronovaData& registry, QSize size, QColor background,
                  bool timeline = false);

    /// The number of frames: one per slider position.
    int32_t FrameCount() const;
    /// The size of every frame: the map's, and the timeline's height under it when it is shown.
    QSize FrameSize() const;
    /// Moves the slider to a position (applying its time even when the slider is there already) and draws it.
    QImage Render(int32_t position);

private:
    std::shared_ptr<gis::Map> map_;
    ChronovaData& registry_;
    QSize size_;
    gis::MapDrawer drawer_;
    std::unique_ptr<TimelineStrip> timeline_;
};

/// Fonts and images need an application object; the command line runs on the offscreen platform.
void EnsureGuiApplication();

} // namespace chronova::cli
