#include <cmath>
#include <cstdint>
#include <memory>

#include "datetime/mod_date_time.h"
#include "gis/layers/raster_layer.h"
#include "host/error_handling.h"
#include "platform/conversions.h"
#include "records/layer_data.h"
#include "timeapply/host_view.h"
#include "timeapply/mod_layers.h"

namespace chronova::modLayers {

namespace {
constexpr int32_t kInvisible = 100;
constexpr int32_t kDrawn = 0;

// Dates compare to the second: a step text read back and a computed date may differ in the last bits.
int64_t WholeSeconds(platform::Date date) {
    return std::llround(date.Linear() * 86400.0);
}

// A step as a date; step lists may hold date-time groups, which the plain date conversion does not read.
platform::Date StepDate(const platform::Variant& step) {
    if (const std::string* text = step.Get<std::string>(); text && modDateTime::IsDTG(*text)) {
        return modDateTime::DTGToDate(*text);
    }
    return platform::CDate(step);
}
} // namespace

void SelectRasterBandByTimeStep(LayerData& pLayerData, const platform::Variant& vTimeStep) {
    ErrorHandling::Trap("SelectRasterBandByTimeStep", "modLayers", ErrorHandling::TrapKind::Inner, [&] {
        auto layer = std::dynamic_pointer_cast<gis::RasterLayer>(pLayerData.TheLayer);
        if (!layer) {
            return;
        }
        // Bands are in step order: band b shows step b+1. Until a band matches, the raster is hidden.
        const int64_t wanted = WholeSeconds(StepDate(vTimeStep));
        int32_t band = -1;
        for (int32_t b = 0; b < pLayerData.RasterBandCount; ++b) {
            const platform::Date band_time = StepDate(platform::CStr(pLayerData.TimeSteps(b + 1)));
            if (WholeSeconds(band_time) == wanted) {
                band = b;
                break;
            }
            layer->EffectLevel(kInvisible);
        }
        if (band < 0) {
            return;
        }
        layer->RendererBandIndex(band);
        RefreshActiveView();
        layer->EffectLevel(kDrawn);
    });
}

} // namespace chronova::modLayers
