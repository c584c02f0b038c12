#include "gis/layout/piece_style.h"

#include <QGuiApplication>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace chronova::gis {

namespace {

// Text is this share of the frame's height (19 px at 768), never below what can still be read.
constexpr double kTextShare = 1.0 / 40.0;
constexpr int kSmallestText = 8;
constexpr double kTitleGrowth = 1.35;

} // namespace

PieceStyle PieceStyle::For(QSize frame) {
    PieceStyle style;
    style.TextPixels = std::max(kSmallestText, static_cast<int>(std::lround(frame.height() * kTextShare)));
    style.TitlePixels = static_cast<int>(std::lround(style.TextPixels * kTitleGrowth));
    style.Padding = std::max(2, static_cast<int>(std::lround(style.TextPixels * 0.4)));
    style.Inset = std::max(2, static_cast<int>(std::lround(style.TextPixels * 0.5)));
    return style;
}

QFont PieceStyle::Font(int pixels, bool bold) const {
    QFont font = QGuiApplication::font();
    font.setPixelSize(std::max(1, pixels));
    font.setBold(bold);
    return font;
}

QImage PanelImage(QSize inside, const PieceStyle& style) {
    const QSize whole(std::max(0, inside.width()) + 2 * style.Padding,
                      std::max(0, inside.height()) + 2 * style.Padding);
    QImage panel(whole, QImage::Format_ARGB32_Premultiplied);
    panel.fill(Qt::transparent);
    QPainter painter(&panel);
    painter.setPen(QPen(style.Border, 1.0));
    painter.setBrush(style.Panel);
    // A one-pixel pen on the half pixel draws a crisp line along the image's edge.
    painter.drawRect(QRectF(0.5, 0.5, whole.width() - 1.0, whole.height() - 1.0));
    return panel;
}

} // namespace chronova::gis
