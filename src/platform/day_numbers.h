#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace chronova::platform {

// The day-number library: whole days counted from 30 December 1899 (day 0), proleptic Gregorian
// calendar. Date2Num and Num2Date are inverse for every day of the years 1 to 9999.

/// The day number of a date text "MM/DD/YYYY": month, day and year separated by "/" (blanks around the
/// fields are allowed, the year may be negative); raises error 13 when the text is not a valid date.
int32_t Date2Num(std::string_view text);
/// The text "MM/DD/YYYY" of a day number; raises error 5 outside the years 1 to 9999.
std::string Num2Date(int32_t day_number);
/// The day number of a calendar date without going through text; raises error 13 for an invalid date.
int32_t DayNumber(int year, int month, int day);
/// The next field of text starting at the 1-based position pos: the characters up to the next character
/// of separators (or the end). pos moves past the field and its separator; a pos past the end yields "".
std::string ParseString(long& pos, std::string_view text, std::string_view separators);

} // namespace chronova::platform
