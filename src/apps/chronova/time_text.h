#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace chronova::cli {

/// A minute count as "YYYY-MM-DD HH:MM", the form reports and options use.
std::string IsoMinutes(int32_t minutes);

/// The minute count of a time given on the command line, in any form the date conversion reads
/// ("2008-03-01 06:00", "3/1/2008 6:00 AM", a date-time group). Raises 13 for a text that is no time.
int32_t ParseTimeOption(std::string_view text);

} // namespace chronova::cli
