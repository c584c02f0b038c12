#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/iso_date.h"
#include "platform/locale.h"
#include "platform/ole_date.h"

namespace chronova::platform {

/// The locale's short date of the parts ("3/1/2008" in en-US).
std::string FormatShortDate(const DateParts& parts, const Locale& locale = CurrentLocale());
/// The locale's time of the parts ("6:00:00 AM" in en-US).
std::string FormatTime(const DateParts& parts, const Locale& locale = CurrentLocale());

/// The default text of a date: short date and time ("3/1/2008 6:00:00 AM"); a date at midnight prints
/// the date alone, and a date whose date part is zero prints the time alone.
std::string DateToText(Date date, const Locale& locale = CurrentLocale());

/// Reads a date text: every form DateToText writes in the locale, ISO forms ("2008-03-01 06:00[:00[.fff]]",
/// also with a "T", and a trailing "Z" or offset, which is dropped: the wall-clock time is returned), year-first
/// numeric dates ("2008/03/01"), month names or abbreviations ("March 1, 2008", "1-Mar-2008"), 12- and 24-hour times, a
/// time alone. Two-digit years 00-29 mean 2000-2029 and 30-99 mean 1930-1999. Numeric dates follow the locale's
/// day/month order. Returns nothing when the text is not a valid date between the years 100 and 9999.
std::optional<Date> TryParseDate(std::string_view text, const Locale& locale = CurrentLocale());

/// As TryParseDate, keeping the offset from UTC that an ISO text gives ("Z", "+02:00"); TryParseDate returns
/// the same wall-clock time without it.
std::optional<ZonedDate> TryParseZonedDate(std::string_view text, const Locale& locale = CurrentLocale());

/// As TryParseDate; raises error 13 (type mismatch) when the text is not a date.
Date TextToDate(std::string_view text, const Locale& locale = CurrentLocale());

} // namespace chronova::platform
