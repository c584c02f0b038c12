#pragma once

#include "platform/ui/canvas.h"
#include "platform/ui/picture_box.h"

namespace chronova::platform::ui {

/// Replays a picture box's record on a canvas that stands for the box's client area: the user coordinates of
/// Scale are spread over the canvas's size, pens keep their width in pixels (centred on the line or the box's
/// edges), and each operation combines with the pixels by the draw mode in force when it was recorded. An
/// operation whose coordinates cannot be mapped (a scale of zero width or height, coordinates that are not
/// finite) is left out.
void PaintPicture(const PictureBox& box, ICanvas& canvas);

/// Pixels per point of a font size on the 96-dpi screen the forms are laid out for.
inline constexpr double kPixelsPerPoint = 96.0 / 72.0;

} // namespace chronova::platform::ui
