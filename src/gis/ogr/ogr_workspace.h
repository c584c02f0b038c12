#pragma once

#include <memory>
#include <string>

#include "gis/data/table.h"

namespace chronova::gis {

/// Opens the workspace at a path: a folder is a shapefile workspace (each *.shp a feature class named by its file
/// stem, each *.dbf without a *.shp a table), a *.gpkg file the single-file geodatabase workspace, which also is
/// an IGeodatabaseWorkspace. Tables are read whole on first use and kept by the workspace. Raises 53 when the path
/// does not exist, 5 when it is neither a folder nor a GeoPackage, 75 with GDAL's message when it cannot be read.
std::shared_ptr<IFeatureWorkspace> OpenWorkspace(const std::string& path);

/// The host's text for the kind of a feature class, which tells shapefiles from geodatabase feature classes:
/// "Shapefile Feature Class", "Personal Geodatabase Feature Class", or "" for a feature class of another origin.
std::string DataSourceTypeOf(const IFeatureClass& feature_class);

} // namespace chronova::gis
