#pragma once

#include <optional>

#include "datetime/calendar_interval.h"
#include "platform/ole_date.h"

namespace chronova {
class ChronovaData;
} // namespace chronova

namespace chronova::cli {

/// How a run lays out the slider's axis over what the project says; what is unset stays as it is.
struct AxisSettings {
    std::optional<platform::Date> start;
    std::optional<platform::Date> finish;
    std::optional<modDateTime::CalendarInterval> interval;
    /// One frame per distinct step of the layers; an interval alone switches the axis to intervals.
    bool unique = false;
};

/// Writes the settings through the registry as any automation client would: the display type first, then the
/// range (the finish first when the new start lies past the present finish, so the axis is never reversed), then
/// the interval.
void ApplyAxisSettings(ChronovaData& registry, const AxisSettings& settings);

} // namespace chronova::cli
