#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "gis/symbology/color.h"
#include "gis/symbology/renderers.h"
#include "gis/symbology/symbols.h"

namespace chronova::gis {

/// One entry of a map legend: the symbol a class of features is drawn with and the text that names the class.
struct LegendItem {
    std::string Label;
    std::shared_ptr<ISymbol> Symbol;
};

/// The classes a feature renderer draws, in the order a legend lists them: a simple renderer gives one item
/// (its label, empty when it has none), a class-breaks renderer one item per class (a class without a label is
/// named by its range, "10 - 20"), a unique-value renderer one item per listed value (named by its label, or the
/// value) and then its default symbol's item when it has one. Classes without a symbol draw nothing and are
/// left out.
std::vector<LegendItem> LegendItems(const IFeatureRenderer& renderer);

/// A continuous colour scale as a legend shows it: stops from the low value (position 0) to the high (1).
struct ColorScale {
    struct Stop {
        double Position = 0.0;
        Color StopColor;
    };
    std::vector<Stop> Stops;
    double Low = 0.0;
    double High = 0.0;
    std::string LabelLow;
    std::string LabelHigh;
};

/// The scale of a stretched raster renderer over the cell values it stretches between (low, high), with every
/// stop of a multi-stop ramp; none for a renderer that draws no continuous scale.
std::optional<ColorScale> ColorScaleOf(const IRasterRenderer& renderer, double low, double high);

/// A number as legends write it: at most `digits` significant digits, no trailing zeros ("12.5", "1000").
std::string LegendNumber(double value, int digits = 4);

} // namespace chronova::gis
