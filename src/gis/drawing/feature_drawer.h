#pragma once

#include <QPainter>

#include "gis/data/geometry_column.h"
#include "gis/drawing/view_transform.h"
#include "gis/layers/feature_layer.h"

namespace chronova::gis {

/// Draws the features a layer shows (FeatureLayer::VisibleFeatures) with the layer's renderer. `shapes` are
/// the feature class's shapes in the map's spatial reference (the caller projects them once), indexed like
/// the feature class's rows.
void DrawFeatureLayer(QPainter& painter, const ViewTransform& transform, const FeatureLayer& layer,
                      const GeometryColumn& shapes);

} // namespace chronova::gis
