// Playback glyphs drawn with QPainter, so the tool bar needs no image files and stays sharp at any size.
#include "qtui/playback_icons.h"

#include <QPainter>
#include <QPixmap>
#include <QPolygonF>
#include <QString>
#include <functional>

namespace chronova::qtui {
namespace {

// Glyphs are drawn in a 16 x 16 design grid and scaled to each pixmap size.
constexpr qreal kGrid = 16;

/// A triangle pointing right (or left) with its base at x and its tip at x + width (or x - width).
QPolygonF Triangle(qreal x, qreal width, bool right) {
    const qreal tip = right ? x + width : x - width;
    return QPolygonF({QPointF(x, 3), QPointF(tip, 8), QPointF(x, 13)});
}

using Glyph = std::function<void(QPainter&)>;

Glyph GlyphFor(const QString& name) {
    if (name == QLatin1String("play")) {
        return [](QPainter& p) { p.drawPolygon(Triangle(4, 9, true)); };
    }
    if (name == QLatin1String("playback")) {
        return [](QPainter& p) { p.drawPolygon(Triangle(12, 9, false)); };
    }
    if (name == QLatin1String("pause")) {
        return [](QPainter& p) {
            p.drawRect(QRectF(4, 3, 3, 10));
            p.drawRect(QRectF(9, 3, 3, 10));
        };
    }
    if (name == QLatin1String("stop")) {
        return [](QPainter& p) { p.drawRect(QRectF(4, 4, 8, 8)); };
    }
    if (name == QLatin1String("step")) {
        return [](QPainter& p) {
            p.drawPolygon(Triangle(4, 7, true));
            p.drawRect(QRectF(11, 3, 2, 10));
        };
    }
    if (name == QLatin1String("stepback")) {
        return [](QPainter& p) {
            p.drawRect(QRectF(3, 3, 2, 10));
            p.drawPolygon(Triangle(12, 7, false));
        };
    }
    if (name == QLatin1String("rewind") || name == QLatin1String("first")) {
        return [](QPainter& p) {
            p.drawRect(QRectF(2, 3, 2, 10));
            p.drawPolygon(Triangle(9, 5, false));
            p.drawPolygon(Triangle(14, 5, false));
        };
    }
    if (name == QLatin1String("forward") || name == QLatin1String("last")) {
        return [](QPainter& p) {
            p.drawPolygon(Triangle(2, 5, true));
            p.drawPolygon(Triangle(7, 5, true));
            p.drawRect(QRectF(12, 3, 2, 10));
        };
    }
    return {};
}

QPixmap Draw(const Glyph& glyph, int size, const QColor& color) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / kGrid, size / kGrid);
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    glyph(painter);
    return pixmap;
}

} // namespace

QIcon PlaybackIcon(std::string_view key) {
    QString name = QString::fromUtf8(key.data(), static_cast<qsizetype>(key.size())).toLower();
    if (name.startsWith(QLatin1String("id_"))) {
        name.remove(0, 3);
    }
    const Glyph glyph = GlyphFor(name);
    if (!glyph) {
        return {};
    }
    QIcon icon;
    for (const int size : {16, 24, 32, 48}) {
        icon.addPixmap(Draw(glyph, size, QColor(0x30, 0x30, 0x30)), QIcon::Normal);
        icon.addPixmap(Draw(glyph, size, QColor(0xA0, 0xA0, 0xA0)), QIcon::Disabled);
        // Pressed (checked) tools keep the dark glyph; the button's frame shows the state.
    }
    return icon;
}

} // namespace chronova::qtui
