#include <cmath>
#include <memory>
#include <string>

#include "gis/layers/feature_layer.h"
#include "gis/symbology/renderers.h"
#include "host/error_handling.h"
#include "platform/conversions.h"
#include "timeapply/arc_objects.h"

namespace chronova::ArcObjects {

namespace {

constexpr std::string_view kModule = "ArcObjects";
/// The name of the host's property page for graduated symbols.
constexpr std::string_view kGraduatedSymbolsPage = "Graduated Symbols";

// A class bound as a legend shows it: rounded to four decimals, in the default number text.
std::string BoundText(double value) {
    return platform::CStr(platform::Variant(std::nearbyint(value * 10000.0) / 10000.0));
}

// The colour a symbol draws in; default black for a symbol without one.
gis::Color ColourOf(const gis::ISymbol* symbol) {
    if (auto marker = dynamic_cast<const gis::IMarkerSymbol*>(symbol)) {
        return marker->MarkerColor;
    }
    if (auto line = dynamic_cast<const gis::SimpleLineSymbol*>(symbol)) {
        return line->LineColor;
    }
    if (auto fill = dynamic_cast<const gis::SimpleFillSymbol*>(symbol)) {
        return fill->FillColor;
    }
    return gis::Color{};
}

} // namespace

void ApplyGraduatedCharacterSymbolRenderer(const std::shared_ptr<gis::FeatureLayer>& pFeatureLayer,
                                           const std::string& sFontName, int16_t iCharacterIndex,
                                           const std::string& sSpeedField, const std::string& sDirectionField,
                                           int32_t nClasses, double dMinValue, double dMaxValue, double dMinSize,
                                           double dMaxSize) {
    ErrorHandling::Trap("ApplyGraduatedCharacterSymbolRenderer", kModule, ErrorHandling::TrapKind::Inner, [&] {
        if (!pFeatureLayer || nClasses < 1 || !pFeatureLayer->FeatureClass() ||
            pFeatureLayer->FeatureClass()->ShapeType() != gis::GeometryType::Point) {
            return;
        }
        auto simple = std::dynamic_pointer_cast<gis::SimpleRenderer>(pFeatureLayer->Renderer());
        if (!simple) {
            return;
        }
        auto base = std::make_shared<gis::CharacterMarkerSymbol>();
        base->FontName = sFontName;
        base->CharacterIndex = static_cast<uint16_t>(iCharacterIndex);
        base->MarkerColor = dynamic_cast<const gis::IMarkerSymbol*>(simple->Symbol.get()) != nullptr
                                ? ColourOf(simple->Symbol.get())
                                : gis::Color{};

        auto renderer = std::make_shared<gis::ClassBreaksRenderer>();
        renderer->Field = sSpeedField;
        if (!sDirectionField.empty()) {
            renderer->RotationField = sDirectionField;
            renderer->Rotation = gis::RotationType::Geographic;
        }
        renderer->LegendGraduated = true;

        const std::vector<double> breaks = gis::EqualIntervalBreaks(dMinValue, dMaxValue, nClasses);
        if (breaks.size() < 2) {
            return;
        }
        renderer->SortClassesAscending = true;
        renderer->ColorRampName = "Custom";
        renderer->ShowClassGaps = false;

        if (nClasses == 1) {
            platform::RaiseError(platform::error::kDivisionByZero,
                                 "One class leaves no size step between the smallest and the largest symbol.");
        }
        const double size_step = (dMaxSize - dMinSize) / (nClasses - 1);
        // An empty speed range classifies into fewer classes than asked; each class found gets its size.
        const auto classes = static_cast<int32_t>(breaks.size() - 1);
        renderer->BreakCount(classes);
        renderer->MinimumBreak = breaks[0];
        for (int32_t j = 0; j < classes; ++j) {
            const auto low = breaks[static_cast<size_t>(j)];
            const auto high = breaks[static_cast<size_t>(j) + 1];
            renderer->Break(j, high);
            renderer->Label(j, BoundText(low) + " - " + BoundText(high));
            auto symbol = std::dynamic_pointer_cast<gis::CharacterMarkerSymbol>(base->Clone());
            symbol->Size = dMinSize + j * size_step;
            renderer->Symbol(j, symbol);
            renderer->LowBreak(j, low);
        }
        renderer->PropertyPage = kGraduatedSymbolsPage;
        pFeatureLayer->Renderer(renderer);
    });
}

void ApplySimpleRenderer(const std::shared_ptr<gis::FeatureLayer>& pFeatureLayer) {
    ErrorHandling::Trap("ApplySimpleRenderer", kModule, ErrorHandling::TrapKind::Inner, [&] {
        if (!pFeatureLayer) {
            return;
        }
        const auto current = pFeatureLayer->Renderer();
        if (std::dynamic_pointer_cast<gis::SimpleRenderer>(current)) {
            return;
        }
        std::shared_ptr<gis::ISymbol> representative;
        if (auto breaks = std::dynamic_pointer_cast<gis::ClassBreaksRenderer>(current);
            breaks && breaks->BreakCount() > 0) {
            representative = breaks->Symbol(0);
        }
        std::shared_ptr<gis::ISymbol> symbol;
        if (std::dynamic_pointer_cast<gis::SimpleMarkerSymbol>(representative)) {
            symbol = representative;
        } else {
            auto marker = std::make_shared<gis::SimpleMarkerSymbol>();
            marker->MarkerColor = ColourOf(representative.get());
            symbol = marker;
        }
        auto renderer = std::make_shared<gis::SimpleRenderer>();
        renderer->Symbol = symbol;
        pFeatureLayer->Renderer(renderer);
    });
}

} // namespace chronova::ArcObjects
