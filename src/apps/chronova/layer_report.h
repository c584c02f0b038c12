#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "slider/axis_state.h"

namespace chronova {
class ChronovaData;
class LayerData;
namespace gis {
class ILayer;
class Map;
} // namespace gis
} // namespace chronova

namespace chronova::cli {

/// How a registered layer carries time, as its record holds it.
struct TimeReport {
    std::string field;
    int16_t field_type = 0; ///< 1 date, 2 text, 3 date-time group, 4 long integer, 5 double
    int32_t steps = 0;
    int32_t start = 0; ///< minute counts
    int32_t finish = 0;
    int32_t interval = 0; ///< minutes
    /// What the layer shows beyond its step: its window ("interval", "15min"), the field its tracks are told
    /// apart by, and the zone of its naive times; empty when not set.
    std::string window;
    std::string track_id;
    std::string time_zone;
};

/// The kind of a layer as reports name it: "feature", "raster", "wms", "custom", "group" or "other".
std::string LayerKind(const gis::ILayer& layer);

/// One layer of the map, in drawing order from the top, with its group depth.
struct LayerReport {
    std::string name;
    std::string kind; ///< feature, raster, wms, group or custom
    int depth = 0;
    std::optional<TimeReport> time;
};

struct ProjectReport {
    std::vector<LayerReport> layers;
    /// The slider's axis as the registry reports it.
    AxisState slider;
};

/// One step of a layer: its 1-based position, its time and the value as the data holds it.
struct StepReport {
    int32_t index = 0;
    int32_t minutes = 0;
    std::string value;
};

/// What the registry and the slider hold for the map's layers. name_of gives a layer's name as the project
/// has it; the map's own names may carry the step shown when table-of-contents labels are on.
ProjectReport BuildReport(const gis::Map& map, ChronovaData& registry,
                          const std::function<std::string(const gis::ILayer&)>& name_of);
/// The steps of a registered layer in time order.
std::vector<StepReport> BuildSteps(LayerData& record);

std::string TimeFieldTypeName(int16_t type);
nlohmann::json ToJson(const ProjectReport& report);
nlohmann::json ToJson(const std::string& layer, const std::vector<StepReport>& steps);
/// A readable table of the layers and the slider.
std::string ToText(const ProjectReport& report);

} // namespace chronova::cli
