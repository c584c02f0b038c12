#pragma once

#include <optional>
#include <set>
#include <string>
#include <vector>

namespace chronova::gis {

/// The file name extensions GDAL's vector drivers declare, lower case with the dot (".geojson", ".gpx", ".csv",
/// ".shp", ...): the files worth trying when a folder is searched for vector data.
const std::set<std::string>& VectorFileExtensions();

/// How a CSV file becomes a layer of points with typed columns.
struct CsvPointSource {
    /// GDAL open options: the geometry's columns and AUTODETECT_TYPE=YES.
    std::vector<std::string> OpenOptions;
    /// The columns the points come from: the X and Y columns, or the one column of WKT geometries.
    std::vector<std::string> Columns;
};

/// The open options that read a CSV file (one GDAL's CSV driver opens) as points with typed columns: X and Y
/// from a column pair with the usual names (lon/lat, longitude/latitude, x/y, easting/northing, letter case
/// ignored), else geometries from the first column whose first value is WKT. Nothing for a file that is no CSV
/// or has neither.
std::optional<CsvPointSource> DetectCsvPoints(const std::string& path);

} // namespace chronova::gis
