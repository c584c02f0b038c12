#include "gis/drawing/qt_symbols.h"

#include <algorithm>

#include "gis/drawing/view_transform.h"

namespace chronova::gis {

QColor ToQColor(const Color& color) {
    return QColor(color.Red, color.Green, color.Blue);
}

QPen LinePen(const SimpleLineSymbol* symbol) {
    if (symbol == nullptr || symbol->Style == SimpleLineStyle::Null || symbol->LineColor.NullColor ||
        !(symbol->Width >= 0.0)) {
        return QPen(Qt::NoPen);
    }
    QPen pen(ToQColor(symbol->LineColor), std::max(1.0, ViewTransform::PointsToPixels(symbol->Width)));
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    if (symbol->Style == SimpleLineStyle::Dash) {
        pen.setStyle(Qt::DashLine);
    } else if (symbol->Style == SimpleLineStyle::Dot) {
        pen.setStyle(Qt::DotLine);
        pen.setCapStyle(Qt::FlatCap);
    }
    return pen;
}

} // namespace chronova::gis
