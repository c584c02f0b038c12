#pragma once

#include <QPainter>
#include <cstdint>
#include <vector>

#include "gis/drawing/marker_images.h"

namespace chronova::gis {

/// Where the markers of one drawing go. Markers are gathered and drawn in bands of image rows: a frame of
/// scattered markers then touches each part of the image while it is in the processor's cache, instead of
/// missing the cache on nearly every row of every marker. Within a band markers keep the order they came in; a
/// marker reaching down into the next band goes under the markers of that band. A canvas that keeps the order
/// instead blends, band by band, the rows of every marker that reach into the band, so each pixel sees the
/// markers in the order they came: markers queued after those of an earlier such canvas on the same image then
/// come out as if one canvas had drawn them all. When the painter draws on a premultiplied or opaque 32-bit
/// image with no clipping, plain source-over blending, full opacity and no transformation but a shift, a marker
/// is blended straight into the image's pixels, row span by row span; otherwise each marker is one
/// QPainter::drawImage. Both give the same pixels. Set the painter up before making the canvas and change none
/// of that until the canvas is flushed.
class MarkerCanvas {
public:
    explicit MarkerCanvas(QPainter& painter, bool keep_order = false);
    MarkerCanvas(const MarkerCanvas&) = delete;
    MarkerCanvas& operator=(const MarkerCanvas&) = delete;
    ~MarkerCanvas();

    /// Queues a sprite with its anchor at (x, y) in the painter's coordinates. The sprite must stay alive
    /// until the next Flush (hold its MarkerSheet).
    void Add(double x, double y, const MarkerSprite& sprite);
    /// Draws the queued sprites; call before the painter draws anything else that should cover them.
    void Flush();
    /// Whether markers are blended into the image's pixels directly.
    bool Direct() const noexcept { return bits_ != nullptr; }

    /// One queued marker: its sprite and where the sprite's top-left pixel goes.
    struct Stamp {
        int32_t Left;
        int32_t Top;
        const MarkerSprite* Sprite;
    };

private:
    void Draw(const Stamp& stamp);
    void DrawSortedByBand();
    void BlendInBands();
    // Blends the sprite's spans into the image, its top-left pixel at (left, top), cut to the image's columns
    // and to its rows [first_image_row, end_image_row).
    void BlendInto(int left, int top, const MarkerSprite& sprite, int first_image_row, int end_image_row);

    QPainter& painter_;
    bool keep_order_ = false;
    uint8_t* bits_ = nullptr;
    int64_t bytes_per_line_ = 0;
    int width_ = 0;
    int height_ = 0;
    double shift_x_ = 0.0;
    double shift_y_ = 0.0;
    std::vector<Stamp> stamps_;
    std::vector<Stamp> sorted_;
    std::vector<uint32_t> band_starts_;
};

} // namespace chronova::gis
