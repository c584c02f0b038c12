#include "apps/chronova/export/frame_overlay.h"

#include <QFont>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPainter>
#include <QString>
#include <algorithm>
#include <cmath>

namespace chronova::cli::exporting {

namespace {

// The text's pixel size is this fraction of the frame's height (21 px at 768), within readable bounds.
constexpr double kTextHeightShare = 1.0 / 36.0;
constexpr double kSmallestText = 9.0;
constexpr double kLargestText = 72.0;
// Black at this opacity darkens any map enough for white text.
constexpr int kBoxAlpha = 180;

bool Paintable(QImage::Format format) {
    return format != QImage::Format_Invalid && format != QImage::Format_Mono && format != QImage::Format_MonoLSB &&
           format != QImage::Format_Indexed8 && format != QImage::Format_Alpha8 &&
           format != QImage::Format_Grayscale8 && format != QImage::Format_Grayscale16;
}

} // namespace

void DrawTimeLabel(QImage& frame, const std::string& text) {
    if (frame.isNull() || text.empty()) {
        return;
    }
    if (!Paintable(frame.format())) {
        frame =
            frame.convertToFormat(frame.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    }
    const double text_size = std::clamp(frame.height() * kTextHeightShare, kSmallestText, kLargestText);
    const double padding = std::round(text_size * 0.35);
    const double margin = std::round(text_size * 0.5);

    QFont font = QGuiApplication::font();
    font.setPixelSize(static_cast<int>(std::lround(text_size)));
    const QFontMetricsF metrics(font);
    const double room = frame.width() - 2.0 * (margin + padding);
    if (room <= 0) {
        return;
    }
    const QString label = metrics.elidedText(QString::fromStdString(text), Qt::ElideRight, room);
    const double box_width = std::ceil(metrics.horizontalAdvance(label)) + 2.0 * padding;
    const double box_height = std::ceil(metrics.height()) + 2.0 * padding;
    const QRectF box(margin, frame.height() - margin - box_height, box_width, box_height);

    QPainter painter(&frame);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 0, 0, kBoxAlpha));
    painter.drawRoundedRect(box, padding * 0.6, padding * 0.6);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(box.adjusted(padding, padding, -padding, -padding), Qt::AlignLeft | Qt::AlignVCenter, label);
}

} // namespace chronova::cli::exporting
