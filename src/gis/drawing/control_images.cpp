#include "gis/drawing/control_images.h"

#include "gis/drawing/image_canvas.h"
#include "platform/ui/picture_painter.h"

namespace chronova::gis {

namespace {

QImage BlankImage(const platform::ui::PixelRect& client, int32_t color) {
    if (client.Empty()) {
        return {};
    }
    QImage image(client.Width(), client.Height(), QImage::Format_RGB32);
    image.fill(ImageCanvas::ToQColor(color));
    return image;
}

} // namespace

QImage RenderPicture(const platform::ui::PictureBox& box) {
    using platform::ui::kTwipsPerPixel;
    QImage image = BlankImage({0, 0, box.Width() / kTwipsPerPixel, box.Height() / kTwipsPerPixel}, box.BackColor());
    if (!image.isNull()) {
        ImageCanvas canvas(image);
        platform::ui::PaintPicture(box, canvas);
    }
    return image;
}

QImage RenderSlider(const platform::ui::Slider& slider) {
    QImage image = BlankImage(slider.ClientRect(), platform::ui::kButtonFaceColor);
    if (!image.isNull()) {
        ImageCanvas canvas(image);
        slider.Paint(canvas);
    }
    return image;
}

} // namespace chronova::gis
