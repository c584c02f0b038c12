#pragma once

#include <QColor>
#include <QPainter>
#include <vector>

#include "gis/data/geometry_column.h"
#include "gis/drawing/view_transform.h"
#include "gis/layers/feature_layer.h"

namespace chronova::gis {

/// Draws trails as lines through the first coordinate of each of their rows' shapes, segment by segment in
/// the colour at each segment's opacity, so a trail fades towards its old end.
void DrawTrails(QPainter& painter, const ViewTransform& transform, const GeometryColumn& shapes,
                const std::vector<FeatureTrail>& trails, const QColor& color);

/// The colour a layer's trails take: the colour of its simple renderer's symbol, else a mid grey.
QColor TrailColor(const FeatureLayer& layer);

} // namespace chronova::gis
