#pragma once

#include <cstdint>
#include <string_view>

#include "gis/data/column_table.h"
#include "gis/data/field.h"
#include "gis/data/geometry_column.h"

// The structures of the Arrow C data interface, through which GDAL hands out a layer's rows in batches.
struct ArrowSchema;
struct ArrowArray;

namespace chronova::gis {

/// Whether an Arrow array of the given format string can fill a column of the host's field type: integers and
/// booleans fill number columns, floats fill single and double columns, texts fill text columns, binaries fill
/// geometry and blob columns, dates and timestamps fill date columns, times of day fill text columns.
bool ArrowFormatSuits(std::string_view format, FieldType type) noexcept;

/// Appends rows first .. first+length-1 of an Arrow array to a column; the array's format must suit the column.
/// Nulls come from the validity bitmap, dates and timestamps become OLE serials (time zone dropped), times of
/// day become text. Raises 13 when the format does not suit the column or a buffer is missing.
void AppendArrowColumn(const ArrowSchema& schema, const ArrowArray& array, int64_t first, int64_t length,
                       Column& column);

/// Appends rows of an Arrow array of well-known binary shapes, one feature each; a null row is a feature without
/// parts. Raises 13 for an array that is not binary and for bytes that are not a shape.
void AppendArrowShapes(const ArrowSchema& schema, const ArrowArray& array, int64_t first, int64_t length,
                       GeometryColumn& shapes);

} // namespace chronova::gis
