#pragma once

// Writers of the sample files through GDAL. Each output appears complete or not at all, and the same input gives
// the same bytes: no clock reaches the files.

#include <filesystem>
#include <functional>
#include <vector>

#include "generator/sample_contents.h"

namespace chronova::sample_data {

/// A raster's grid of cells in EPSG:4326, north-up: column 0 starts at West, row 0 at North.
struct RasterGrid {
    int Width = 0;
    int Height = 0;
    int Bands = 0;
    double West = 0.0;
    double North = 0.0;
    double CellSize = 0.0; ///< degrees, the same along both axes
};

/// The no-data value of the sample rasters; such cells are not drawn.
inline constexpr float kNoData = -9999.0F;

/// Writes a GeoPackage holding the tables in their order. Raises an AutomationError (75) with GDAL's message.
void WriteGeoPackage(const std::filesystem::path& file, const std::vector<SampleTable>& tables);

/// Writes a folder holding one shapefile named after the table (.shp, .shx, .dbf, .prj, .cpg). Raises like
/// WriteGeoPackage.
void WriteShapefileFolder(const std::filesystem::path& folder, const SampleTable& table);

/// Writes a Float32 GeoTIFF, band by band: cells(band) gives band's Width x Height cells row by row (bands count
/// from 1). Bands are stored one after another and compressed, as most of their cells are no data. Raises like
/// WriteGeoPackage.
void WriteGeoTiff(const std::filesystem::path& file, const RasterGrid& grid,
                  const std::function<std::vector<float>(int band)>& cells);

} // namespace chronova::sample_data
