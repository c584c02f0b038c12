#include "apps/chronova/timeline_strip.h"

#include <QGuiApplication>
#include <QPainter>
#include <algorithm>

#include "gis/drawing/control_images.h"
#include "gis/drawing/image_canvas.h"
#include "records/process_state.h"
#include "records/time_codes.h"
#include "slider/frm_slider.h"
#include "slider/mod_slider_select.h"

namespace chronova::cli {

namespace {

using platform::ui::kTwipsPerPixel;

constexpr int32_t kLabelPixels = 11;
constexpr int32_t kLabelColor = 0x000000;

platform::ui::TextStyle LabelStyle(platform::ui::TextAlign align) {
    platform::ui::TextStyle style;
    style.font.name = QGuiApplication::font().family().toStdString();
    style.font.pixel_height = kLabelPixels;
    style.color = kLabelColor;
    style.align = align;
    return style;
}

} // namespace

TimelineStrip::TimelineStrip(frmSlider& form, int32_t width)
    : form_(form), width_(std::max(width, 1)), slider_height_(form.Slider1.Height() / kTwipsPerPixel),
      band_height_(form.picDayNightBands.Height() / kTwipsPerPixel),
      height_(kSliderTop + slider_height_ + band_height_ + kMargin) {
    // The band lies exactly under the slider, with its left and width, as the window lays them out.
    form_.Slider1.Move(0, form_.Slider1.Top(), width_ * kTwipsPerPixel, form_.Slider1.Height());
    form_.picDayNightBands.Move(0, form_.picDayNightBands.Top(), width_ * kTwipsPerPixel,
                                form_.picDayNightBands.Height());
    if (g_iDisplayType != kDisplayUniquePoints) {
        form_.DrawDayNight();
    } else {
        form_.picDayNightBands.Cls();
    }
    // The span's strip follows the ticks of the new width.
    modSliderSelect::RequestRepaint();
}

QImage TimelineStrip::Draw() const {
    QImage strip(width_, height_, QImage::Format_RGB32);
    strip.fill(gis::ImageCanvas::ToQColor(platform::ui::kButtonFaceColor));
    {
        gis::ImageCanvas canvas(strip);
        canvas.Text(kMargin, kMargin, form_.lblTime[0].Caption(), LabelStyle(platform::ui::TextAlign::Left));
        canvas.Text(width_ - kMargin, kMargin, form_.lblTime[1].Caption(), LabelStyle(platform::ui::TextAlign::Right));
    }
    QPainter painter(&strip);
    const QImage slider = gis::RenderSlider(form_.Slider1);
    if (!slider.isNull()) {
        painter.drawImage(0, kSliderTop, slider);
    }
    const QImage band = gis::RenderPicture(form_.picDayNightBands);
    if (!band.isNull()) {
        painter.drawImage(0, kSliderTop + slider_height_, band);
    }
    return strip;
}

} // namespace chronova::cli
