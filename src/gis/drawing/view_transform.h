#pragma once

#include "gis/data/geometry_column.h"

namespace chronova::gis {

/// Maps map coordinates to the pixels of an image: the extent is fitted into the image keeping its aspect
/// ratio and centred; y grows upwards on the map and downwards in the image.
class ViewTransform {
public:
    ViewTransform() = default;
    ViewTransform(const Envelope& extent, int width, int height);

    double ToPixelX(double x) const noexcept { return (x - origin_x_) * scale_; }
    double ToPixelY(double y) const noexcept { return (origin_y_ - y) * scale_; }
    /// Pixels per map unit.
    double Scale() const noexcept { return scale_; }
    /// The map extent the whole image shows (wider or taller than the requested extent).
    const Envelope& VisibleExtent() const noexcept { return visible_; }
    int Width() const noexcept { return width_; }
    int Height() const noexcept { return height_; }
    /// Points (1/72 inch) to pixels at the display's 96 dots per inch.
    static constexpr double PointsToPixels(double points) noexcept { return points * 96.0 / 72.0; }

private:
    double origin_x_ = 0.0;
    double origin_y_ = 0.0;
    double scale_ = 1.0;
    Envelope visible_;
    int width_ = 0;
    int height_ = 0;
};

} // namespace chronova::gis
