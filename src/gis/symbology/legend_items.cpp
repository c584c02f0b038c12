#include "gis/symbology/legend_items.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

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
        return items;
    }
    if (const auto* unique = dynamic_cast<const UniqueValueRenderer*>(&renderer)) {
        for (int32_t i = 0; i < unique->ValueCount(); ++i) {
            if (std::shared_ptr<ISymbol> symbol = unique->Symbol(i)) {
                const std::string& label = unique->Label(i);
                items.push_back({label.empty() ? unique->Value(i) : label, std::move(symbol)});
            }
        }
        if (unique->DefaultSymbol) {
            items.push_back({unique->DefaultLabel, unique->DefaultSymbol});
        }
    }
    return items;
}

namespace {

// A renderer's label for an end of its scale: a label that is only a number (the classic host writes ".500") is
// written as legends write numbers; any other text is the user's and kept; none gives the value.
std::string ScaleLabel(const std::string& label, double value) {
    if (label.empty()) {
        return LegendNumber(value);
    }
    char* end = nullptr;
    const double number = std::strtod(label.c_str(), &end);
    if (end != label.c_str() && *end == '\0' && std::isfinite(number)) {
        return LegendNumber(number);
    }
    return label;
}

} // namespace

std::optional<ColorScale> ColorScaleOf(const IRasterRenderer& renderer, double low, double high) {
    const auto* ramp = dynamic_cast<const RasterStretchColorRampRenderer*>(&renderer);
    if (ramp == nullptr) {
        return std::nullopt;
    }
    ColorScale scale;
    for (const RampStop& stop : ramp->EffectiveStops()) {
        scale.Stops.push_back({stop.Position, stop.StopColor});
    }
    scale.Low = low;
    scale.High = high;
    scale.LabelLow = ScaleLabel(ramp->LabelLow, low);
    scale.LabelHigh = ScaleLabel(ramp->LabelHigh, high);
    return scale;
}

} // namespace chronova::gis
