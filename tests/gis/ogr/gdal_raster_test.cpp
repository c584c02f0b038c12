#include "gis/data/raster_dataset.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>

#include <cpl_vsi.h>

#include "support/error_number.h"
#include "support/gdal_fixtures.h"
#include "support/scratch_folder.h"

namespace chronova::gis {
namespace {

class GdalRasterTest : public ::testing::Test {
protected:
    // Twelve bands of 4 x 3 cells; cell (x, y) of band b holds 10 b + x + y, and cell (0, 0) is no-data.
    std::shared_ptr<RasterDataset> TwelveBands() {
        testing::GeoTiffLayout layout{12, 4, 3, GDT_Int16, -9999.0, {100.0, 0.5, 0.0, 50.0, 0.0, -0.25}, 4326};
        testing::WriteGeoTiff(folder_ / "bands.tif", layout,
                              [](int band, int x, int y) { return x == 0 && y == 0 ? -9999.0 : 10.0 * band + x + y; });
        return RasterDataset::Open((folder_ / "bands.tif").string());
    }
    testing::ScratchFolder folder_;
};

TEST_F(GdalRasterTest, SizeExtentAndSpatialReference) {
    const auto raster = TwelveBands();
    EXPECT_EQ(raster->FilePath(), (folder_ / "bands.tif").string());
    EXPECT_EQ(raster->BandCount(), 12);
    EXPECT_EQ(raster->Width(), 4);
    EXPECT_EQ(raster->Height(), 3);
    EXPECT_EQ(raster->Extent(), (Envelope{100.0, 49.25, 102.0, 50.0}));
    EXPECT_NE(raster->SpatialReference().find("WGS 84"), std::string::npos);
}

TEST_F(GdalRasterTest, BandsAndStatisticsLeaveOutNoData) {
    const auto raster = TwelveBands();
    const std::vector<float> cells = raster->ReadBand(3);
    ASSERT_EQ(cells.size(), 12u);
    EXPECT_TRUE(std::isnan(cells[0]));
    EXPECT_EQ(cells[1], 31.0F);
    EXPECT_EQ(cells[11], 35.0F); // x 3, y 2
    const BandStatistics statistics = raster->Statistics(3);
    EXPECT_EQ(statistics.Minimum, 31.0);
    EXPECT_EQ(statistics.Maximum, 35.0);
    // The eleven valid cells are 31 32 33 31 32 33 34 32 33 34 35.
    EXPECT_NEAR(statistics.Mean, 360.0 / 11, 1e-12);
    EXPECT_NEAR(statistics.StandardDeviation, std::sqrt(11798.0 / 11 - std::pow(360.0 / 11, 2)), 1e-9);
    EXPECT_FALSE(std::filesystem::exists(folder_ / "bands.tif.aux.xml"));
}

// GDAL's in-memory files are files too: a raster written there reads as the same one on disk.
TEST_F(GdalRasterTest, InMemoryFilesReadAsFilesOnDisk) {
    const std::string memory = "/vsimem/gdal_raster_test/bands.tif";
    testing::GeoTiffLayout layout{2, 4, 3, GDT_Int16, -9999.0, {100.0, 0.5, 0.0, 50.0, 0.0, -0.25}, 4326};
    testing::WriteGeoTiff(memory, layout, [](int band, int x, int y) { return 10.0 * band + x + y; });
    const auto raster = RasterDataset::Open(memory);
    EXPECT_EQ(raster->FilePath(), memory);
    EXPECT_EQ(raster->BandCount(), 2);
    EXPECT_EQ(raster->ReadBand(2)[11], 25.0F); // x 3, y 2
    EXPECT_RAISES(RasterDataset::Open("/vsimem/gdal_raster_test/none.tif"), 53);
    VSIUnlink(memory.c_str());
}

TEST_F(GdalRasterTest, BadBandsAndFilesRaise) {
    const auto raster = TwelveBands();
    EXPECT_RAISES(raster->ReadBand(0), 9);
    EXPECT_RAISES(raster->Statistics(13), 9);
    std::ofstream(folder_ / "junk.tif") << "not a raster";
    EXPECT_RAISES(RasterDataset::Open((folder_ / "none.tif").string()), 53);
    EXPECT_RAISES(RasterDataset::Open((folder_ / "junk.tif").string()), 75);
}

} // namespace
} // namespace chronova::gis
