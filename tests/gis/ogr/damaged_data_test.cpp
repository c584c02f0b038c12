// Damaged copies of data files: a read GDAL could not finish raises, naming the file and GDAL's reason, whichever
// way the layer is read; nothing partial is handed out or kept in the column cache.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <string>

#include "gis/data/raster_dataset.h"
#include "gis/ogr/column_cache.h"
#include "gis/ogr/columnar_reader.h"
#include "gis/ogr/ogr_workspace.h"
#include "support/error_number.h"
#include "support/gdal_fixtures.h"
#include "support/scratch_folder.h"

namespace chronova::gis {
namespace {

namespace fs = std::filesystem;

// Ships with a date (read at once by the quick reads) and a text (read on use), enough rows that half of each file
// holds only some of them.
testing::FixtureLayer Ships() {
    testing::FixtureLayer ships{"ships", wkbPoint, {{"WHEN", OFTDate}, {"DTG", OFTString, OFSTNone, 20}}, {}};
    for (int i = 0; i < 400; ++i) {
        ships.rows.push_back(testing::PointRow(i, -i, {testing::FixtureDate{2008, 3, 1 + i % 28}, "010300Z MAR 2008"}));
    }
    return ships;
}

void CutInHalf(const fs::path& file) {
    fs::resize_file(file, fs::file_size(file) / 2);
}

// Passes when the call raises number with a description that holds every one of texts.
template <class F>
::testing::AssertionResult RaisesNaming(F&& call, int32_t number, std::initializer_list<std::string> texts) {
    const platform::AutomationError error = testing::ErrorOf(call);
    bool named = error.Number() == number;
    for (const std::string& text : texts) {
        named = named && error.Description().find(text) != std::string::npos;
    }
    if (named) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "raised " << error.Number() << " '" << error.Description() << "'";
}

// Every way a layer is read: by batches or by features, whole, shapes beside attributes, fields on use.
std::vector<LayerReadOptions> EveryRead() {
    std::vector<LayerReadOptions> reads;
    for (const ReadMethod method : {ReadMethod::Automatic, ReadMethod::Arrow, ReadMethod::Features}) {
        for (const auto& [on_use, parallel] :
             {std::pair{false, false}, std::pair{false, true}, std::pair{true, true}}) {
            LayerReadOptions options;
            options.Method = method;
            options.OtherFieldsOnUse = on_use;
            options.Parallel = parallel;
            reads.push_back(options);
        }
    }
    return reads;
}

std::string Describe(const LayerReadOptions& options) {
    const char* methods[] = {"automatic", "arrow", "features"};
    return std::string(methods[static_cast<int>(options.Method)]) + (options.Parallel ? " parallel" : "") +
           (options.OtherFieldsOnUse ? " on use" : "");
}

// Expects no error, or 75 naming the file; returns 1 for an error.
size_t ExpectNoneOrNaming(const platform::AutomationError& error, const std::string& file) {
    if (error.Number() == 0) {
        return 0;
    }
    EXPECT_EQ(error.Number(), 75) << error.Description();
    EXPECT_NE(error.Description().find(file), std::string::npos) << error.Description();
    return 1;
}

class DamagedDataTest : public ::testing::Test {
protected:
    std::string WriteShips() {
        testing::WriteShapefile(folder_.Path(), Ships());
        return (folder_ / "ships.shp").string();
    }
    testing::ScratchFolder folder_;
};

TEST_F(DamagedDataTest, AShapefileCutShortRaisesNamingThePartAndGdalsReason) {
    const std::string whole = WriteShips();
    for (const LayerReadOptions& options : EveryRead()) {
        ASSERT_RAISES(ReadLayer(whole, "", "FID", options), 0) << Describe(options);
    }
    // Each part cut in half in a copy of its own, with what GDAL says of it.
    for (const auto& [extension, reason] :
         {std::pair{".dbf", "failed on DBF file"}, std::pair{".shp", ".shp file"}, std::pair{".shx", ".shx file"}}) {
        const fs::path copy = folder_ / (std::string("cut") + extension);
        fs::create_directory(copy);
        for (const char* part : {".shp", ".shx", ".dbf"}) {
            fs::copy_file(folder_ / (std::string("ships") + part), copy / (std::string("ships") + part));
        }
        CutInHalf(copy / (std::string("ships") + extension));
        const fs::path cut = copy / (std::string("ships") + extension);
        for (const LayerReadOptions& options : EveryRead()) {
            EXPECT_TRUE(RaisesNaming([&] { ReadLayer((copy / "ships.shp").string(), "", "FID", options); }, 75,
                                     {cut.string(), reason}))
                << extension << " " << Describe(options);
        }
    }
}

TEST_F(DamagedDataTest, AFieldReadOnUseFromAFileCutSinceRaisesAndKeepsNothing) {
    const std::string shp = WriteShips();
    LayerReadOptions options;
    options.OtherFieldsOnUse = true;
    options.Parallel = true;
    const LayerContents contents = ReadLayer(shp, "", "FID", options);
    const auto dtg = static_cast<size_t>(contents.Data->FindField("DTG"));
    ASSERT_FALSE(contents.Data->IsLoaded(dtg));

    CutInHalf(folder_ / "ships.dbf");
    EXPECT_TRUE(RaisesNaming([&] { contents.Data->ColumnAt(dtg); }, 75,
                             {(folder_ / "ships.dbf").string(), "failed on DBF file"}));
    EXPECT_FALSE(contents.Data->IsLoaded(dtg));
    // The loader the column cache gives a cached table reads the same way.
    Column column(FieldType::String);
    EXPECT_TRUE(RaisesNaming([&] { FieldReader(shp, "", "FID", options)(dtg, column); }, 75, {"ships.dbf"}));
}

TEST_F(DamagedDataTest, AShapefileWithoutItsIndexOrTableNamesTheMissingFile) {
    const std::string shp = WriteShips();
    fs::rename(folder_ / "ships.dbf", folder_ / "aside.dbf");
    EXPECT_TRUE(RaisesNaming([&] { ReadLayer(shp, "", "FID"); }, 53, {(folder_ / "ships.dbf").string(), "missing"}));
    // Read through a folder of shapefiles, or as a vector file of its own.
    EXPECT_TRUE(RaisesNaming([&] { OpenWorkspace(folder_.Path().string())->OpenFeatureClass("ships")->Shapes(); }, 53,
                             {"ships.dbf is missing"}));
    EXPECT_TRUE(RaisesNaming([&] { OpenWorkspace(shp); }, 53, {"ships.dbf is missing"}));

    // GDAL looks for the parts in either letter case, and so does the check.
    fs::rename(folder_ / "aside.dbf", folder_ / "ships.DBF");
    EXPECT_RAISES(ReadLayer(shp, "", "FID"), 0);
    fs::rename(folder_ / "ships.shx", folder_ / "aside.shx");
    EXPECT_TRUE(RaisesNaming([&] { ReadLayer(shp, "", "FID"); }, 53, {(folder_ / "ships.shx").string(), "missing"}));
}

TEST_F(DamagedDataTest, AFailedReadIsNeverCached) {
    testing::ScopedEnvironment cache("CHRONOVA_COLUMN_CACHE_FOLDER", (folder_ / "cache").string());
    WriteShips();
    CutInHalf(folder_ / "ships.dbf");
    const auto ships = OpenWorkspace(folder_.Path().string())->OpenFeatureClass("ships");
    EXPECT_RAISES(ships->Shapes(), 75);
    // A second ask reads again rather than handing out what the first left.
    EXPECT_RAISES(ships->Data(), 75);
    WaitForColumnCacheWrites();
    EXPECT_FALSE(fs::exists(folder_ / "cache") && !fs::is_empty(folder_ / "cache"));
}

TEST_F(DamagedDataTest, AGeoPackageWithADamagedPageReadsWholeOrRaises) {
    const fs::path whole = folder_ / "whole.gpkg";
    testing::WriteGeoPackage(whole, {Ships()});
    const LayerContents expected = ReadLayer(whole.string(), "ships", "");
    const fs::path damaged = folder_ / "damaged.gpkg";
    // SQLite keeps a table in pages of 4096 bytes; where the rows' pages lie is SQLite's choice, so every page past
    // the file's header is damaged in turn. A page nothing reads changes nothing; any other must fail the read.
    const size_t pages = fs::file_size(whole) / 4096;
    size_t raised = 0;
    for (size_t page = 1; page < pages; ++page) {
        fs::copy_file(whole, damaged, fs::copy_options::overwrite_existing);
        std::fstream bytes(damaged, std::ios::in | std::ios::out | std::ios::binary);
        bytes.seekp(static_cast<std::streamoff>(page * 4096));
        const std::string garbage(4096, '\xff');
        bytes.write(garbage.data(), static_cast<std::streamsize>(garbage.size()));
        bytes.close();
        for (const LayerReadOptions& options : EveryRead()) {
            const platform::AutomationError error = testing::ErrorOf([&] {
                const LayerContents read = ReadLayer(damaged.string(), "ships", "", options);
                ASSERT_EQ(read.Data->RowCount(), expected.Data->RowCount()) << "page " << page;
                EXPECT_EQ(read.Shapes->X, expected.Shapes->X) << "page " << page;
                const auto dtg = static_cast<size_t>(expected.Data->FindField("DTG"));
                EXPECT_EQ(read.Data->ColumnAt(dtg).Texts(), expected.Data->ColumnAt(dtg).Texts()) << "page " << page;
            });
            raised += ExpectNoneOrNaming(error, damaged.string());
        }
        // Opened as a workspace, as a map opens it: its list of layers comes from the file too.
        const platform::AutomationError error = testing::ErrorOf([&] {
            const auto ships = OpenWorkspace(damaged.string())->OpenFeatureClass("ships");
            EXPECT_EQ(ships->Shapes()->X, expected.Shapes->X) << "page " << page;
        });
        raised += ExpectNoneOrNaming(error, damaged.string());
    }
    EXPECT_GT(raised, 0U); // else no page held the rows, and the test proved nothing
}

TEST_F(DamagedDataTest, ARasterCutShortRaisesNamingTheFile) {
    testing::GeoTiffLayout layout;
    layout.bands = 3;
    layout.width = 64;
    layout.height = 64;
    const fs::path file = folder_ / "rain.tif";
    testing::WriteGeoTiff(file, layout, [](int band, int x, int y) { return band * 1000.0 + x + y; });
    CutInHalf(file);
    const auto raster = RasterDataset::Open(file.string());
    EXPECT_TRUE(RaisesNaming([&] { raster->ReadBand(2); }, 75, {file.string(), "band 2"}));
    EXPECT_TRUE(RaisesNaming([&] { raster->Statistics(3); }, 75, {file.string(), "band 3"}));
}

} // namespace
} // namespace chronova::gis
