#pragma once

#include <QPainter>

#include "gis/data/geometry_column.h"
#include "gis/drawing/view_transform.h"
#include "gis/layers/feature_layer.h"

namespace chronova::gis {

/// What drawing a layer's features left on an image, for drawing features appended later onto it.
struct FeatureDrawing {
    /// Whether features appended later may be drawn onto the image alone (DrawAppendedFeatures): for a layer
    /// that grows by appending (FeatureLayer::GrowsByAppending), drawn in the order it lets rows in; not when
    /// labels go over the features, nor for shapes of unknown type, which mix markers and lines.
    bool Appendable = false;
};

/// Draws the features a layer shows (FeatureLayer::VisibleFeatures) with the layer's renderer. `shapes` are
/// the feature class's shapes in the map's spatial reference (the caller projects them once), indexed like
/// the feature class's rows. Each feature goes over those before it: in row order, or for a layer that grows by
/// appending in the order it lets rows in (FeatureLayer::VisibleFeaturesInGrowthOrder).
FeatureDrawing DrawFeatureLayer(QPainter& painter, const ViewTransform& transform, const FeatureLayer& layer,
                                const GeometryColumn& shapes);

/// Draws the features of `rows` (FeatureLayer::RowsAppendedSince the image's state) onto an image of the layer
/// that DrawFeatureLayer drew (`drawing` tells what it left), with the same renderer, shapes and view, and that
/// earlier calls may have added to; the image then holds what DrawFeatureLayer would draw with these rows
/// visible as well, pixel for pixel. Returns false, drawing nothing, when the layer must be drawn whole.
bool DrawAppendedFeatures(QPainter& painter, const ViewTransform& transform, const FeatureLayer& layer,
                          const GeometryColumn& shapes, const RowIds& rows, const FeatureDrawing& drawing);

} // namespace chronova::gis
