#include "gis/drawing/view_transform.h"

#include <algorithm>

namespace chronova::gis {

ViewTransform::ViewTransform(const Envelope& extent, int width, int height) : width_(width), height_(height) {
    Envelope area = extent;
    if (area.IsEmpty()) {
        area = Envelope{0.0, 0.0, 1.0, 1.0};
    }
    // A point or a line has no area: give it one map unit so that the scale stays finite.
    const double map_width = std::max(area.XMax - area.XMin, 1e-9);
    const double map_height = std::max(area.YMax - area.YMin, 1e-9);
    scale_ = std::min(std::max(width, 1) / map_width, std::max(height, 1) / map_height);
    const double shown_width = std::max(width, 1) / scale_;
    const double shown_height = std::max(height, 1) / scale_;
    const double centre_x = (area.XMin + area.XMax) / 2.0;
    const double centre_y = (area.YMin + area.YMax) / 2.0;
    origin_x_ = centre_x - shown_width / 2.0;
    origin_y_ = centre_y + shown_height / 2.0;
    visible_ = Envelope{origin_x_, origin_y_ - shown_height, origin_x_ + shown_width, origin_y_};
}

} // namespace chronova::gis
