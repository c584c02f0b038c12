// The window's map document on the running host: projects opened into the host's own registry, what a save writes
// back, the data files Add Data accepts, and the recent files list.

#include <fstream>

#include "apps/desktop/desktop_host.h"
#include "apps/desktop/map_document.h"
#include "apps/desktop/recent_files.h"
#include "desktop/desktop_fixture.h"
#include "gis/layers/layer.h"
#include "gis/map/application.h"
#include "gis/map/document.h"
#include "gis/map/map.h"
#include "platform/automation_error.h"
#include "project/project_file.h"
#include "registry/chronova_data.h"

namespace chronova::desktop {
namespace {

namespace fs = std::filesystem;
using testing::DesktopTest;

class MapDocumentTest : public DesktopTest {
protected:
    void StartHost() {
        host_ = std::make_unique<DesktopHost>(nullptr, DialogServices::Installed);
        document_ = std::make_unique<MapDocument>(host_->App());
    }
    void TearDown() override {
        document_.reset();
        host_.reset();
        DesktopTest::TearDown();
    }
    std::shared_ptr<gis::ILayer> Layer(const std::string& project_name) {
        for (const auto& layer : host_->App().Document()->FocusMap()->Layers(nullptr, true)) {
            if (document_->ProjectName(*layer) == project_name) {
                return layer;
            }
        }
        return nullptr;
    }

    std::unique_ptr<DesktopHost> host_;
    std::unique_ptr<MapDocument> document_;
};

TEST_F(MapDocumentTest, ProjectsOpenIntoTheHostsRegistryWhichOutlivesThem) {
    StartHost();
    ChronovaData* registry = g_pChronovaData.get();
    ASSERT_NE(registry, nullptr);
    document_->Open(DemoProject());
    EXPECT_EQ(g_pApp.get(), &host_->App());
    EXPECT_EQ(g_pChronovaData.get(), registry);
    EXPECT_TRUE(registry->Valid());
    EXPECT_TRUE(registry->FindLayer(Layer("Storm track")));

    document_->Open(WriteDotsProject()); // the previous session ends; the host and its registry stay
    EXPECT_EQ(g_pChronovaData.get(), registry);
    EXPECT_EQ(host_->App().Document()->FocusMap()->LayerCount(), 1);
    EXPECT_TRUE(registry->FindLayer(Layer("Dots")));

    const fs::path missing = folder_ / "missing.chronova.json";
    std::ofstream(missing) << R"({ "chronova_project": 1, "layers": [ { "name": "Ghost", "kind": "raster",
        "source": { "path": "ghost.tif" } } ] })";
    EXPECT_THROW(document_->Open(missing), platform::AutomationError);
    EXPECT_EQ(host_->App().Document()->FocusMap()->LayerCount(), 0);
    EXPECT_EQ(g_pChronovaData.get(), registry);
    EXPECT_FALSE(registry->Valid());
    EXPECT_TRUE(document_->FilePath().empty());
}

TEST_F(MapDocumentTest, ASnapshotWritesTheTimeLayersAsTheRegistryHoldsThem) {
    StartHost();
    document_->Open(DemoProject());
    const project::Project opened = project::LoadProject(DemoProject());
    const project::Project unchanged = document_->Snapshot(folder_ / "copy.json");
    ASSERT_EQ(unchanged.AllLayers().size(), opened.AllLayers().size());
    for (const project::LayerEntry* entry : opened.AllLayers()) {
        const project::LayerEntry* copy = unchanged.FindLayer(entry->Name);
        ASSERT_NE(copy, nullptr) << entry->Name;
        ASSERT_EQ(copy->Time.has_value(), entry->Time.has_value()) << entry->Name;
        if (entry->Time) {
            EXPECT_EQ(copy->Time->Field, entry->Time->Field) << entry->Name;
            EXPECT_EQ(copy->Time->Join.has_value(), entry->Time->Join.has_value()) << entry->Name;
            EXPECT_EQ(copy->Time->PreviousSteps, entry->Time->PreviousSteps) << entry->Name;
            EXPECT_EQ(copy->Time->Vectors.has_value(), entry->Time->Vectors.has_value()) << entry->Name;
        }
    }
    const project::TimeSettings& rain = *unchanged.FindLayer("Rain, first day")->Time;
    ASSERT_TRUE(rain.Raster.has_value());
    EXPECT_EQ(rain.Raster->Interval, 3600);
    EXPECT_EQ(rain.Raster->Unit, "h");
    EXPECT_EQ(unchanged.FindLayer("Stations")->Time->Join->Table, "OBS");
    EXPECT_TRUE(unchanged.Display.FillGaps);

    // What the user changes through the registry is what gets saved.
    ChronovaData& registry = *g_pChronovaData;
    registry.RemoveLayer(Layer("Ship tracks"));
    const auto buoys = Layer("Buoys");
    registry.RemoveLayer(buoys);
    ASSERT_TRUE(registry.AddGeoDatabaseLayer(buoys, "WHEN"));
    registry.Display(DisplayOptions{kDisplayUniquePoints, false, true, true});
    const project::Project changed = document_->Snapshot(folder_ / "copy.json");
    EXPECT_FALSE(changed.FindLayer("Ship tracks")->Time.has_value());
    EXPECT_FALSE(changed.FindLayer("Buoys")->Time->PreviousSteps);
    EXPECT_EQ(changed.Display.Type, project::DisplayType::Unique);
    EXPECT_TRUE(changed.Display.Loop);
}

TEST_F(MapDocumentTest, WithoutARegistryTheLayersOpenAndKeepTheirTimeSettings) {
    Register(false);
    StartHost();
    EXPECT_EQ(g_pChronovaData, nullptr);
    document_->Open(DemoProject());
    EXPECT_EQ(host_->App().Document()->FocusMap()->LayerCount(), 8);
    const project::Project snapshot = document_->Snapshot(folder_ / "copy.json");
    EXPECT_EQ(snapshot.FindLayer("Stations")->Time->Field, "TIME");
    EXPECT_EQ(snapshot.Time.RangeLayer, std::optional<std::string>("Storm track"));
}

TEST_F(MapDocumentTest, DataFilesOfferTheirFeatureClassesOrAreRasters) {
    const DataFileContents geopackage = InspectDataFile(SampleFile("storms.gpkg"));
    EXPECT_EQ(geopackage.Kind, project::LayerKind::Feature);
    EXPECT_EQ(geopackage.Datasets, (std::vector<std::string>{"storm_track", "buoys"}));
    const DataFileContents shapefile = InspectDataFile(SampleFile("ships/ship_tracks.shp"));
    EXPECT_EQ(shapefile.Source, SampleFile("ships"));
    EXPECT_EQ(shapefile.Datasets, std::vector<std::string>{"ship_tracks"});
    EXPECT_EQ(InspectDataFile(SampleFile("rain.tif")).Kind, project::LayerKind::Raster);
    std::ofstream(folder_ / "fixes.geojson") << R"({"type": "FeatureCollection", "features": [
        {"type": "Feature", "properties": {"WHEN": "2008-03-01T00:00:00"},
         "geometry": {"type": "Point", "coordinates": [1, 2]}}]})";
    const DataFileContents geojson = InspectDataFile(folder_ / "fixes.geojson");
    EXPECT_EQ(geojson.Kind, project::LayerKind::Feature);
    EXPECT_EQ(geojson.Source, folder_ / "fixes.geojson");
    EXPECT_EQ(geojson.Datasets, std::vector<std::string>{"fixes"});
    EXPECT_THROW(InspectDataFile(SampleFile("buoys.csv")), platform::AutomationError);
    EXPECT_THROW(InspectDataFile(SampleFile("nothing.shp")), platform::AutomationError);
}

TEST_F(MapDocumentTest, RecentFilesKeepTheNewestEightOnceEach) {
    for (int i = 0; i < 10; ++i) {
        RecentFiles::Add(folder_ / ("p" + std::to_string(i) + ".json"));
    }
    RecentFiles::Add(folder_ / "p5.json");
    const std::vector<fs::path> files = RecentFiles::Load();
    ASSERT_EQ(files.size(), RecentFiles::kKept);
    EXPECT_EQ(files[0], folder_ / "p5.json");
    EXPECT_EQ(files[1], folder_ / "p9.json");
    EXPECT_EQ(std::count(files.begin(), files.end(), folder_ / "p5.json"), 1);
    EXPECT_EQ(files.back(), folder_ / "p2.json");
    EXPECT_EQ(RecentFiles::Remove(folder_ / "p9.json").size(), RecentFiles::kKept - 1);
}

} // namespace
} // namespace chronova::desktop
