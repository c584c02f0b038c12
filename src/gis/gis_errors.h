#pragma once

#include <cstdint>

namespace chronova::gis::error {

//! The host's number for a query or where clause it cannot run (a clause that does not parse, a field
//! that is not in the table); callers that look at numbers tell it apart from the classic ones.
inline constexpr int32_t kInvalidSqlStatement = -2147220985;

} // namespace chronova::gis::error
