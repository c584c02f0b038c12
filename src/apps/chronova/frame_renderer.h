#pragma once

#include <QColor>
#include <QImage>
#include <QSize>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "apps/chronova/timeline_strip.h"
#include "gis/drawing/map_drawer.h"
#include "gis/layout/map_layout.h"

namespace chronova {
class ChronovaData;
namespace gis {
class Map;
} // namespace gis
} // namespace chronova

namespace chronova::cli {

/// Steps the slider through its positions and draws the map at each, as the desktop window would show it:
/// every position applies its time to the layers through the slider's change handler, then only the layers
/// that changed are drawn again. The layout's furniture (title, legend, bars, the current time) is drawn over
/// the map, which is drawn with the layout's margin around the data, and made smaller on the first frame when a
/// piece finds no place free of data, so that it stands beside the map; the default layout is the bare map. With
/// the timeline, the slider's strip (TimelineStrip) is added under the map, which keeps its size.
class FrameRenderer {
public:
    FrameRenderer(std::shared_ptr<gis::Map> map, ChronovaData& registry, QSize size, QColor background,
                  bool timeline = false, gis::LayoutSettings layout = gis::LayoutSettings::None());

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
    gis::MapLayout layout_;
    // The extent drawn with the margin, fixed at the first frame so that the map does not move; none draws the
    // drawer's default extent at every frame, as a map without margin always did.
    std::optional<gis::Envelope> extent_;
    bool extent_chosen_ = false;
    bool room_made_ = false;
    std::unique_ptr<TimelineStrip> timeline_;
};

/// Fonts and images need an application object; the command line runs on the offscreen platform.
void EnsureGuiApplication();

} // namespace chronova::cli
