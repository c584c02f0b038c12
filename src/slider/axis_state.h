#pragma once

#include <cstdint>
#include <string>

#include "platform/ole_date.h"
#include "records/time_codes.h"

namespace chronova {

/// What the slider's axis shows at one moment, for programs that report or step it without touching controls.
struct AxisState {
    /// True while the axis can be stepped (see ChronovaData::Valid).
    bool valid = false;
    /// kDisplayInterval or kDisplayUniquePoints.
    int16_t display_type = kDisplayInterval;
    /// The position the slider stands on, 0..max_position.
    int32_t position = 0;
    int32_t max_position = 0;
    /// max_position + 1: positions count from 0.
    int32_t position_count = 0;
    /// Minutes per position, or in the unique-points mode the highest index of the step list.
    int32_t interval = 0;
    /// The interval label (" Interval: 1 hrs 0 mins" or "Unique Data Points").
    std::string interval_text;
    std::string start_label;
    std::string finish_label;
    std::string current_label;
    /// The time of the position; zero while the axis is not valid.
    platform::Date current_time;
};

} // namespace chronova
