// RasterDataset read through GDAL: the dataset stays open for the raster's lifetime and bands are read on demand.
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <limits>
#include <mutex>
#include <optional>
#include <vector>

#include <cpl_conv.h>
#include <cpl_vsi.h>
#include <gdal.h>
#include <ogr_srs_api.h>

#include "gis/data/raster_dataset.h"
#include "gis/ogr/gdal_environment.h"
#include "platform/automation_error.h"

namespace chronova::gis {

namespace {

// Rows read at a time when a whole band is scanned for its statistics.
constexpr int kStatisticsRows = 256;

class GdalRaster final : public RasterDataset {
public:
    GdalRaster(std::string path, GDALDatasetH dataset) : path_(std::move(path)), dataset_(dataset) {
        band_count_ = GDALGetRasterCount(dataset_);
        width_ = GDALGetRasterXSize(dataset_);
        height_ = GDALGetRasterYSize(dataset_);
        statistics_.resize(static_cast<size_t>(band_count_));
        double transform[6] = {0.0, 1.0, 0.0, 0.0, 0.0, 1.0};
        GDALGetGeoTransform(dataset_, transform); // without one, cells are units of a plain grid
        for (const int column : {0, width_}) {
            for (const int row : {0, height_}) {
                extent_.Expand(transform[0] + column * transform[1] + row * transform[2],
                               transform[3] + column * transform[4] + row * transform[5]);
            }
        }
        if (OGRSpatialReferenceH srs = GDALGetSpatialRef(dataset_)) {
            char* wkt = nullptr;
            if (OSRExportToWkt(srs, &wkt) == OGRERR_NONE && wkt != nullptr) {
                spatial_reference_ = wkt;
            }
            CPLFree(wkt);
        }
    }
    ~GdalRaster() override { GDALClose(dataset_); }
    GdalRaster(const GdalRaster&) = delete;
    GdalRaster& operator=(const GdalRaster&) = delete;

    const std::string& FilePath() const override { return path_; }
    int32_t BandCount() const override { return band_count_; }
    int32_t Width() const override { return width_; }
    int32_t Height() const override { return height_; }
    Envelope Extent() const override { return extent_; }
    std::string SpatialReference() const override { return spatial_reference_; }

    BandStatistics Statistics(int32_t band) override {
        std::lock_guard lock(mutex_);
        auto& cached = statistics_.at(static_cast<size_t>(CheckBand(band) - 1));
        if (!cached) {
            cached = ComputeStatistics(band);
        }
        return *cached;
    }

    std::vector<float> ReadBand(int32_t band) override {
        std::lock_guard lock(mutex_);
        CheckBand(band);
        std::vector<float> cells(static_cast<size_t>(width_) * static_cast<size_t>(height_));
        ReadRows(band, 0, height_, cells.data());
        return cells;
    }

    BandColor ColorOf(int32_t band) const override {
        switch (GDALGetRasterColorInterpretation(GDALGetRasterBand(dataset_, CheckBand(band)))) {
        case GCI_Undefined:
            return BandColor::Undefined;
        case GCI_GrayIndex:
            return BandColor::Gray;
        case GCI_PaletteIndex:
            return BandColor::Palette;
        case GCI_RedBand:
            return BandColor::Red;
        case GCI_GreenBand:
            return BandColor::Green;
        case GCI_BlueBand:
            return BandColor::Blue;
        case GCI_AlphaBand:
            return BandColor::Alpha;
        default:
            return BandColor::Other;
        }
    }

    bool EightBit(int32_t band) const override {
        return GDALGetRasterDataType(GDALGetRasterBand(dataset_, CheckBand(band))) == GDT_Byte;
    }

private:
    int32_t CheckBand(int32_t band) const {
        if (band < 1 || band > band_count_) {
            platform::RaiseError(platform::error::kSubscriptOutOfRange,
                                 "The raster '" + path_ + "' has no band " + std::to_string(band) + ".");
        }
        return band;
    }

    // Reads rows [first, first+count) of a band as floats; no-data cells become NaN. Any error GDAL reports fails
    // the read: GDAL may fill cells it could not read with zeros and still say it succeeded. GDAL datasets are not
    // thread-safe, so callers hold mutex_.
    void ReadRows(int32_t band, int first, int count, float* cells) {
        GdalErrorTrap trap;
        GDALRasterBandH handle = GDALGetRasterBand(dataset_, band);
        if (GDALRasterIO(handle, GF_Read, 0, first, width_, count, cells, width_, count, GDT_Float32, 0, 0) !=
                CE_None ||
            trap.Failed()) {
            trap.Raise(platform::error::kPathFileAccess, path_ + ": band " + std::to_string(band) + " cannot be read");
        }
        int has_no_data = FALSE;
        const double no_data = GDALGetRasterNoDataValue(handle, &has_no_data);
        if (has_no_data && !std::isnan(no_data)) {
            // Cells were converted to float, so the no-data value is compared after the same conversion.
            const auto marker = static_cast<float>(no_data);
            std::replace(cells, cells + static_cast<size_t>(width_) * static_cast<size_t>(count), marker,
                         std::numeric_limits<float>::quiet_NaN());
        }
    }

    // Statistics of the valid cells, computed from the cells themselves: asking GDAL would write them to a side
    // file next to the raster.
    BandStatistics ComputeStatistics(int32_t band) {
        // Room for the rows read at a time, never more rows than the raster has: a wide raster of one row must not
        // cost 256 rows.
        std::vector<float> cells(static_cast<size_t>(width_) * static_cast<size_t>(std::min(kStatisticsRows, height_)));
        BandStatistics statistics;
        int64_t count = 0;
        double mean = 0.0;
        double squares = 0.0; // sum of squared differences from the mean (Welford)
        for (int first = 0; first < height_; first += kStatisticsRows) {
            const int rows = std::min(kStatisticsRows, height_ - first);
            ReadRows(band, first, rows, cells.data());
            for (size_t i = 0; i < static_cast<size_t>(width_) * static_cast<size_t>(rows); ++i) {
                const double value = cells[i];
                if (std::isnan(value)) {
                    continue;
                }
                if (count == 0 || value < statistics.Minimum) {
                    statistics.Minimum = value;
                }
                if (count == 0 || value > statistics.Maximum) {
                    statistics.Maximum = value;
                }
                ++count;
                const double delta = value - mean;
                mean += delta / static_cast<double>(count);
                squares += delta * (value - mean);
            }
        }
        if (count > 0) {
            statistics.Mean = mean;
            statistics.StandardDeviation = std::sqrt(squares / static_cast<double>(count));
        }
        return statistics;
    }

    std::string path_;
    GDALDatasetH dataset_;
    int32_t band_count_ = 0;
    int32_t width_ = 0;
    int32_t height_ = 0;
    Envelope extent_;
    std::string spatial_reference_;
    std::mutex mutex_;
    std::vector<std::optional<BandStatistics>> statistics_;
};

} // namespace

std::shared_ptr<RasterDataset> RasterDataset::Open(const std::string& path) {
    // GDAL's own test, so that its in-memory files (/vsimem/) count as files too.
    VSIStatBufL status;
    if (path.empty() || VSIStatExL(path.c_str(), &status, VSI_STAT_EXISTS_FLAG) != 0) {
        platform::RaiseError(platform::error::kFileNotFound, "File not found: '" + path + "'.");
    }
    std::error_code error;
    std::string full_path = std::filesystem::absolute(path, error).lexically_normal().string();
    RegisterGdalDrivers();
    GdalErrorTrap trap;
    GDALDatasetH dataset = GDALOpenEx(full_path.c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY | GDAL_OF_VERBOSE_ERROR,
                                      nullptr, nullptr, nullptr);
    if (dataset == nullptr) {
        trap.Raise(platform::error::kPathFileAccess, "Cannot open the raster '" + full_path + "'");
    }
    auto raster = std::make_shared<GdalRaster>(std::move(full_path), dataset);
    // Errors while the raster's size, bands and place were read leave a raster that is not the file's.
    if (trap.Failed()) {
        trap.Raise(platform::error::kPathFileAccess, raster->FilePath() + ": the raster cannot be read");
    }
    return raster;
}

} // namespace chronova::gis
