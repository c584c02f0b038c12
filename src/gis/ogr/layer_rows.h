#pragma once

#include <string>
#include <string_view>
#include <vector>

#include <ogr_api.h>

#include "gis/data/field.h"
#include "gis/data/geometry_column.h"
#include "gis/ogr/columnar_reader.h"

namespace chronova::gis {

/// What ReadLayer makes of a layer's definition, without reading a row: the fields of its table (the object id
/// field first, then the shape field, then the layer's fields) and its shapes' type and spatial reference.
struct LayerSchema {
    std::vector<Field> Fields;
    GeometryType ShapeType = GeometryType::Null;
    std::string ShapeFieldName;
    std::string SpatialReference;
};
LayerSchema DescribeLayer(OGRLayerH layer, std::string_view oid_field);

/// Reads the rows an open layer yields now, after the filters set on it, into a table with the fields ReadLayer
/// gives it; `source` names the data in messages. Raises 75 with GDAL's message when a row cannot be read.
LayerContents ReadLayerRows(OGRLayerH layer, std::string_view oid_field, const std::string& source);

} // namespace chronova::gis
