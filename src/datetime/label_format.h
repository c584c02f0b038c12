#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "datetime/calendar_interval.h"

namespace chronova::modDateTime {

/// Writes a minute count through a strftime-like format: %Y year, %y two-digit year, %m month, %d day, %H hour
/// (00-23), %I hour (01-12), %p AM/PM, %M minute, %S second (always 00: the scale counts whole minutes), %b and %B
/// the English month name short and long, %j day of the year and %% a percent sign. Any other character, and a
/// "%" before an unknown letter, is copied as it is.
std::string FormatMinutes(int32_t minutes, std::string_view format);

/// The label format that suits a step: "%Y" for years, "%b %Y" for months, and empty (the classic labels) for a
/// minute step.
std::string_view DefaultLabelFormat(const CalendarInterval& interval);

/// True when every "%" of the format starts one of the conversions FormatMinutes knows.
bool IsLabelFormat(std::string_view format);

} // namespace chronova::modDateTime
