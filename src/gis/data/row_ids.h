#pragma once

#include <cstdint>
#include <vector>

namespace chronova::gis {

/// Positions of rows in a table, ascending and without repeats.
using RowIds = std::vector<uint32_t>;

} // namespace chronova::gis
