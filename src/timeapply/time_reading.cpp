#include "timeapply/time_reading.h"

#include <memory>
#include <string>

#include "gis/layers/feature_layer.h"
#include "platform/automation_error.h"
#include "records/layer_data.h"
#include "records/layer_data_collection.h"
#include "records/process_state.h"

namespace chronova {

namespace {

bool AnyLayerNamesAZone() {
    if (!g_Layers) {
        return false;
    }
    for (const auto& record : g_Layers->NewEnum()) {
        if (!record->TimeZone.empty()) {
            return true;
        }
    }
    return false;
}

} // namespace

std::optional<platform::TimeZone> DisplayTimeZone() {
    if (!g_sDisplayTimeZone.empty()) {
        return platform::TimeZone::Parse(g_sDisplayTimeZone);
    }
    if (AnyLayerNamesAZone()) {
        return platform::TimeZone::Utc();
    }
    return std::nullopt;
}

platform::TimeReading LayerTimeReading(const LayerData& record) {
    platform::TimeReading reading;
    reading.display_zone = DisplayTimeZone();
    if (!record.TimeZone.empty()) {
        reading.layer_zone = platform::TimeZone::Parse(record.TimeZone);
    }
    return reading;
}

void ApplyTimeReading(LayerData& record) {
    if (auto layer = std::dynamic_pointer_cast<gis::FeatureLayer>(record.TheLayer)) {
        layer->TimeReading(LayerTimeReading(record));
    }
}

platform::TimeZone RequireTimeZone(std::string_view text) {
    if (auto zone = platform::TimeZone::Parse(text)) {
        return *zone;
    }
    platform::RaiseError(platform::error::kInvalidProcedureCall,
                         "'" + std::string(text) +
                             "' is not a time zone: give a name of the time zone database such as "
                             "'Europe/Berlin', 'UTC', or an offset such as '+02:00'.");
}

} // namespace chronova
