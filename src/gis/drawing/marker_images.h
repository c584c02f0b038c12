#pragma once

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QPoint>
#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "gis/drawing/view_transform.h"
#include "gis/symbology/symbols.h"

namespace chronova::gis {

/// One marker drawn once into a small image: drawing it at a point is a single image blit.
struct MarkerSprite {
    QImage Image;
    /// Where the image's top-left pixel goes, relative to the grid point of the marker's anchor (AnchorPixel).
    QPoint Offset;
    /// Per row of the image, the columns [first, second) that hold any colour; blending skips the rest.
    std::vector<std::pair<uint16_t, uint16_t>> Spans;
};

/// The images of one marker at one size, one per whole degree of rotation, each drawn on first use.
/// Markers that look the same after a quarter turn (squares, crosses) or under any turn (circles) share images.
class MarkerSheet {
public:
    static constexpr int kRotationBuckets = 360;

    /// `shape` is in pixels around the anchor at (0, 0); it is filled with `fill` (Qt::NoBrush for none) and
    /// stroked with `pen` (Qt::NoPen for none). `period` is the turn in degrees after which the marker looks the
    /// same: 360, 90, or 0 for a marker that every turn leaves alike.
    MarkerSheet(const QPainterPath& shape, const QBrush& fill, QPen pen, int period);

    /// The image for a rotation in degrees counter-clockwise, to the nearest degree (any value; NaN and
    /// absurdly large angles count as 0).
    const MarkerSprite& Sprite(double counter_clockwise_degrees);
    /// Draws the marker with its anchor at (x, y) in the painter's coordinates: one image blit. Drawing many
    /// markers is faster through a MarkerCanvas.
    void Draw(QPainter& painter, double x, double y, double counter_clockwise_degrees);
    /// How far from the anchor the marker can reach, in pixels, at any rotation.
    double Reach() const noexcept { return reach_; }
    /// Bytes of the images drawn so far.
    size_t Bytes() const noexcept { return bytes_; }

    /// The pixel grid point nearest to a coordinate: where a marker's anchor goes. Far-off coordinates (and NaN)
    /// are held a billion pixels out, which draws nothing.
    static int AnchorPixel(double value) noexcept {
        value += 0.5;
        if (!(value > -1e9 && value < 1e9)) {
            return value > 0 ? 1000000000 : -1000000000;
        }
        const int truncated = static_cast<int>(value);
        return truncated - (value < truncated ? 1 : 0);
    }

private:
    int BucketOf(double counter_clockwise_degrees) const noexcept;
    MarkerSprite Render(int degrees) const;
    static MarkerSprite Trimmed(const QImage& image, QPoint offset);

    QPainterPath shape_;
    QBrush fill_;
    QPen pen_;
    int period_;
    double reach_ = 0.0;
    size_t bytes_ = 0;
    std::array<std::optional<MarkerSprite>, kRotationBuckets> sprites_;
};

/// A cache of marker images keyed by everything that changes their look: kind, colours, font, character,
/// pixel size. Drawing a layer asks it once per symbol, then blits an image per feature, which is far cheaper
/// than drawing a glyph or a path per feature. The cache holds no font objects, only images and paths, so a
/// cache of one thread may outlive the application object.
class MarkerImages {
public:
    /// The sheet of a marker symbol at a display resolution; null when the symbol draws nothing (a null
    /// colour, no size). The sheet stays valid while the caller holds it, even if the cache is cleared.
    std::shared_ptr<MarkerSheet> Sheet(const IMarkerSymbol& symbol,
                                       double pixels_per_point = ViewTransform::PointsToPixels(1.0));
    /// Bytes of all images drawn so far; the cache starts afresh when a new sheet would take it past a limit.
    size_t Bytes() const;
    size_t SheetCount() const noexcept { return sheets_.size(); }
    void Clear();

    /// The glyph of a character of an installed font, one unit high and centred on (0, 0); nothing when the
    /// font is not installed, has no glyph for the character, or no application object can look fonts up.
    std::optional<QPainterPath> GlyphPath(const std::string& font_name, int32_t character_index);
    /// The built-in arrow that stands in for a missing glyph: one unit high, centred on (0, 0), pointing up.
    static QPainterPath ArrowPath();

    /// The cache of the calling thread: drawing on several threads never shares one.
    static MarkerImages& ForThisThread();

private:
    // kind (simple marker style, or -1 for a character), colour, outline colour, outline width, font,
    // character, size; sizes in 1/16 pixel.
    using Key = std::tuple<int, int32_t, int32_t, int64_t, std::string, int32_t, int64_t>;
    std::map<Key, std::shared_ptr<MarkerSheet>> sheets_;
    std::map<std::pair<std::string, int32_t>, std::optional<QPainterPath>> glyphs_;
};

} // namespace chronova::gis
