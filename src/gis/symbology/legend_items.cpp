#include "gis/symbology/legend_items.h"

#include <cmath>
#include <cstdio>

namespace chronova::gis {

std::string LegendNumber(double value, int digits) {
    if (!std::isfinite(value)) {
        return {};
    }
    char text[64];
    std::snprintf(text, sizeof text, "%.*g", digits, value == 0.0 ? 0.0 : value);
    return text;
}

std::vector<LegendItem> LegendItems(const IFeatureRenderer& renderer) {
    std::vector<LegendItem> items;
    if (const auto* simple = dynamic_cast<const SimpleRenderer*>(&renderer)) {
        if (simple->Symbol) {
            items.push_back({simple->Label, simple->Symbol});
        }
        return items;
    }
    if (const auto* classes = dynamic_cast<const ClassBreaksRenderer*>(&renderer)) {
        for (int32_t i = 0; i < classes->BreakCount(); ++i) {
            std::shared_ptr<ISymbol> symbol = classes->Symbol(i);
            if (!symbol) {
                continue;
            }
            std::string label = classes->Label(i);
            if (label.empty()) {
                const double low = i == 0 ? classes->MinimumBreak : classes->Break(i - 1);
                label = LegendNumber(low) + " - " + LegendNumber(classes->Break(i));
            }
            items.push_back({std::move(label), std::move(symbol)});
        }
    }
    return items;
}

std::optional<ColorScale> ColorScaleOf(const IRasterRenderer& renderer, double low, double high) {
    const auto* ramp = dynamic_cast<const RasterStretchColorRampRenderer*>(&renderer);
    if (ramp == nullptr) {
        return std::nullopt;
    }
    ColorScale scale;
    scale.Stops = {{0.0, ramp->FromColor}, {1.0, ramp->ToColor}};
    scale.Low = low;
    scale.High = high;
    scale.LabelLow = ramp->LabelLow.empty() ? LegendNumber(low) : ramp->LabelLow;
    scale.LabelHigh = ramp->LabelHigh.empty() ? LegendNumber(high) : ramp->LabelHigh;
    return scale;
}

} // namespace chronova::gis
