#pragma once

#include <QImage>
#include <QPainter>
#include <cstdint>
#include <string_view>

#include "platform/ui/canvas.h"

namespace chronova::gis {

/// The canvas of the headless controls over a QImage, drawn with a QPainter: the classic raster modes become
/// Qt's raster operations on the pixels, shapes are drawn without antialiasing so that a pixel is either drawn or
/// not, and text is drawn without antialiasing as forms draw it. The image must be in a 32-bit RGB format and
/// outlive the canvas; a QGuiApplication must exist for text.
class ImageCanvas final : public platform::ui::ICanvas {
public:
    explicit ImageCanvas(QImage& image);
    ImageCanvas(const ImageCanvas&) = delete;
    ImageCanvas& operator=(const ImageCanvas&) = delete;

    int32_t Width() const override { return width_; }
    int32_t Height() const override { return height_; }
    void FillRect(const platform::ui::PixelRect& rect, int32_t color, int32_t mode) override;
    void FrameRect(const platform::ui::PixelRect& rect, int32_t color, int32_t pen_width, int32_t mode) override;
    void Line(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t color, int32_t pen_width, int32_t mode) override;
    void Text(int32_t x, int32_t y, std::string_view text, const platform::ui::TextStyle& style) override;

    /// The Qt colour of a 0x00BBGGRR colour.
    static QColor ToQColor(int32_t color);

private:
    /// Sets the painter's composition for a draw mode and returns the colour to draw with; false for a mode that
    /// leaves the pixels as they are.
    bool UseMode(int32_t mode, int32_t color, QColor& draw_color);

    int32_t width_;
    int32_t height_;
    QPainter painter_;
};

} // namespace chronova::gis
