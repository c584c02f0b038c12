#include "apps/chronova/layer_report.h"

#include <memory>
#include <nlohmann/json.hpp>
#include <sstream>

#include "apps/chronova/time_text.h"
#include "datetime/mod_date_time.h"
#include "gis/layers/feature_layer.h"
#include "gis/layers/group_layer.h"
#include "gis/layers/raster_layer.h"
#include "gis/layers/wms_map_layer.h"
#include "gis/map/map.h"
#include "platform/conversions.h"
#include "records/i_time_layer.h"
#include "records/layer_data.h"
#include "records/time_codes.h"
#include "registry/chronova_data.h"

namespace chronova::cli {

namespace {

using NameOf = std::function<std::string(const gis::ILayer&)>;

void AddLayer(const std::shared_ptr<gis::ILayer>& layer, int depth, ChronovaData& registry, const NameOf& name_of,
              std::vector<LayerReport>& out) {
    LayerReport report{name_of(*layer), LayerKind(*layer), depth, std::nullopt};
    std::shared_ptr<LayerData> record;
    if (registry.FindByLayer(layer, &record)) {
        report.time = TimeReport{record->TimeStepField,      record->TimeFieldType, record->TimeStepsCount(),
                                 record->StartTime,          record->FinishTime,    record->Interval,
                                 registry.TimeWindow(layer), record->Track.IdField, record->TimeZone};
    }
    out.push_back(std::move(report));
    // A WMS layer is a group of service layers; its children are not layers of the map's own.
    const auto group = std::dynamic_pointer_cast<gis::ICompositeLayer>(layer);
    if (group && out.back().kind == "group") {
        for (int32_t i = 0; i < group->Count(); ++i) {
            AddLayer(group->Layer(i), depth + 1, registry, name_of, out);
        }
    }
}

// The display mode as the reports name it.
std::string DisplayName(int16_t display_type) {
    return display_type == kDisplayUniquePoints ? "unique" : "interval";
}

} // namespace

std::string LayerKind(const gis::ILayer& layer) {
    if (dynamic_cast<const gis::WmsMapLayer*>(&layer) != nullptr) {
        return "wms";
    }
    if (dynamic_cast<const ITimeLayer*>(&layer) != nullptr) {
        return "custom";
    }
    if (dynamic_cast<const gis::FeatureLayer*>(&layer) != nullptr) {
        return "feature";
    }
    if (dynamic_cast<const gis::RasterLayer*>(&layer) != nullptr) {
        return "raster";
    }
    if (dynamic_cast<const gis::ICompositeLayer*>(&layer) != nullptr) {
        return "group";
    }
    return "other";
}

std::string TimeFieldTypeName(int16_t type) {
    switch (type) {
    case kTimeFieldDate:
        return "date";
    case kTimeFieldText:
        return "text";
    case kTimeFieldDateTimeGroup:
        return "date-time group";
    case kTimeFieldLong:
        return "long integer";
    case kTimeFieldYear:
        return "year";
    case kTimeFieldDouble:
        return "double";
    default:
        return "none";
    }
}

ProjectReport BuildReport(const gis::Map& map, ChronovaData& registry, const NameOf& name_of) {
    ProjectReport report;
    for (int32_t i = 0; i < map.LayerCount(); ++i) {
        AddLayer(map.Layer(i), 0, registry, name_of, report.layers);
    }
    report.slider = registry.Axis();
    return report;
}

std::vector<StepReport> BuildSteps(LayerData& record) {
    std::vector<StepReport> steps;
    for (int32_t i = 1; i <= record.TimeStepsCount(); ++i) {
        const platform::Date date = record.TimeStepsAsDate(i);
        steps.push_back({i, modDateTime::DateToMinutes(date), platform::CStr(record.TimeSteps(i))});
    }
    return steps;
}

nlohmann::json ToJson(const ProjectReport& report) {
    nlohmann::json layers = nlohmann::json::array();
    for (const LayerReport& layer : report.layers) {
        nlohmann::json item = {
            {"name", layer.name}, {"kind", layer.kind}, {"depth", layer.depth}, {"time_layer", layer.time.has_value()}};
        if (layer.time) {
            const TimeReport& time = *layer.time;
            item["time_field"] = time.field;
            item["time_field_type"] = time.field_type;
            item["time_field_type_name"] = TimeFieldTypeName(time.field_type);
            item["steps"] = time.steps;
            item["start"] = IsoMinutes(time.start);
            item["finish"] = IsoMinutes(time.finish);
            item["interval_minutes"] = time.interval;
            const std::pair<const char*, const std::string*> options[] = {
                {"window", &time.window}, {"track_id", &time.track_id}, {"time_zone", &time.time_zone}};
            for (const auto& [key, value] : options) {
                if (!value->empty()) {
                    item[key] = *value;
                }
            }
        }
        layers.push_back(std::move(item));
    }
    const AxisState& slider = report.slider;
    return {{"layers", std::move(layers)},
            {"slider",
             {{"valid", slider.valid},
              {"display", DisplayName(slider.display_type)},
              {"max", slider.max_position},
              {"positions", slider.max_position + 1},
              {"interval", slider.interval},
              {"start_label", slider.start_label},
              {"finish_label", slider.finish_label},
              {"current_label", slider.current_label},
              {"interval_label", slider.interval_text}}}};
}

nlohmann::json ToJson(const std::string& layer, const std::vector<StepReport>& steps) {
    nlohmann::json items = nlohmann::json::array();
    for (const StepReport& step : steps) {
        items.push_back({{"index", step.index}, {"time", IsoMinutes(step.minutes)}, {"value", step.value}});
    }
    return {{"layer", layer}, {"steps", std::move(items)}};
}

std::string ToText(const ProjectReport& report) {
    std::ostringstream out;
    out << "Layers (top first):\n";
    for (const LayerReport& layer : report.layers) {
        out << "  " << std::string(static_cast<size_t>(layer.depth) * 2, ' ') << layer.name << " (" << layer.kind
            << ")";
        if (layer.time) {
            const TimeReport& time = *layer.time;
            out << ": time field " << time.field << " (" << TimeFieldTypeName(time.field_type) << "), " << time.steps
                << " steps from " << IsoMinutes(time.start) << " to " << IsoMinutes(time.finish) << ", interval "
                << time.interval << " min";
            if (!time.window.empty()) {
                out << ", window " << time.window;
            }
            if (!time.track_id.empty()) {
                out << ", tracks by " << time.track_id;
            }
            if (!time.time_zone.empty()) {
                out << ", naive times in " << time.time_zone;
            }
        }
        out << '\n';
    }
    const AxisState& slider = report.slider;
    out << "Slider: " << (slider.valid ? "" : "not valid, ") << DisplayName(slider.display_type)
        << " mode, positions 0.." << slider.max_position << ", interval " << slider.interval << "\n"
        << "  start   " << slider.start_label << "\n"
        << "  finish  " << slider.finish_label << "\n"
        << "  current " << slider.current_label << "\n"
        << " " << slider.interval_text << '\n';
    return out.str();
}

} // namespace chronova::cli
