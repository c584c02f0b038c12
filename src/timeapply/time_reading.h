#pragma once

#include <optional>
#include <string_view>

#include "platform/time_zone.h"

namespace chronova {

class LayerData;

/// The zone times are shown in: the process's display zone when one is set, else UTC when any time layer
/// names a zone of its own (so layers in different zones agree), else none (values as stored).
std::optional<platform::TimeZone> DisplayTimeZone();

/// How a layer's values become shown times: its own zone for values without an offset, the display zone.
platform::TimeReading LayerTimeReading(const LayerData& record);

/// Hands the layer's reading to its feature layer, so that its definition expression compares shown times.
void ApplyTimeReading(LayerData& record);

/// A zone named in a setting, or error 5 (invalid procedure call) naming the text when it names none.
platform::TimeZone RequireTimeZone(std::string_view text);

} // namespace chronova
