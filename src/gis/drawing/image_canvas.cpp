#include "gis/drawing/image_canvas.h"

#include <QFont>
#include <QFontMetrics>
#include <QPen>
#include <QRect>
#include <QString>
#include <algorithm>

namespace chronova::gis {

namespace {

namespace modes = platform::ui::draw_mode;

QRect ToQRect(const platform::ui::PixelRect& rect) {
    return {rect.left, rect.top, rect.Width(), rect.Height()};
}

} // namespace

ImageCanvas::ImageCanvas(QImage& image) : width_(image.width()), height_(image.height()), painter_(&image) {
    painter_.setRenderHint(QPainter::Antialiasing, false);
    painter_.setRenderHint(QPainter::TextAntialiasing, false);
}

QColor ImageCanvas::ToQColor(int32_t color) {
    return {color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF};
}

bool ImageCanvas::UseMode(int32_t mode, int32_t color, QColor& draw_color) {
    draw_color = ToQColor(color);
    QPainter::CompositionMode composition = QPainter::CompositionMode_Source;
    switch (mode) {
    case modes::kBlackness:
        draw_color = Qt::black;
        break;
    case modes::kNotMergePen:
        composition = QPainter::RasterOp_NotSourceAndNotDestination;
        break;
    case modes::kMaskNotPen:
        composition = QPainter::RasterOp_NotSourceAndDestination;
        break;
    case modes::kNotCopyPen:
        composition = QPainter::RasterOp_NotSource;
        break;
    case modes::kMaskPenNot:
        composition = QPainter::RasterOp_SourceAndNotDestination;
        break;
    case modes::kInvert:
        composition = QPainter::RasterOp_NotDestination;
        break;
    case modes::kXorPen:
        composition = QPainter::RasterOp_SourceXorDestination;
        break;
    case modes::kNotMaskPen:
        composition = QPainter::RasterOp_NotSourceOrNotDestination;
        break;
    case modes::kMaskPen:
        composition = QPainter::RasterOp_SourceAndDestination;
        break;
    case modes::kNotXorPen:
        composition = QPainter::RasterOp_NotSourceXorDestination;
        break;
    case modes::kMergeNotPen:
        composition = QPainter::RasterOp_NotSourceOrDestination;
        break;
    case modes::kMergePenNot:
        composition = QPainter::RasterOp_SourceOrNotDestination;
        break;
    case modes::kMergePen:
        composition = QPainter::RasterOp_SourceOrDestination;
        break;
    case modes::kWhiteness:
        draw_color = Qt::white;
        break;
    case modes::kCopyPen:
        break;
    default: // kNop, and anything a picture box would not have accepted
        return false;
    }
    painter_.setCompositionMode(composition);
    return true;
}

void ImageCanvas::FillRect(const platform::ui::PixelRect& rect, int32_t color, int32_t mode) {
    QColor draw_color;
    if (rect.Empty() || !UseMode(mode, color, draw_color)) {
        return;
    }
    painter_.fillRect(ToQRect(rect), draw_color);
}

void ImageCanvas::FrameRect(const platform::ui::PixelRect& rect, int32_t color, int32_t pen_width, int32_t mode) {
    const int32_t ring = std::max(pen_width, 1);
    if (2 * ring >= rect.Width() || 2 * ring >= rect.Height()) {
        FillRect(rect, color, mode);
        return;
    }
    // Four bands that do not overlap, so that modes which are not idempotent (xor) keep the corners.
    FillRect({rect.left, rect.top, rect.right, rect.top + ring}, color, mode);
    FillRect({rect.left, rect.bottom - ring, rect.right, rect.bottom}, color, mode);
    FillRect({rect.left, rect.top + ring, rect.left + ring, rect.bottom - ring}, color, mode);
    FillRect({rect.right - ring, rect.top + ring, rect.right, rect.bottom - ring}, color, mode);
}

void ImageCanvas::Line(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t color, int32_t pen_width, int32_t mode) {
    QColor draw_color;
    if (!UseMode(mode, color, draw_color)) {
        return;
    }
    painter_.setPen(QPen(draw_color, std::max(pen_width, 1), Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    painter_.drawLine(x1, y1, x2, y2);
}

void ImageCanvas::Text(int32_t x, int32_t y, std::string_view text, const platform::ui::TextStyle& style) {
    if (text.empty()) {
        return;
    }
    QFont font(QString::fromStdString(style.font.name));
    font.setPixelSize(std::max(style.font.pixel_height, 1));
    font.setWeight(static_cast<QFont::Weight>(std::clamp(style.font.weight, 100, 900)));
    font.setStyleStrategy(QFont::NoAntialias);
    const QString label = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    const QFontMetrics metrics(font);
    const int width = metrics.horizontalAdvance(label);
    int left = x;
    if (style.align == platform::ui::TextAlign::Right) {
        left = x - width;
    } else if (style.align == platform::ui::TextAlign::Center) {
        left = x - width / 2;
    }
    const QRect box(left, y, width, metrics.height());
    painter_.setCompositionMode(QPainter::CompositionMode_SourceOver);
    if (style.background) {
        painter_.fillRect(box, ToQColor(*style.background));
    }
    painter_.setFont(font);
    painter_.setPen(ToQColor(style.color));
    painter_.drawText(box, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, label);
}

} // namespace chronova::gis
