#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/automation_error.h"
#include "platform/variant.h"

namespace chronova::gis {
class ITable;
} // namespace chronova::gis

namespace chronova {

/// Where a table's rows are kept, as a person finds them: "/data/ships/ship_tracks.dbf" for a shapefile,
/// "/data/storms.gpkg, layer buoys" for a table of a file that holds several.
std::string TablePlace(const gis::ITable& table);

/// A value as a message quotes it: a text in single quotes, as it is; a number or a date as CStr writes it.
std::string QuotedValue(const platform::Variant& value);

/// Throws the failure again with the one line a person can act on beside it: where the value is (the table's
/// place, the feature id of the first row that holds it, the field), the value, and reason ("is not a date-time
/// group"). The number and description stay the failure's own, as callers of the automation interface expect.
[[noreturn]] void RaiseValueError(const gis::ITable& table, int32_t field, const platform::Variant& value,
                                  std::string_view reason, const platform::AutomationError& failure);

} // namespace chronova
