#pragma once

#include <memory>
#include <string>
#include <vector>

#include "gis/layers/feature_layer.h"
#include "gis/layers/raster_layer.h"

namespace chronova::gis {

/// A feature layer on a feature class of the workspace at workspace_path (a folder of shapefiles, a GeoPackage or
/// another vector file GDAL reads, opened with the GDAL open_options), as adding data to a map makes one: named
/// after the feature class unless a name is given, with the host's data source type text. Raises like
/// OpenWorkspace and OpenFeatureClass.
std::shared_ptr<FeatureLayer> OpenFeatureLayer(const std::string& workspace_path, const std::string& feature_class,
                                               std::string name = {},
                                               const std::vector<std::string>& open_options = {});

/// A feature layer on the rows of a SELECT query in the database of a "PG:..." connection string, its feature class
/// named `dataset` and the layer `name` (the dataset when empty). Raises 5 when the workspace is no database, and
/// like OpenWorkspace and IServerWorkspace::OpenQuery.
std::shared_ptr<FeatureLayer> OpenQueryLayer(const std::string& workspace_path, const std::string& query,
                                             const std::string& dataset, std::string name = {},
                                             const std::vector<std::string>& open_options = {});

/// A raster layer on a raster file, named after the file unless a name is given.
std::shared_ptr<RasterLayer> OpenRasterLayer(const std::string& path, std::string name = {});

} // namespace chronova::gis
