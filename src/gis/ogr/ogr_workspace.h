#pragma once

#include <memory>
#include <string>
#include <vector>

#include "gis/data/table.h"

namespace chronova::gis {

/// Opens the workspace at a path: a folder is a shapefile workspace (each *.shp a feature class named by its file
/// stem, each *.dbf without a *.shp a table), a *.gpkg file a GeoPackage, and any other file GDAL reads as vector
/// data (GeoJSON, FlatGeobuf, GPX, KML, CSV, ...) a workspace whose datasets are the file's layers. Files are
/// single-file geodatabase workspaces, which also are IGeodatabaseWorkspaces. open_options are GDAL open options
/// ("X_POSSIBLE_NAMES=lon", ...) used whenever the file is opened. Tables are read whole on first use and kept by
/// the workspace. Raises 53 when the path does not exist, 5 with GDAL's reason when a file other than a GeoPackage
/// is no vector data GDAL reads, 75 with GDAL's message when a GeoPackage cannot be read. A "PG:" connection string
/// opens a PostgreSQL/PostGIS database whose rows stay on the server (OpenServerWorkspace).
std::shared_ptr<IFeatureWorkspace> OpenWorkspace(const std::string& path,
                                                 const std::vector<std::string>& open_options = {});

/// The host's text for the kind of a feature class, which tells shapefiles from geodatabase feature classes:
/// "Shapefile Feature Class", "Personal Geodatabase Feature Class", or "" for a feature class of another origin.
std::string DataSourceTypeOf(const IFeatureClass& feature_class);

} // namespace chronova::gis
