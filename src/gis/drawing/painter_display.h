#pragma once

#include <QPainter>
#include <cstddef>

#include "gis/drawing/view_transform.h"
#include "gis/layers/drawable_layer.h"

namespace chronova::gis {

/// The display custom layers draw on, over a QPainter: map coordinates go through the view's transform, sizes
/// in points become pixels, markers come from the shared marker image cache.
class PainterDisplay final : public IDisplay {
public:
    PainterDisplay(QPainter& painter, const ViewTransform& transform) : painter_(painter), transform_(transform) {}

    void DrawMarker(double x, double y, const IMarkerSymbol& symbol, double extra_angle = 0.0) override;
    void DrawPolyline(const double* x, const double* y, size_t count, const SimpleLineSymbol& symbol) override;
    void DrawPolygon(const double* x, const double* y, size_t count, const SimpleFillSymbol& symbol) override;
    Envelope VisibleExtent() const override { return transform_.VisibleExtent(); }

private:
    QPainter& painter_;
    const ViewTransform& transform_;
};

} // namespace chronova::gis
