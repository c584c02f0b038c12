#pragma once

#include <optional>

#include "platform/ole_date.h"

namespace chronova {

class LayerData;

namespace modLayers {

/// The end of a window layer's window that starts at the current time: current plus the layer's duration, or,
/// for a window of the slider's interval, the slider's next time (slider_next; without one, after the last
/// step, the minute the step stands for).
platform::Date WindowEnd(const LayerData& record, platform::Date current, std::optional<platform::Date> slider_next);

/// Restricts a feature layer with its own time field to the features whose time lies in [current, end), or,
/// with previous steps, before end: one range of the field's sorted index. Raises 5 for a time field a range
/// cannot be taken of (date-time group texts).
void SelectLayerFeaturesByWindow(LayerData& record, platform::Date current, platform::Date end);

} // namespace modLayers
} // namespace chronova
