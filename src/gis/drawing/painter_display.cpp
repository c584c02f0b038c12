#include "gis/drawing/painter_display.h"

#include <QPainterPath>
#include <QPen>
#include <QPolygonF>
#include <algorithm>
#include <cmath>

#include "gis/drawing/marker_images.h"
#include "gis/drawing/qt_symbols.h"

namespace chronova::gis {

namespace {

// Pixel positions of map coordinates; coordinates that are not finite are left out.
QPolygonF ToPixels(const ViewTransform& transform, const double* x, const double* y, size_t count) {
    QPolygonF points;
    points.reserve(static_cast<qsizetype>(count));
    for (size_t i = 0; i < count; ++i) {
        if (std::isfinite(x[i]) && std::isfinite(y[i])) {
            points.append(QPointF(transform.ToPixelX(x[i]), transform.ToPixelY(y[i])));
        }
    }
    return points;
}

} // namespace

void PainterDisplay::DrawMarker(double x, double y, const IMarkerSymbol& symbol, double extra_angle) {
    if (!std::isfinite(x) || !std::isfinite(y)) {
        return;
    }
    const auto sheet = MarkerImages::ForThisThread().Sheet(symbol);
    if (!sheet) {
        return;
    }
    const double px = transform_.ToPixelX(x);
    const double py = transform_.ToPixelY(y);
    const double reach = sheet->Reach();
    if (px + reach < 0 || py + reach < 0 || px - reach > transform_.Width() || py - reach > transform_.Height()) {
        return;
    }
    // The symbol's angle turns counter-clockwise; the extra angle is a direction, clockwise from north.
    const double turn = symbol.Angle - (std::isfinite(extra_angle) ? extra_angle : 0.0);
    sheet->Draw(painter_, px, py, turn);
}

void PainterDisplay::DrawPolyline(const double* x, const double* y, size_t count, const SimpleLineSymbol& symbol) {
    const QPen pen = LinePen(&symbol);
    const QPolygonF points = ToPixels(transform_, x, y, count);
    if (pen.style() == Qt::NoPen || points.size() < 2) {
        return;
    }
    painter_.save();
    painter_.setRenderHint(QPainter::Antialiasing, true);
    painter_.setPen(pen);
    painter_.setBrush(Qt::NoBrush);
    painter_.drawPolyline(points);
    painter_.restore();
}

void PainterDisplay::DrawPolygon(const double* x, const double* y, size_t count, const SimpleFillSymbol& symbol) {
    const QPolygonF points = ToPixels(transform_, x, y, count);
    const bool filled = symbol.Style != SimpleFillStyle::Null && !symbol.FillColor.NullColor;
    const QPen outline = LinePen(symbol.Outline.get());
    if (points.size() < 3 || (!filled && outline.style() == Qt::NoPen)) {
        return;
    }
    painter_.save();
    painter_.setRenderHint(QPainter::Antialiasing, true);
    painter_.setPen(outline);
    painter_.setBrush(filled ? QBrush(ToQColor(symbol.FillColor)) : QBrush(Qt::NoBrush));
    painter_.drawPolygon(points, Qt::OddEvenFill);
    painter_.restore();
}

} // namespace chronova::gis
