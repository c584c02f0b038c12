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
/// "3/13/2008 6:00 AM", a date-time group, ISO with an offset). Raises 13 for a text that is no time.
TimeOption ParseTimeOption(std::string_view text);

/// Why a time option's text would be read in a way the user may not mean, as a whole message naming the option;
/// empty when the text is clear. A time without a date would fall on the calendar's day zero, and a date whose
/// first two numbers are both 12 or less (and differ) reads as month/day in one locale and day/month in another.
std::string UnclearTimeMessage(std::string_view option, std::string_view text);

} // namespace chronova::cli
