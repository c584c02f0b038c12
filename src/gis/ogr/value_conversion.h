#pragma once

#include <cstdint>
#include <string>

#include "gis/data/column_table.h"

namespace chronova::gis {

// Conversions shared by the two ways of reading a layer, so that both give the same table.

/// The OLE date serial of a moment given as milliseconds since 1 January 1970 00:00. The moment is taken as
/// local time: time zones are not kept by the host's dates.
double OleDateFromUnixMilliseconds(int64_t milliseconds) noexcept;

/// Milliseconds since 1 January 1970 00:00 of a calendar date and clock time; the fraction of the second is
/// rounded to whole milliseconds the way GDAL rounds it when it hands out timestamps.
int64_t UnixMillisecondsFromParts(int year, int month, int day, int hour, int minute, float second) noexcept;

/// The text of a time of day given in milliseconds since midnight: "HH:MM:SS", with ".mmm" when the
/// milliseconds are not zero.
std::string TimeOfDayText(int64_t milliseconds);

/// Appends a whole number to a column of any number type: a small integer column keeps the low 16 bits, an
/// integer or object id column raises 6 (overflow) for a value beyond 32 bits, real columns take it as a double.
void AppendWholeNumber(Column& column, int64_t value);

/// Appends a real number to a single, double or date column; a single column keeps float precision.
void AppendRealNumber(Column& column, double value);

} // namespace chronova::gis
