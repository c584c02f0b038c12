#pragma once

#include <pybind11/pybind11.h>

#include <cstdint>
#include <string_view>

#include "platform/ole_date.h"

// Python's datetime values for the system's dates and minute counts. Dates travel as naive datetimes: the slider's
// times are display times, which carry no zone. Both ways are exact to the millisecond.
namespace chronova::python {

/// A naive datetime.datetime, or a datetime.date at midnight, as a date; microseconds round to the nearest
/// millisecond. Raises TypeError for another type and ValueError for an aware datetime or a year outside 100 to
/// 9999; what names the argument in the message.
platform::Date ToDate(pybind11::handle value, std::string_view what);
/// A date as a naive datetime.datetime to the millisecond; ValueError when it lies outside the years 100 to 9999.
pybind11::object FromDate(platform::Date date);

/// A datetime.timedelta of whole minutes as a minute count; TypeError for another type, ValueError for a part of
/// a minute or more minutes than a 32-bit count holds.
int32_t ToMinutes(pybind11::handle value, std::string_view what);
pybind11::object FromMinutes(int64_t minutes);

} // namespace chronova::python
