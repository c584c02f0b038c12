#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "gis/data/column_table.h"
#include "gis/data/geometry_column.h"

namespace chronova::gis {

/// How a layer's rows are taken from GDAL.
enum class ReadMethod {
    Automatic, ///< in Arrow batches, or feature by feature when the layer cannot be read in batches
    Arrow,     ///< in Arrow batches only; raises when that is not possible
    Features,  ///< one feature at a time
};

/// All of one layer, read into memory.
struct LayerContents {
    /// The attribute table: the object id field first, then the shape field (when there is one), then the layer's
    /// fields in their stored order.
    std::shared_ptr<const ColumnTable> Data;
    /// The shapes in row order; null for a table without geometry.
    std::shared_ptr<const GeometryColumn> Shapes;
    /// The name of the shape field in Data; "" without geometry.
    std::string ShapeFieldName;
    /// The way the rows were actually read.
    ReadMethod Method = ReadMethod::Features;
};

/// How ReadLayer reads: all of a layer at once, or the parts a map draws first.
struct LayerReadOptions {
    ReadMethod Method = ReadMethod::Automatic;
    /// GDAL open options for the file ("X_POSSIBLE_NAMES=lon", ...).
    std::vector<std::string> OpenOptions;
    /// When set, only the object ids, the shapes and the date fields are read at once; every other field is read
    /// from the file on its first use (ColumnTable::LoadLater), so that fields nothing asks for cost nothing.
    bool OtherFieldsOnUse = false;
    /// When set, the shapes and the attributes read at once are read at the same time, each on a thread and a
    /// GDAL handle of its own.
    bool Parallel = false;
};

/// Reads a whole layer of a vector file (a shapefile, a dBASE table, a GeoPackage) in one pass. An empty layer
/// name takes the file's first layer. The object id field is named oid_field, or after the layer's own id column
/// when oid_field is empty ("FID" when the layer has none). Field types become the host's codes: 16-bit integers
/// SmallInteger, other integers Integer, 64-bit integers Double, 32-bit reals Single, reals Double, texts String,
/// dates and date-times Date (OLE serial, local time), times of day String, binaries Blob. Raises an
/// AutomationError with GDAL's message when the file or the layer cannot be read. open_options are GDAL open
/// options for the file ("X_POSSIBLE_NAMES=lon", ...).
LayerContents ReadLayer(const std::string& path, std::string_view layer_name, std::string_view oid_field,
                        ReadMethod method = ReadMethod::Automatic, const std::vector<std::string>& open_options = {});

/// Reads a layer as ReadLayer does, with the choices of options; the table has the same fields, rows and values
/// whatever the options (fields read on use are read with options.Method and options.OpenOptions). A field read on
/// use raises 75 when the file no longer holds as many rows as at first.
LayerContents ReadLayer(const std::string& path, std::string_view layer_name, std::string_view oid_field,
                        const LayerReadOptions& options);

/// A loader for ColumnTable::LoadLater that reads a field of the layer from the file on its first use, for a table
/// with the fields ReadLayer gives the layer (with the same oid_field) that was filled elsewhere, e.g. from a
/// cache. The layer is opened on the first field read. A field that is no longer the file's raises 75.
ColumnTable::ColumnLoader FieldReader(const std::string& path, std::string_view layer_name, std::string_view oid_field,
                                      const LayerReadOptions& options);

} // namespace chronova::gis
