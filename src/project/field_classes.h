#pragma once

#include <memory>

#include "gis/layers/feature_layer.h"
#include "gis/symbology/renderers.h"
#include "gis/symbology/symbols.h"
#include "project/project_file.h"

namespace chronova::project {

/// The renderer that colours a feature layer by a field: a unique-value renderer with one class per distinct
/// value of the layer's whole table (listed values first, in the file's order, then the others in ascending
/// order), or a class-breaks renderer of equal-interval, quantile or given breaks. Every class draws `base`
/// (the layer's symbol) in its own colour. Raises 5 when the layer has no such field (the message lists the
/// fields) or graduated classes are asked of a field that does not hold numbers.
std::shared_ptr<gis::IFeatureRenderer> FieldClassesRenderer(const gis::FeatureLayer& layer, const FieldClasses& classes,
                                                            const gis::ISymbol& base);

} // namespace chronova::project
