#include "generator/sample_data.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <memory>
#include <set>

#include <sys/stat.h>

#include "datetime/mod_date_time.h"
#include "generator/sample_scene.h"
#include "gis/data/raster_dataset.h"
#include "gis/layers/open_layers.h"
#include "gis/ogr/ogr_workspace.h"
#include "platform/locale.h"
#include "plugins/moving_points/moving_points_layer.h"
#include "project/project_file.h"
#include "records/layer_data.h"
#include "registry/globals.h"
#include "support/scratch_folder.h"
#include "timeapply/arc_objects.h"
#include "timeapply/raster_side_files.h"

namespace chronova::sample_data {
namespace {

namespace fs = std::filesystem;
using gis::FieldType;
using testing::ReadContents;
using testing::ScratchFolder;

// Every file under a folder, by its path relative to the folder.
std::set<fs::path> FilesUnder(const fs::path& folder) {
    std::set<fs::path> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file()) {
            files.insert(fs::relative(entry.path(), folder));
        }
    }
    return files;
}

// A file's identity on disk: a rewrite, even with the same bytes, changes it.
std::pair<ino_t, int64_t> Identity(const fs::path& file) {
    struct stat status {};
    ::stat(file.c_str(), &status);
    return {status.st_ino, status.st_mtim.tv_sec * 1000000000LL + status.st_mtim.tv_nsec};
}

// One generated folder serves the tests that only read it.
class SampleDataTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        folder_ = std::make_unique<ScratchFolder>();
        GenerateSampleData(folder_->Path());
    }
    static void TearDownTestSuite() { folder_.reset(); }
    void SetUp() override { ResetGlobals(); }
    void TearDown() override { ResetGlobals(); }

    static std::string File(const fs::path& name) { return (folder_->Path() / name).string(); }

    static std::unique_ptr<ScratchFolder> folder_;
    platform::ScopedLocale us_{"en-US"};
};
std::unique_ptr<ScratchFolder> SampleDataTest::folder_;

struct ExpectedTable {
    const char* Workspace;
    const char* Dataset;
    gis::GeometryType Shape; ///< Null for a table without shapes
    size_t Rows;
    std::vector<std::pair<std::string, FieldType>> Fields;
};

TEST_F(SampleDataTest, DatasetsReadBackWithTheirFieldsAndRows) {
    constexpr auto kPoint = gis::GeometryType::Point;
    constexpr FieldType kDate = FieldType::Date;
    constexpr FieldType kReal = FieldType::Double;
    constexpr FieldType kLong = FieldType::Integer;
    constexpr FieldType kText = FieldType::String;
    size_t ship_reports = 0;
    for (const Track& ship : ShipTracks()) {
        ship_reports += ship.Fixes.size();
    }
    const size_t observations = Observations(Stations(), StormTrack()).size();
    const ExpectedTable expected[] = {
        {"storms.gpkg",
         "storm_track",
         kPoint,
         48,
         {{"WHEN", kDate}, {"SPEED", kReal}, {"DIR", kReal}, {"NAME", kText}}},
        {"storms.gpkg", "buoys", kPoint, 960, {{"BUOY_ID", kLong}, {"WHEN", kDate}, {"SPEED", kReal}, {"DIR", kReal}}},
        {"ships", "ship_tracks", kPoint, ship_reports, {{"DTG", kText}, {"SHIP", kText}}},
        {"stations.gpkg", "STATIONS", kPoint, Stations().size(), {{"ID", kLong}, {"NAME", kText}}},
        {"stations.gpkg",
         "OBS",
         gis::GeometryType::Null,
         observations,
         {{"OBS_ID", kLong}, {"STATION_ID", kLong}, {"TIME", kDate}, {"TEMP", kReal}}},
        {"coast.gpkg", "land", gis::GeometryType::Polygon, 2, {{"NAME", kText}}},
    };
    for (const ExpectedTable& table : expected) {
        SCOPED_TRACE(table.Dataset);
        const auto workspace = gis::OpenWorkspace(File(table.Workspace));
        std::shared_ptr<gis::ITable> opened;
        if (table.Shape == gis::GeometryType::Null) {
            opened = workspace->OpenTable(table.Dataset);
        } else {
            const auto feature_class = workspace->OpenFeatureClass(table.Dataset);
            EXPECT_EQ(feature_class->ShapeType(), table.Shape);
            opened = feature_class;
        }
        const auto data = opened->Data();
        EXPECT_EQ(data->RowCount(), table.Rows);
        for (const auto& [name, type] : table.Fields) {
            const int32_t index = data->FindField(name);
            ASSERT_GE(index, 0) << name;
            EXPECT_EQ(data->Fields()[static_cast<size_t>(index)].Type, type) << name;
        }
    }
}

struct ExpectedSteps {
    int16_t Type;
    int32_t Count;
    int FirstHour;
    int LastHour;
    int32_t Interval;
};

void ExpectSteps(LayerData& record, const ExpectedSteps& expected) {
    ASSERT_TRUE(ArcObjects::RetrieveTimeInfo(&record));
    EXPECT_EQ(record.TimeFieldType, expected.Type);
    EXPECT_EQ(record.TimeStepsCount(), expected.Count);
    EXPECT_EQ(record.StartTime, MinutesAtHour(expected.FirstHour));
    EXPECT_EQ(record.FinishTime, MinutesAtHour(expected.LastHour));
    EXPECT_EQ(record.Interval, expected.Interval);
}

// Records are not copied: the registry holds each by reference.
std::unique_ptr<LayerData> FeatureRecord(const std::string& workspace, const std::string& dataset,
                                         const std::string& field) {
    auto record = std::make_unique<LayerData>();
    record->TheLayer = gis::OpenFeatureLayer(workspace, dataset);
    record->TimeStepField = field;
    record->IncludesTimeSteps = true;
    return record;
}

std::unique_ptr<LayerData> RasterRecord(const std::string& path, int32_t start) {
    auto record = std::make_unique<LayerData>();
    auto layer = gis::OpenRasterLayer(path);
    record->RasterBandCount = layer->BandCount();
    record->TheLayer = std::move(layer);
    record->IsRasterLayer = true;
    record->TimeStepField = "NotNeeded";
    record->Path = fs::path(path).replace_extension("ini").string();
    record->RasterStartTime = start;
    record->RasterIntervalUnits = "h";
    return record;
}

TEST_F(SampleDataTest, EveryTimeLayerStepsThroughTheWindow) {
    ExpectSteps(*FeatureRecord(File("storms.gpkg"), "storm_track", "WHEN"), {1, 48, 0, 47, 60});
    ExpectSteps(*FeatureRecord(File("storms.gpkg"), "buoys", "WHEN"), {1, 48, 0, 47, 60});
    ExpectSteps(*FeatureRecord(File("ships"), "ship_tracks", "DTG"), {3, 48, 0, 47, 60});

    const auto stations = FeatureRecord(File("stations.gpkg"), "STATIONS", "TIME");
    stations->IncludesTimeSteps = false;
    stations->isJoined = true;
    stations->JoinTable = "OBS";
    stations->HostKeyField = "ID";
    stations->ForeignKeyField = "STATION_ID";
    stations->PrimaryKeyField = "OBS_ID";
    ExpectSteps(*stations, {1, 16, 0, 45, 180});

    // rain.tif is timed by its start and interval; rain_steps.tif by its step list, which ignores the start.
    ExpectSteps(*RasterRecord(File("rain.tif"), WindowStartMinutes()), {2, 24, 0, 23, 60});
    ExpectSteps(*RasterRecord(File("rain_steps.tif"), 0), {3, 24, 24, 47, 60});

    const auto drifters = std::make_unique<LayerData>();
    drifters->TheLayer = plugins::MovingPointsLayer::Open(File("buoys.csv"));
    drifters->IsTimeLayer = true;
    drifters->TimeStepField = "TIME";
    ExpectSteps(*drifters, {1, 48, 0, 47, 60});
}

TEST_F(SampleDataTest, RainBandsAreHourlyAndTheirRainSitsUnderTheStorm) {
    EXPECT_FALSE(fs::exists(File("rain.xml"))) << "rain.tif is the raster without a step list";
    const auto list = ReadRasterStepList(File("rain_steps.xml"));
    ASSERT_TRUE(list);
    EXPECT_EQ(list->Problem, "");
    const std::vector<std::string>& steps = list->Steps;
    ASSERT_EQ(steps.size(), 24u);
    EXPECT_EQ(steps.front(), "020000Z MAR 2008");
    EXPECT_EQ(steps.back(), "022300Z MAR 2008");

    const Track storm = StormTrack();
    for (const auto& [name, first_hour] : {std::pair{"rain.tif", 0}, std::pair{"rain_steps.tif", 24}}) {
        SCOPED_TRACE(name);
        const auto raster = gis::RasterDataset::Open(File(name));
        ASSERT_EQ(raster->BandCount(), 24);
        ASSERT_EQ(raster->Width(), 256);
        ASSERT_EQ(raster->Height(), 192);
        const gis::Envelope extent = raster->Extent();
        EXPECT_DOUBLE_EQ(extent.XMin, kRegion.West);
        EXPECT_DOUBLE_EQ(extent.YMin, kRegion.South);
        EXPECT_DOUBLE_EQ(extent.XMax, kRegion.East);
        EXPECT_DOUBLE_EQ(extent.YMax, kRegion.North);
        const double cell = (kRegion.East - kRegion.West) / 256.0;
        for (int band = 1; band <= 24; band += 23) {
            const std::vector<float> cells = raster->ReadBand(band);
            const size_t dry =
                static_cast<size_t>(std::count_if(cells.begin(), cells.end(), [](float v) { return std::isnan(v); }));
            EXPECT_GT(dry, cells.size() / 2) << "most of the map has no rain";
            size_t wettest = 0;
            for (size_t i = 0; i < cells.size(); ++i) {
                if (!std::isnan(cells[i]) && (std::isnan(cells[wettest]) || cells[i] > cells[wettest])) {
                    wettest = i;
                }
            }
            const GeoPoint centre = storm.Fixes[static_cast<size_t>(first_hour + band - 1)].Position;
            EXPECT_NEAR(kRegion.West + (static_cast<double>(wettest % 256) + 0.5) * cell, centre.Lon, 0.5) << band;
            EXPECT_NEAR(kRegion.North - (static_cast<double>(wettest / 256) + 0.5) * cell, centre.Lat, 0.5) << band;
        }
    }
}

TEST_F(SampleDataTest, TheDemoProjectIsTheRepositorysAndNamesOnlyFilesThatExist) {
    EXPECT_EQ(ReadContents(File(std::string(kDemoProjectFileName))), ReadContents(CHRONOVA_DEMO_PROJECT_SOURCE));
    const project::Project demo = project::LoadProject(File(std::string(kDemoProjectFileName)));
    std::set<project::LayerKind> kinds;
    for (const project::LayerEntry* layer : demo.AllLayers()) {
        kinds.insert(layer->Kind);
        for (const fs::path& path : {layer->Source.Workspace, layer->Source.Path}) {
            EXPECT_TRUE(path.empty() || fs::exists(path)) << layer->Name << ": " << path;
        }
    }
    EXPECT_EQ(kinds.size(), 5u) << "the demo shows every kind of layer";
    EXPECT_EQ(demo.Export.Width, 1024);
    EXPECT_EQ(demo.Export.Height, 768);
    EXPECT_EQ(demo.Export.Fps, 6);
    EXPECT_EQ(demo.Time.Interval, 60);
}

TEST(SampleDataRunsTest, RunsGiveTheSameBytes) {
    ScratchFolder first;
    ScratchFolder second;
    GenerateSampleData(first.Path());
    GenerateSampleData(second.Path());
    const std::set<fs::path> files = FilesUnder(first.Path());
    EXPECT_EQ(files, FilesUnder(second.Path()));
    for (const fs::path& file : files) {
        EXPECT_TRUE(ReadContents(first / file) == ReadContents(second / file)) << file << " differs";
    }
}

TEST(SampleDataRunsTest, ALaterRunKeepsWhatIsThereAndRestoresWhatIsNot) {
    ScratchFolder folder;
    GenerateSampleData(folder.Path());
    const fs::path storms = folder / "storms.gpkg";
    const std::string storms_bytes = ReadContents(storms);
    const std::string csv_text = ReadContents(folder / "buoys.csv");
    const auto rain = Identity(folder / "rain.tif");
    const auto project = Identity(folder / std::string(kDemoProjectFileName));

    GenerateSampleData(folder.Path());
    EXPECT_EQ(Identity(folder / "rain.tif"), rain);
    EXPECT_EQ(Identity(folder / std::string(kDemoProjectFileName)), project) << "the same text is not rewritten";

    fs::remove(storms);
    std::ofstream(folder / "buoys.csv") << "TIME,X,Y\n";
    GenerateSampleData(folder.Path());
    EXPECT_TRUE(ReadContents(storms) == storms_bytes);
    EXPECT_EQ(ReadContents(folder / "buoys.csv"), csv_text);
    EXPECT_EQ(Identity(folder / "rain.tif"), rain);
}

} // namespace
} // namespace chronova::sample_data
