#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QRect>
#include <optional>
#include <string>
#include <vector>

#include "gis/data/geometry_column.h"
#include "gis/drawing/view_transform.h"
#include "gis/layout/cached_text_line.h"
#include "gis/layout/color_bar.h"
#include "gis/layout/layout_settings.h"
#include "gis/layout/legend.h"
#include "gis/layout/piece_style.h"
#include "gis/map/map.h"

namespace chronova::gis {

/// Pixels beside the map, per edge of the frame, that pieces of furniture need so that the data can be drawn
/// clear of them.
struct FrameRoom {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    bool Any() const noexcept { return Left > 0 || Top > 0 || Right > 0 || Bottom > 0; }
};

/// The extent that draws `data` as large as it fits into a frame of `frame` pixels less `room` along its edges,
/// centred there, with the frame's own proportions; `data` itself when there is no room to make or when the map
/// would keep less than half the frame's width or height.
Envelope ExtentWithRoom(const Envelope& data, QSize frame, const FrameRoom& room);

/// The furniture of a series of frames of one map (an animation): title, legend, colour bar, scale bar and time
/// label, each on a panel. The first frame decides what the pieces show and where they go, choosing for each
/// the corner or edge that hides the least data, and the pieces keep their places on every later frame. The
/// title, legend and scale bar are drawn once and only blitted afterwards; the colour bar is drawn again when
/// the range of a raster changes, and the time label on every frame, from glyphs looked up once per character.
class MapLayout {
public:
    explicit MapLayout(LayoutSettings settings);

    const LayoutSettings& Settings() const noexcept { return settings_; }
    /// The extent to draw so that data covering `data` has the margin around it: grown by the margin's share of
    /// its width and height on every side. An empty extent stays empty.
    Envelope DrawnExtent(const Envelope& data) const;

    /// Draws the furniture onto a frame of `map` that was just drawn with `transform` over `background` (its
    /// pixels tell data from background on the first frame). The frame is converted to 32-bit first when
    /// QPainter cannot draw on its format. Needs a QGuiApplication for fonts.
    void Draw(QImage& frame, const Map& map, QColor background, const ViewTransform& transform,
              const std::string& time_label);
    /// The room beside the map that the pieces placed on the first frame need because they cover data there:
    /// each such piece asks for a strip along the edge it sits on (a corner piece along the edge where the strip
    /// costs the map the smaller share). Empty before the first frame, and when every piece found a free place.
    const FrameRoom& RoomForPieces() const noexcept { return room_; }
    /// The map was drawn again at another scale (to make that room): the scale bar is drawn for the new scale in
    /// the place it was given; every piece keeps its place.
    void ScaleChanged(const Map& map, const ViewTransform& transform);
    /// Forgets the pieces and their places: the next frame decides them anew.
    void Reset();
    /// How the legend and the colour bar name layers (a time layer's name may carry its current step, which the
    /// time label already shows); by default by their names.
    void LayerNames(LayerNamer namer) { namer_ = std::move(namer); }

    /// Where each piece went on the last frame; empty for a piece that is not drawn.
    struct Placed {
        QRect Title;
        QRect Legend;
        QRect ColorBar;
        QRect ScaleBar;
        QRect TimeLabel;
    };
    const Placed& Pieces() const noexcept { return placed_; }

private:
    void Prepare(const QImage& frame, const Map& map, QColor background, const ViewTransform& transform,
                 const std::string& time_label);
    QImage TitleImage(const Map& map) const;
    QImage ScaleBarImage(const Map& map, const ViewTransform& transform) const;
    int ColorBarWidth() const;
    QSize TimeLabelRoom(const std::string& time_label) const;
    void DrawTimeLabel(QPainter& painter, const std::string& time_label);

    LayoutSettings settings_;
    LayerNamer namer_;
    bool prepared_ = false;
    QSize frame_size_;
    PieceStyle style_;
    QFont time_font_;
    std::optional<CachedTextLine> time_text_; // the time label's glyphs, looked up once per character
    QImage title_;
    QImage legend_;
    QImage scale_bar_;
    QImage color_bar_;
    std::vector<ColorBarEntry> color_bar_entries_;
    Placed placed_;
    // Where the colour bar and the time label were reserved room; each frame's image is aligned in it.
    QRect color_bar_room_;
    QRect time_label_room_;
    QRect scale_bar_room_;
    FrameRoom room_;
};

} // namespace chronova::gis
