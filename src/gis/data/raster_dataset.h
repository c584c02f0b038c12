#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "gis/data/geometry_column.h"

namespace chronova::gis {

/// Statistics of one raster band's valid cells.
struct BandStatistics {
    double Minimum = 0.0;
    double Maximum = 0.0;
    double Mean = 0.0;
    double StandardDeviation = 0.0;
};

/// What a band's cells stand for, as the file declares it (GDAL's colour interpretation).
enum class BandColor { Undefined, Gray, Palette, Red, Green, Blue, Alpha, Other };

/// A multi-band raster file read through GDAL. Cells are read on demand, one band at a time.
class RasterDataset {
public:
    /// Opens a raster file; raises an AutomationError (53 file not found, or the GDAL message) when it fails.
    static std::shared_ptr<RasterDataset> Open(const std::string& path);
    virtual ~RasterDataset() = default;

    virtual const std::string& FilePath() const = 0;
    virtual int32_t BandCount() const = 0;
    virtual int32_t Width() const = 0;
    virtual int32_t Height() const = 0;
    virtual Envelope Extent() const = 0;
    /// The spatial reference as WKT; empty when unknown.
    virtual std::string SpatialReference() const = 0;
    /// Statistics of band 1..BandCount(), computed on first use; raises 9 for another band.
    virtual BandStatistics Statistics(int32_t band) = 0;
    /// The cells of a band, row by row, as floats; no-data cells are NaN. Raises 9 for a band out of range.
    virtual std::vector<float> ReadBand(int32_t band) = 0;
    /// What the band's cells stand for; Undefined when the file does not say.
    virtual BandColor ColorOf(int32_t /*band*/) const { return BandColor::Undefined; }
    /// Whether the band holds unsigned 8-bit cells (0..255), which are colour channels as they are.
    virtual bool EightBit(int32_t /*band*/) const { return false; }
};

} // namespace chronova::gis
