#include "apps/chronova/axis_settings.h"

#include <string>

#include "datetime/mod_date_time.h"
#include "records/time_codes.h"
#include "registry/chronova_data.h"
#include "slider/display_options.h"

namespace chronova::cli {

void ApplyAxisSettings(ChronovaData& registry, const AxisSettings& settings) {
    DisplayOptions display = registry.Display();
    int16_t type = display.display_type;
    if (settings.unique) {
        type = kDisplayUniquePoints;
    } else if (settings.interval) {
        type = kDisplayInterval;
    }
    if (type != display.display_type) {
        display.display_type = type;
        registry.Display(display);
        registry.Update();
    }
    if (settings.finish && settings.start && *settings.start > registry.FinishTime()) {
        registry.FinishTime(*settings.finish);
    }
    if (settings.start) {
        registry.StartTime(*settings.start);
    }
    if (settings.finish) {
        registry.FinishTime(*settings.finish);
    }
    if (settings.interval) {
        registry.IntervalUnit(std::string(modDateTime::UnitCode(settings.interval->unit)));
        registry.Interval(settings.interval->count);
    }
}

} // namespace chronova::cli
