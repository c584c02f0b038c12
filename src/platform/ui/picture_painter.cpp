#include "platform/ui/picture_painter.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace chronova::platform::ui {
namespace {

// Far beyond any canvas, yet safe to widen by a pen without overflowing.
constexpr double kFarOutside = 1.0e7;

// User coordinates to pixels of the canvas.
class Mapping {
public:
    explicit Mapping(const ICanvas& canvas) : width_(canvas.Width()), height_(canvas.Height()) {}

    void Scale(const DrawOperation& op) {
        left_ = op.x1;
        top_ = op.y1;
        scale_width_ = op.x2 - op.x1;
        scale_height_ = op.y2 - op.y1;
    }

    std::optional<int32_t> X(double x) const { return ToPixel((x - left_) * width_ / scale_width_); }
    std::optional<int32_t> Y(double y) const { return ToPixel((y - top_) * height_ / scale_height_); }

private:
    static std::optional<int32_t> ToPixel(double value) {
        if (!std::isfinite(value)) {
            return std::nullopt;
        }
        return static_cast<int32_t>(std::lround(std::clamp(value, -kFarOutside, kFarOutside)));
    }

    double width_;
    double height_;
    // An unscaled box spans one unit each way, as PictureBox reports before its first Scale.
    double left_ = 0;
    double top_ = 0;
    double scale_width_ = 1;
    double scale_height_ = 1;
};

// The pixels a pen of the given width covers around a pixel column or row: as many on each side, one more after
// it when the width is even.
PixelRect PenCover(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t pen_width) {
    const int32_t before = (pen_width - 1) / 2;
    const int32_t after = pen_width / 2;
    return {std::min(x1, x2) - before, std::min(y1, y2) - before, std::max(x1, x2) + after + 1,
            std::max(y1, y2) + after + 1};
}

TextStyle StyleOf(const DrawOperation& op) {
    TextStyle style;
    style.font.name = op.font_name;
    style.font.pixel_height = std::max(1, static_cast<int32_t>(std::lround(op.font_size * kPixelsPerPoint)));
    style.font.weight = op.font_bold ? 700 : 400;
    style.color = op.color;
    style.align = op.align;
    return style;
}

} // namespace

void PaintPicture(const PictureBox& box, ICanvas& canvas) {
    Mapping mapping(canvas);
    int32_t mode = draw_mode::kCopyPen;
    for (const DrawOperation& op : box.Operations()) {
        switch (op.kind) {
        case DrawOperation::Kind::Cls:
            canvas.FillRect({0, 0, canvas.Width(), canvas.Height()}, op.color, draw_mode::kCopyPen);
            break;
        case DrawOperation::Kind::Scale:
            mapping.Scale(op);
            break;
        case DrawOperation::Kind::DrawMode:
            mode = op.draw_mode;
            break;
        case DrawOperation::Kind::Box:
        case DrawOperation::Kind::Line: {
            const auto x1 = mapping.X(op.x1);
            const auto y1 = mapping.Y(op.y1);
            const auto x2 = mapping.X(op.x2);
            const auto y2 = mapping.Y(op.y2);
            if (!x1 || !y1 || !x2 || !y2) {
                break;
            }
            if (op.kind == DrawOperation::Kind::Line) {
                canvas.Line(*x1, *y1, *x2, *y2, op.color, op.pen_width, mode);
            } else if (op.filled) {
                canvas.FillRect(PenCover(*x1, *y1, *x2, *y2, op.pen_width), op.color, mode);
            } else {
                canvas.FrameRect(PenCover(*x1, *y1, *x2, *y2, op.pen_width), op.color, op.pen_width, mode);
            }
            break;
        }
        case DrawOperation::Kind::Text: {
            const auto x = mapping.X(op.x1);
            const auto y = mapping.Y(op.y1);
            if (x && y && !op.text.empty()) {
                canvas.Text(*x, *y, op.text, StyleOf(op));
            }
            break;
        }
        }
    }
}

} // namespace chronova::platform::ui
