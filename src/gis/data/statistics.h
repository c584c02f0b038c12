#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "gis/data/table.h"
#include "platform/variant.h"

namespace chronova::gis {

/// Minimum, maximum and count of the non-null values of a numeric or date field.
struct FieldStatistics {
    int32_t Count = 0;
    double Minimum = 0.0;
    double Maximum = 0.0;
    double Mean = 0.0;
};

/// The distinct non-null values of a field over a cursor's rows, ascending, typed as Column::Value gives
/// them. Raises 5 when the field is not in the cursor's table.
std::vector<platform::Variant> UniqueValues(const Cursor& cursor, std::string_view field);

/// Statistics of a numeric or date field over a cursor's rows. Raises 5 when the field is missing and 13
/// when it is not numeric; a cursor without values gives a Count of 0.
FieldStatistics Statistics(const Cursor& cursor, std::string_view field);

} // namespace chronova::gis
