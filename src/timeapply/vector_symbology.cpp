#include "gis/layers/feature_layer.h"
#include "host/error_handling.h"
#include "timeapply/arc_objects.h"

namespace chronova::ArcObjects {

std::vector<RendererRequest>& RendererRequests() {
    static std::vector<RendererRequest> requests;
    return requests;
}

void ApplyGraduatedCharacterSymbolRenderer(const std::shared_ptr<gis::FeatureLayer>& pFeatureLayer,
                                           const std::string& sFontName, int16_t iCharacterIndex,
                                           const std::string& sSpeedField, const std::string& sDirectionField,
                                           int32_t nClasses, double dMinValue, double dMaxValue, double dMinSize,
                                           double dMaxSize) {
    ErrorHandling::Trap("ApplyGraduatedCharacterSymbolRenderer", "ArcObjects", ErrorHandling::TrapKind::Inner, [&] {
        RendererRequests().push_back(RendererRequest{pFeatureLayer, true, sFontName, iCharacterIndex, sSpeedField,
                                                     sDirectionField, nClasses, dMinValue, dMaxValue, dMinSize,
                                                     dMaxSize});
    });
}

void ApplySimpleRenderer(const std::shared_ptr<gis::FeatureLayer>& pFeatureLayer) {
    ErrorHandling::Trap("ApplySimpleRenderer", "ArcObjects", ErrorHandling::TrapKind::Inner, [&] {
        RendererRequest request;
        request.Layer = pFeatureLayer;
        RendererRequests().push_back(std::move(request));
    });
}

} // namespace chronova::ArcObjects
