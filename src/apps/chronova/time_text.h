#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/time_zone.h"

namespace chronova::cli {

/// A minute count as "YYYY-MM-DD HH:MM", the form reports and options use.
std::string IsoMinutes(int32_t minutes);

/// A time given on the command line: its wall-clock minute count and, for an ISO text with one
/// ("2024-05-01T06:00+02:00"), its offset from UTC in minutes.
struct TimeOption {
    int32_t minutes = 0;
    std::optional<int> offset_minutes;

    /// The minute count in a zone: an offset time converted to it, a time without one taken as it is.
    int32_t In(const std::optional<platform::TimeZone>& zone) const;
};

/// A time given on the command line, in any form the date conversion reads ("2008-03-01 06:00",
/// "3/1/2008 6:00 AM", a date-time group, ISO with an offset). Raises 13 for a text that is no time.
TimeOption ParseTimeOption(std::string_view text);

} // namespace chronova::cli
