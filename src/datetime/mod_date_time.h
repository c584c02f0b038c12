#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "datetime/date_time_picker.h"
#include "platform/ole_date.h"

// The system's time scale: a minute count is a signed 32-bit number of whole minutes from day zero
// (30 December 1899 00:00), so minute count 0 is OLE date 0. Conversions raise AutomationError
// (13 for a text that is not a date or a number, 6 when a minute count overflows) unless said otherwise.
namespace chronova::modDateTime {

/// day number × 1440 + hour × 60 + minute; raises 13 for an invalid calendar date, 6 on overflow.
int32_t PartsToMinutes(int16_t year, int16_t month, int16_t day, int16_t hour, int16_t minute);
/// The minute count of a date; seconds are dropped.
int32_t DateToMinutes(platform::Date date);
/// The minute count of any date text or date-time group.
int32_t TextToMinutes(std::string_view text);
/// The minute count of a date-time group ("050714Z MAR 2008").
int32_t DTGToMinutes(std::string_view text);

/// Splits a minute count into calendar parts (minutes before day zero count backwards: -30 is
/// 29 December 1899 23:30).
void MinutesToParts(int32_t minutes, int16_t& year, int16_t& month, int16_t& day, int16_t& hour, int16_t& minute);
platform::Date MinutesToDate(int32_t minutes);
/// The locale's date-time text of a minute count.
std::string MinutesToText(int32_t minutes);
std::string MinutesToDTG(int32_t minutes);
std::string DateToDTG(platform::Date date);
/// The date of a date-time group; a text that is not one gives the minute count -1.
platform::Date DTGToDate(std::string_view text);

/// True when the trimmed, upper-cased text has the form DDHHMMZ MON YYYY. Raises 13 when the text has
/// "Z " at characters 7-8 but its first six or last four characters are not a number.
bool IsDTG(std::string_view text);
/// Fills the parts from any date text or date-time group; an empty or unreadable text leaves them as
/// they are. Never raises.
void ParseDateText(std::string_view text, int16_t& year, int16_t& month, int16_t& day, int16_t& hour, int16_t& minute,
                   int16_t& second);
/// Fills the parts from a date-time group (second 0); any other text leaves them as they are. Never raises.
void ParseDTG(std::string_view text, int16_t& year, int16_t& month, int16_t& day, int16_t& hour, int16_t& minute,
              int16_t& second);

/// The locale's short date and time of the parts. Year 0 means 2000 and 51-99 mean 1951-1999; month and
/// day 0 mean 1. Raises 5 when the corrected parts are not a valid date and time.
std::string FormatDateParts(int16_t year, int16_t month, int16_t day, int16_t hour, int16_t minute, int16_t second = 0);
/// The date-time group of the parts, with the same year, month and day corrections.
std::string FormatDTG(int16_t year, int16_t month, int16_t day, int16_t hour, int16_t minute);
/// Two digits: n clamped to 0..99 with a leading zero below 10.
std::string Pad2(int32_t n);

/// Opens the date-time picker on the minute count; returns 1 and updates minutes when confirmed, -1 and
/// leaves them when cancelled. Raises 91 when no picker has been installed.
int32_t PickDateTime(int32_t& minutes);

} // namespace chronova::modDateTime
