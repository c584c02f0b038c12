#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QWidget>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>

#include "apps/desktop/frame_cache.h"
#include "apps/desktop/frame_copier.h"
#include "apps/desktop/frame_key.h"
#include "gis/data/geometry_column.h"
#include "gis/map/active_view.h"
#include "platform/event.h"

namespace chronova::gis {
class Map;
class MapDrawer;
} // namespace chronova::gis

namespace chronova::desktop {

/// The map view of the window: shows the image gis::MapDrawer draws of a map and lets the user move around it.
///
/// The map asks for redraws (ViewRefreshed); the canvas answers each at once, inside the request, through
/// MapDrawer::Update, which redraws only the layers the request names. Drawing on request keeps the map's
/// DrawingStarted / DrawingFinished notifications next to the change that caused them, which is what the slider's
/// playback waits on before it takes its next step. Navigation sets the map's extent, which asks for a redraw too.
///
/// Frames drawn are kept in a bounded cache by everything they depend on (FrameKey), so a step shown again (loop
/// playback, stepping back) is answered from the cache with the same notifications, without drawing. A frame drawn
/// goes into the cache through a copy a worker makes (FrameCopier), so that drawing a step not kept costs what it
/// costs without the cache.
class MapCanvas : public QWidget {
public:
    /// What a left-button drag does.
    enum class Tool {
        Pan,    ///< drags the map along
        ZoomIn, ///< draws a box to zoom into; a click zooms in twice around the point
    };

    explicit MapCanvas(QWidget* parent = nullptr);
    ~MapCanvas() override;

    /// Shows a map (none clears the view) over a background colour.
    void Bind(std::shared_ptr<gis::Map> map, QColor background = Qt::white);
    const std::shared_ptr<gis::Map>& BoundMap() const noexcept { return map_; }
    /// The colour under the map (white when no map is shown).
    QColor Background() const;
    /// While suspended, redraw requests wait; resuming draws once for all of them. Used while a project opens.
    void Suspend(bool suspended);

    Tool CurrentTool() const noexcept { return tool_; }
    void SetTool(Tool tool);

    /// Shows every layer.
    void FullExtent();
    /// Zooms by a factor (above 1 zooms in) keeping the map point under the pixel where it is.
    void ZoomAt(QPointF pixel, double factor);
    /// Moves the map by pixels, as a drag by that much does.
    void PanBy(QPoint pixels);
    /// Shows the map area under a rectangle of pixels.
    void ZoomToPixels(const QRect& pixels);

    /// The map area the whole canvas shows; empty before the map has any extent.
    gis::Envelope VisibleExtent() const;
    /// The last image drawn (null before the first).
    const QImage& Frame() const noexcept { return frame_; }
    /// How many drawing passes the map has been through (DrawingFinished); a pass may draw only some layers.
    int DrawCount() const noexcept { return draw_count_; }

    /// The cache of frames; its bound starts at the one stored in the user settings.
    const FrameCache& Frames() const noexcept { return cache_; }
    /// A new bound for the frame cache in bytes; 0 turns it off and drops every frame kept.
    void FrameCacheBytes(size_t bytes);
    /// Waits for the frames drawn so far to be copied and puts them in the cache (they go there on their own
    /// soon after, through the event loop).
    void FinishStoring();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    /// Carries out what the map asked for, if the canvas can draw now; otherwise the request waits in the map.
    void Redraw();
    /// One answer to the map's requests: from the cache when it holds the frame of the map as it is now, else drawn.
    void DrawOnce();
    // Puts the frames the worker has copied into the cache.
    void KeepCopied();
    // Drops the frames waiting for their copy.
    void DropStoring();
    bool CanDraw() const;
    /// The map coordinates of a pixel of the canvas, in the view last drawn.
    std::optional<QPointF> MapPoint(QPointF pixel) const;
    void ShowExtent(const gis::Envelope& extent);

    std::shared_ptr<gis::Map> map_;
    std::unique_ptr<gis::MapDrawer> drawer_;
    platform::ScopedConnection view_refreshed_;
    platform::ScopedConnection drawing_finished_;
    QImage frame_;
    FrameCache cache_;
    // The key of the frame shown, when it is known to be current.
    std::optional<FrameKey> shown_key_;
    // Requests answered from the cache, which the drawer has not seen: the next drawing carries them out too, so
    // its layer images follow the map.
    gis::RedrawRequest unseen_;
    // The drawer's last frame is not the one shown (a frame came from the cache since).
    bool drawer_behind_ = false;
    // A frame drawn, waiting for its copy before it goes into the cache.
    struct Storing {
        uint64_t Ticket = 0;
        FrameKey Key;
        QImage Frame;
    };
    std::deque<Storing> storing_;
    uint64_t next_ticket_ = 0;
    std::unique_ptr<FrameCopier> copier_;
    int draw_count_ = 0;
    bool suspended_ = false;
    bool drawing_ = false;
    bool again_ = false;

    Tool tool_ = Tool::Pan;
    std::optional<QPoint> press_;
    QPoint drag_;
};

} // namespace chronova::desktop
