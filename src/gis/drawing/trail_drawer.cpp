#include "gis/drawing/trail_drawer.h"

#include <QLineF>
#include <QPen>
#include <optional>

#include "gis/drawing/qt_symbols.h"
#include "gis/symbology/renderers.h"

namespace chronova::gis {

namespace {

constexpr double kTrailWidthPixels = 2.0;

// The pixel position of a row's first coordinate; nothing for an empty shape or a row outside the shapes.
std::optional<QPointF> PointOf(const GeometryColumn& shapes, const ViewTransform& transform, uint32_t row) {
    if (row >= shapes.FeatureCount()) {
        return std::nullopt;
    }
    const uint32_t part = shapes.FeatureParts[row];
    if (part == shapes.FeatureParts[row + 1]) {
        return std::nullopt;
    }
    const uint32_t at = shapes.PartOffsets[part];
    return QPointF(transform.ToPixelX(shapes.X[at]), transform.ToPixelY(shapes.Y[at]));
}

} // namespace

void DrawTrails(QPainter& painter, const ViewTransform& transform, const GeometryColumn& shapes,
                const std::vector<FeatureTrail>& trails, const QColor& color) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    QPen pen(color, kTrailWidthPixels, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    const QRectF image(-kTrailWidthPixels, -kTrailWidthPixels, transform.Width() + 2 * kTrailWidthPixels,
                       transform.Height() + 2 * kTrailWidthPixels);
    for (const FeatureTrail& trail : trails) {
        std::optional<QPointF> previous;
        for (size_t i = 0; i < trail.rows.size(); ++i) {
            const std::optional<QPointF> point = PointOf(shapes, transform, trail.rows[i]);
            if (point && previous && (image.contains(*point) || image.contains(*previous))) {
                QColor faded = color;
                faded.setAlphaF(static_cast<float>(color.alphaF()) *
                                (i < trail.opacity.size() ? trail.opacity[i] : 1.0F));
                pen.setColor(faded);
                painter.setPen(pen);
                painter.drawLine(QLineF(*previous, *point));
            }
            if (point) {
                previous = point;
            }
        }
    }
    painter.restore();
}

QColor TrailColor(const FeatureLayer& layer) {
    const auto* simple = dynamic_cast<const SimpleRenderer*>(layer.Renderer().get());
    const ISymbol* symbol = simple != nullptr ? simple->Symbol.get() : nullptr;
    if (const auto* marker = dynamic_cast<const IMarkerSymbol*>(symbol)) {
        return ToQColor(marker->MarkerColor);
    }
    if (const auto* line = dynamic_cast<const SimpleLineSymbol*>(symbol)) {
        return ToQColor(line->LineColor);
    }
    if (const auto* fill = dynamic_cast<const SimpleFillSymbol*>(symbol)) {
        return ToQColor(fill->FillColor);
    }
    return QColor(128, 128, 128);
}

} // namespace chronova::gis
