// The example custom layer reads CSV files of moving points: any text must give a layer or a clear error,
// and a layer's steps must be ascending and its visible points must lie on the step it was told.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/automation_error.h"
#include "plugins/moving_points/moving_points_layer.h"

using namespace chronova;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    try {
        auto layer = plugins::MovingPointsLayer::FromText(text, "fuzz.csv");
        for (int32_t i = 2; i <= layer->TimeStepCount(); ++i) {
            if (!(layer->TimeStep(i - 1) != layer->TimeStep(i))) {
                __builtin_trap();
            }
        }
        if (layer->TimeStepCount() > 0) {
            const platform::Variant step = layer->TimeStep(1);
            layer->CurrentTimeStep(step);
            for (uint32_t point : layer->VisiblePoints()) {
                if (!(layer->Points()[point].Time == *step.Get<platform::Date>())) {
                    __builtin_trap();
                }
            }
        }
    } catch (const platform::AutomationError&) {
    }
    return 0;
}
