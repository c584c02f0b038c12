#pragma once

#include <QImage>

#include "platform/ui/picture_box.h"
#include "platform/ui/slider.h"

namespace chronova::gis {

/// What a picture box shows, at its size in pixels: its back colour, then its record replayed. A null image while
/// the box has no width or height.
QImage RenderPicture(const platform::ui::PictureBox& box);

/// The slider as it draws itself at its size in pixels, with whatever the picture box it sits in draws during its
/// custom-draw notifications. A null image while the slider has no width or height.
QImage RenderSlider(const platform::ui::Slider& slider);

} // namespace chronova::gis
