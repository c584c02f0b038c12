#pragma once

#include <QPainter>

#include "gis/data/geometry_column.h"
#include "gis/drawing/view_transform.h"
#include "gis/layers/feature_layer.h"

namespace chronova::gis {

/// Draws the labels of the features a layer shows, when the layer has label settings: the text of the label
/// field beside each point (to the upper right of its marker), on the middle of each line and inside each
/// polygon. A label that would overlap a label placed before it, or reach out of the image, tries its other
/// places (for points: upper left, lower right, lower left) and is left out when none is free. Labels go in the order
/// of the features, or by the priority field's values, largest first; at most the settings' cap per drawing. `shapes`
/// are the feature class's shapes in the map's spatial reference, indexed like its rows. Draw the layer's features
/// first: labels go on top.
void DrawFeatureLabels(QPainter& painter, const ViewTransform& transform, const FeatureLayer& layer,
                       const GeometryColumn& shapes);

} // namespace chronova::gis
