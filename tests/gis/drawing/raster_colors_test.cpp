// Rasters in colour: ramps of several stops, and RGB(A) rasters written with GDAL drawn in their own colours.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <array>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include <cpl_string.h>
#include <gdal.h>
#include <ogr_srs_api.h>

#include "gis/data/raster_dataset.h"
#include "gis/drawing/drawing_fixtures.h"
#include "gis/drawing/raster_drawer.h"
#include "gis/layers/raster_layer.h"
#include "gis/ogr/gdal_environment.h"
#include "support/scratch_folder.h"

namespace chronova::gis {
namespace {

constexpr Color kBlack{0, 0, 0, false};
constexpr Color kRed{255, 0, 0, false};
constexpr Color kWhite{255, 255, 255, false};

// Draws the layer over white into 40 by 20 pixels, each cell of a 4 by 2 raster 10 by 10 pixels.
QImage DrawAlone(RasterDrawer& drawer, const RasterLayer& layer) {
    QImage image(40, 20, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    drawer.Draw(painter, ViewTransform(Envelope{0, 0, 4, 2}, 40, 20), layer, layer.AreaOfInterest());
    return image;
}

QRgb CellPixel(const QImage& image, int column, int row) {
    return image.pixel(column * 10 + 5, row * 10 + 5);
}

// Writes a 4 by 2 GeoTIFF over (0, 0)-(4, 2) whose band b (1-based) holds value(b, column, row), with GDAL's
// creation options (PHOTOMETRIC, ALPHA).
void WriteTiff(const std::string& path, int bands, GDALDataType type, const std::vector<std::string>& options,
               const std::function<double(int, int, int)>& value) {
    RegisterGdalDrivers();
    CPLStringList creation;
    for (const std::string& option : options) {
        creation.AddString(option.c_str());
    }
    GDALDatasetH dataset = GDALCreate(GDALGetDriverByName("GTiff"), path.c_str(), 4, 2, bands, type, creation.List());
    ASSERT_NE(dataset, nullptr);
    double transform[6] = {0.0, 1.0, 0.0, 2.0, 0.0, -1.0};
    GDALSetGeoTransform(dataset, transform);
    for (int band = 1; band <= bands; ++band) {
        std::vector<double> cells;
        for (int row = 0; row < 2; ++row) {
            for (int column = 0; column < 4; ++column) {
                cells.push_back(value(band, column, row));
            }
        }
        ASSERT_EQ(
            GDALRasterIO(GDALGetRasterBand(dataset, band), GF_Write, 0, 0, 4, 2, cells.data(), 4, 2, GDT_Float64, 0, 0),
            CE_None);
    }
    GDALClose(dataset);
}

TEST(RasterRampTest, ARampOfSeveralStopsColoursCellsBetweenItsStops) {
    const std::vector<RampStop> stops{{0.0, kBlack}, {0.5, kRed}, {1.0, kWhite}};
    const QImage image = ColorizeBand({0.0F, 5.0F, 10.0F, 2.5F, 7.5F, std::numeric_limits<float>::quiet_NaN()}, 6, 1,
                                      StretchRange{0.0, 10.0}, stops);
    EXPECT_EQ(image.pixel(0, 0), qRgb(0, 0, 0));
    // The ramp has 256 steps, so the middle value lands within a step of the middle stop.
    EXPECT_EQ(qRed(image.pixel(1, 0)), 255);
    EXPECT_LE(qGreen(image.pixel(1, 0)), 2);
    EXPECT_EQ(image.pixel(2, 0), qRgb(255, 255, 255));
    EXPECT_NEAR(qRed(image.pixel(3, 0)), 128, 1);
    EXPECT_EQ(qGreen(image.pixel(3, 0)), 0);
    EXPECT_EQ(qRed(image.pixel(4, 0)), 255);
    EXPECT_NEAR(qGreen(image.pixel(4, 0)), 128, 1);
    EXPECT_EQ(qAlpha(image.pixel(5, 0)), 0) << "no data";
}

TEST(RasterRampTest, TheDrawerRecoloursWhenTheStopsChange) {
    // Cells 0..3 along each row.
    auto raster = std::make_shared<testing::MemoryRaster>(4, 2, Envelope{0, 0, 4, 2},
                                                          std::vector<std::vector<float>>{{0, 1, 2, 3, 0, 1, 2, 3}});
    RasterLayer layer(raster);
    auto& renderer = dynamic_cast<RasterStretchColorRampRenderer&>(*layer.Renderer());
    renderer.Stops = EvenStops({kRed, kWhite, kBlack});
    renderer.Update();
    RasterDrawer drawer;
    QImage image = DrawAlone(drawer, layer);
    EXPECT_EQ(CellPixel(image, 0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(CellPixel(image, 3, 1), qRgb(0, 0, 0));
    renderer.Stops = EvenStops(ColorRampNamed("viridis").Colors);
    renderer.Update();
    image = DrawAlone(drawer, layer);
    EXPECT_EQ(CellPixel(image, 0, 0), qRgb(0x44, 0x01, 0x54));
    EXPECT_EQ(CellPixel(image, 3, 0), qRgb(0xfd, 0xe7, 0x25));
    EXPECT_EQ(drawer.Counts().Colorizations, 2);
    EXPECT_EQ(drawer.Counts().BandReads, 1) << "the cells were kept";
    renderer.Stops.clear(); // back to from and to
    renderer.Update();
    EXPECT_EQ(CellPixel(DrawAlone(drawer, layer), 3, 0), qRgb(255, 255, 255));
}

class RgbRasterTest : public ::testing::Test {
protected:
    std::string Path(const std::string& name) const { return (folder_ / name).string(); }
    testing::ScratchFolder folder_;
};

TEST_F(RgbRasterTest, AnRgbGeoTiffIsDrawnInItsOwnColours) {
    // Column c of row r: red 60 * c, green 200 * r, blue 255 - 60 * c.
    WriteTiff(Path("photo.tif"), 3, GDT_Byte, {"PHOTOMETRIC=RGB"}, [](int band, int column, int row) {
        return band == 1 ? 60.0 * column : band == 2 ? 200.0 * row : 255.0 - 60.0 * column;
    });
    const std::shared_ptr<RasterDataset> raster = RasterDataset::Open(Path("photo.tif"));
    EXPECT_EQ(raster->ColorOf(1), BandColor::Red);
    EXPECT_EQ(raster->ColorOf(3), BandColor::Blue);
    EXPECT_TRUE(raster->EightBit(2));
    ASSERT_EQ(ColorBandsOf(*raster), (std::array<int32_t, 4>{1, 2, 3, 0}));

    RasterLayer layer(raster);
    layer.Renderer(ColorBandsRenderer(raster));
    RasterDrawer drawer;
    const QImage image = DrawAlone(drawer, layer);
    for (int row = 0; row < 2; ++row) {
        for (int column = 0; column < 4; ++column) {
            EXPECT_EQ(CellPixel(image, column, row), qRgb(60 * column, 200 * row, 255 - 60 * column))
                << column << "," << row;
        }
    }
    DrawAlone(drawer, layer);
    EXPECT_EQ(drawer.Counts().Compositions, 1) << "the composite is kept";
    EXPECT_EQ(drawer.Counts().BandReads, 3);
}

TEST_F(RgbRasterTest, TheAlphaBandMakesCellsTransparent) {
    WriteTiff(Path("alpha.tif"), 4, GDT_Byte, {"PHOTOMETRIC=RGB", "ALPHA=YES"}, [](int band, int column, int) {
        return band == 4 ? (column == 0 ? 0.0 : 255.0) : band == 1 ? 200 : 0;
    });
    const std::shared_ptr<RasterDataset> raster = RasterDataset::Open(Path("alpha.tif"));
    ASSERT_EQ(ColorBandsOf(*raster), (std::array<int32_t, 4>{1, 2, 3, 4}));
    RasterLayer layer(raster);
    layer.Renderer(ColorBandsRenderer(raster));
    RasterDrawer drawer;
    const QImage image = DrawAlone(drawer, layer);
    EXPECT_EQ(CellPixel(image, 0, 0), qRgb(255, 255, 255)) << "transparent: the white below shows";
    EXPECT_EQ(CellPixel(image, 1, 1), qRgb(200, 0, 0));
}

TEST_F(RgbRasterTest, WiderBandsAreStretchedAndMeasuredRastersAreNotColourBands) {
    // 16-bit channels from 0 to 1000: stretched onto 0..255.
    WriteTiff(Path("wide.tif"), 3, GDT_UInt16, {"PHOTOMETRIC=RGB"}, [](int band, int column, int) {
        return band == 1 ? 1000.0 * column / 3.0 : band == 2 ? 0.0 : 500.0 + column;
    });
    const std::shared_ptr<RasterDataset> raster = RasterDataset::Open(Path("wide.tif"));
    EXPECT_FALSE(raster->EightBit(1));
    RasterLayer layer(raster);
    layer.Renderer(ColorBandsRenderer(raster));
    RasterDrawer drawer;
    const QImage image = DrawAlone(drawer, layer);
    EXPECT_EQ(qRed(CellPixel(image, 0, 0)), 0);
    EXPECT_EQ(qRed(CellPixel(image, 3, 0)), 255);
    EXPECT_NEAR(qRed(CellPixel(image, 1, 0)), 85, 1);
    EXPECT_EQ(qBlue(CellPixel(image, 3, 0)), 255);

    // Three float bands of measurements say nothing of colour.
    WriteTiff(Path("rain.tif"), 3, GDT_Float32, {}, [](int band, int, int) { return band; });
    EXPECT_FALSE(ColorBandsOf(*RasterDataset::Open(Path("rain.tif"))));
    EXPECT_EQ(ColorBandsRenderer(RasterDataset::Open(Path("rain.tif"))), nullptr);
}

TEST_F(RgbRasterTest, AnRgbRendererAskingForAMissingBandRaises) {
    WriteTiff(Path("photo.tif"), 3, GDT_Byte, {"PHOTOMETRIC=RGB"}, [](int, int, int) { return 1.0; });
    RasterLayer layer(RasterDataset::Open(Path("photo.tif")));
    auto renderer = std::make_shared<RasterRGBRenderer>();
    renderer->AlphaBand = 4;
    layer.Renderer(renderer);
    RasterDrawer drawer;
    EXPECT_THROW(DrawAlone(drawer, layer), platform::AutomationError);
}

TEST_F(RgbRasterTest, AnMbtilesBasemapOpensWithColourBands) {
    RegisterGdalDrivers();
    GDALDriverH mbtiles = GDALGetDriverByName("MBTiles");
    if (mbtiles == nullptr) {
        GTEST_SKIP() << "this GDAL has no MBTiles driver";
    }
    // A 256 by 256 tile in web mercator, copied from memory.
    GDALDatasetH source = GDALCreate(GDALGetDriverByName("MEM"), "", 256, 256, 3, GDT_Byte, nullptr);
    double transform[6] = {0.0, 100.0, 0.0, 25600.0, 0.0, -100.0};
    GDALSetGeoTransform(source, transform);
    OGRSpatialReferenceH mercator = OSRNewSpatialReference(nullptr);
    OSRImportFromEPSG(mercator, 3857);
    GDALSetSpatialRef(source, mercator);
    OSRDestroySpatialReference(mercator);
    const GDALColorInterp colours[] = {GCI_RedBand, GCI_GreenBand, GCI_BlueBand};
    for (int band = 1; band <= 3; ++band) {
        GDALSetRasterColorInterpretation(GDALGetRasterBand(source, band), colours[band - 1]);
        GDALFillRaster(GDALGetRasterBand(source, band), band == 1 ? 220.0 : 30.0, 0.0);
    }
    GDALDatasetH copy = GDALCreateCopy(mbtiles, Path("base.mbtiles").c_str(), source, FALSE, nullptr, nullptr, nullptr);
    GDALClose(source);
    ASSERT_NE(copy, nullptr);
    GDALClose(copy);
    const std::shared_ptr<RasterDataset> raster = RasterDataset::Open(Path("base.mbtiles"));
    const auto bands = ColorBandsOf(*raster);
    ASSERT_TRUE(bands);
    EXPECT_EQ((*bands)[0], 1);
    EXPECT_EQ((*bands)[2], 3);
    EXPECT_EQ((*bands)[3], 4) << "MBTiles carry an alpha band";
}

} // namespace
} // namespace chronova::gis
