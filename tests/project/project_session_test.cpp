#include "project/project_session.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "datetime/mod_date_time.h"
#include "gis/layers/feature_layer.h"
#include "gis/layers/group_layer.h"
#include "gis/layers/raster_layer.h"
#include "gis/map/application.h"
#include "gis/map/map.h"
#include "gis/symbology/renderers.h"
#include "platform/automation_error.h"
#include "platform/locale.h"
#include "platform/ui/event_loop.h"
#include "platform/ui/message_service.h"
#include "records/layer_data.h"
#include "records/layer_data_collection.h"
#include "registry/chronova_data.h"
#include "registry/globals.h"
#include "support/error_number.h"
#include "support/gdal_fixtures.h"
#include "support/scratch_folder.h"
#include "timeapply/mod_layers.h"

namespace chronova::project {
namespace {

using platform::Date;
using testing::FixtureDate;
using testing::FixtureLayer;
using testing::PointRow;

int32_t Minutes(int16_t day, int16_t hour) {
    return modDateTime::PartsToMinutes(2008, 3, day, hour, 0);
}

// Real data of every kind in a scratch folder: ships (shapefile, date-time groups), tracks (line shapefile), a
// GeoPackage with a storm track and stations joined to observations, two rasters (one with a step list) and a CSV
// of moving points.
class ProjectSessionTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetGlobals();
        const auto ships_folder = folder_ / "ships";
        std::filesystem::create_directory(ships_folder);
        FixtureLayer ships{"ships", wkbPoint, {{"DTG", OFTString, OFSTNone, 20}}, {}};
        FixtureLayer tracks{"tracks", wkbLineString, {{"DTG", OFTString, OFSTNone, 20}}, {}};
        for (int16_t hour = 0; hour < 3; ++hour) {
            const std::string dtg = modDateTime::MinutesToDTG(Minutes(1, hour));
            ships.rows.push_back(PointRow(hour, 1, {dtg}));
            tracks.rows.push_back({"LINESTRING (0 0, 1 " + std::to_string(hour) + ")", {dtg}});
        }
        testing::WriteShapefile(ships_folder, ships);
        testing::WriteShapefile(ships_folder, tracks);

        FixtureLayer storm{
            "storm_track",
            wkbPoint,
            {{"WHEN", OFTDateTime}, {"SPEED", OFTReal}, {"DIR", OFTReal}, {"LEVEL", OFTInteger, OFSTInt16}},
            {}};
        for (int hour = 0; hour < 4; ++hour) {
            storm.rows.push_back(
                PointRow(hour, hour, {FixtureDate{2008, 3, 1, hour, 0}, 10.0 + hour, 45.0, int64_t{1}}));
        }
        FixtureLayer stations{"STATIONS", wkbPoint, {{"ID", OFTInteger}}, {}};
        for (int64_t id = 1; id <= 3; ++id) {
            stations.rows.push_back(PointRow(double(id), 2.0, {id}));
        }
        FixtureLayer obs{"OBS", wkbNone, {{"STATION_ID", OFTInteger}, {"TIME", OFTDateTime}}, {}};
        for (const auto& [station, hour] : {std::pair{1, 0}, {2, 0}, {1, 6}, {3, 6}}) {
            obs.rows.push_back({"", {int64_t{station}, FixtureDate{2008, 3, 1, hour, 0}}});
        }
        testing::WriteGeoPackage(folder_ / "storms.gpkg", {storm, stations, obs});

        testing::GeoTiffLayout rain;
        rain.bands = 3;
        testing::WriteGeoTiff(folder_ / "rain.tif", rain, [](int band, int x, int) { return band * 10.0 + x; });
        rain.bands = 2;
        testing::WriteGeoTiff(folder_ / "rain_steps.tif", rain, [](int band, int, int) { return band; });
        std::ofstream(folder_ / "rain_steps.xml")
            << "<steps><timestep>2008-03-01 00:00</timestep><timestep>2008-03-01 12:00</timestep></steps>";
        std::ofstream(folder_ / "buoys.csv") << "ID,TIME,X,Y,SPEED,DIRECTION\n"
                                                "b1,2008-03-01 00:00,1,1,1.5,90\n"
                                                "b1,2008-03-01 02:00,1.5,1,2,80\n";
    }
    void TearDown() override { ResetGlobals(); }

    // Writes the project into the data folder and opens it.
    std::unique_ptr<ProjectSession> Open(const std::string& json) {
        const auto file = folder_ / "test.chronova.json";
        std::ofstream(file) << json;
        return std::make_unique<ProjectSession>(LoadProject(file), loop_);
    }

    // The description of the error opening a project of these layers raises, "" when it opens.
    std::string OpenError(const std::string& layers) {
        const platform::AutomationError error =
            testing::ErrorOf([&] { Open(R"({"chronova_project": 1, "layers": [)" + layers + "]}"); });
        if (error.Number() != 0) {
            EXPECT_FALSE(g_pApp || g_pChronovaData) << "a failed session must reset the process";
        }
        return error.Description();
    }

    std::string Path(const std::string& name) const { return (folder_ / name).string(); }

    platform::ScopedLocale us_{"en-US"};
    platform::ui::RecordingMessageService messages_;
    platform::ui::ScopedMessageService message_scope_{messages_};
    platform::ui::EventLoop loop_;
    testing::ScratchFolder folder_;
};

constexpr const char* kFullProject = R"({
  "chronova_project": 1,
  "map": {"name": "Gulf", "extent": [-1, -1, 5, 5], "spatial_reference": "EPSG:4326", "background": "#102030"},
  "layers": [
    {"name": "Storm", "kind": "feature", "source": {"workspace": "storms.gpkg", "dataset": "storm_track"},
     "symbology": {"color": "#ff0000"},
     "time": {"field": "WHEN", "cached": true, "vectors": {"speed": "SPEED", "direction": "DIR", "max_size": 30}}},
    {"name": "Ships", "kind": "feature", "source": {"workspace": "ships", "dataset": "ships"},
     "symbology": {"color": "#00ff00", "outline": "#000000", "size": 9, "width": 2, "marker": "diamond"},
     "time": {"field": "DTG", "previous_steps": true}},
    {"name": "Stations", "kind": "feature", "source": {"workspace": "storms.gpkg", "dataset": "STATIONS"},
     "time": {"field": "TIME", "join": {"key": "ID", "table": "OBS", "table_key": "STATION_ID"}}},
    {"name": "Overlays", "kind": "group", "layers": [
      {"name": "Radar", "kind": "wms", "source": {"url": "https://example.org/wms", "layers": ["radar"]}, "time": {}},
      {"name": "Buoys", "kind": "moving_points", "source": {"path": "buoys.csv"},
       "time": {"field": "time", "previous_steps": true}}
    ]},
    {"name": "Rain", "kind": "raster", "source": {"path": "rain.tif"}, "symbology": {"from": "#000080", "to": "#ffff00"},
     "time": {"raster": {"start": "2008-03-01 00:00", "interval": 3600, "unit": "h"}}},
    {"name": "Rain steps", "kind": "raster", "source": {"path": "rain_steps.tif"}, "time": {}},
    {"name": "Coast", "kind": "feature", "source": {"workspace": "ships", "dataset": "tracks"}, "visible": false}
  ],
  "display": {"type": "interval", "fill_gaps": true, "toc_labels": false, "loop": true, "use_date_time": true},
  "time": {"start": "2008-03-01 01:00", "finish": "2008-03-01 05:00", "interval": 30, "range_layer": "Storm"}
})";

TEST_F(ProjectSessionTest, OpensEveryKindAndRegistersItThroughTheRightAddOperation) {
    {
        const auto session = Open(kFullProject);
        const gis::Map& map = *session->Map();
        EXPECT_EQ(map.Name(), "Gulf");
        EXPECT_EQ(map.SpatialReference(), "EPSG:4326");
        EXPECT_EQ(map.Extent(), (gis::Envelope{-1, -1, 5, 5}));
        EXPECT_EQ(session->Background(), (gis::Color{0x10, 0x20, 0x30, false}));

        std::vector<std::string> top;
        for (int32_t i = 0; i < map.LayerCount(); ++i) {
            top.push_back(map.Layer(i)->Name());
        }
        EXPECT_EQ(top,
                  (std::vector<std::string>{"Storm", "Ships", "Stations", "Overlays", "Rain", "Rain steps", "Coast"}));
        const auto group = std::dynamic_pointer_cast<gis::GroupLayer>(session->FindLayer("Overlays")->Layer);
        ASSERT_TRUE(group);
        ASSERT_EQ(group->Count(), 2);
        EXPECT_EQ(group->Layer(1), session->FindLayer("Buoys")->Layer);
        EXPECT_FALSE(session->FindLayer("Coast")->Layer->Visible());
        EXPECT_FALSE(session->FindLayer("Coast")->Record);
        EXPECT_FALSE(session->FindLayer("Overlays")->Record);
        EXPECT_EQ(session->FindLayer("nope"), nullptr);

        // Registry order follows the file, depth first.
        std::vector<std::string> registered;
        for (const auto& record : g_Layers->NewEnum()) {
            registered.push_back(record->TheLayer->Name());
        }
        EXPECT_EQ(registered,
                  (std::vector<std::string>{"Storm", "Ships", "Stations", "Radar", "Buoys", "Rain", "Rain steps"}));

        const auto record = [&](const char* name) -> LayerData& { return *session->FindLayer(name)->Record; };
        // Time field type, step count and first step of each time layer.
        const std::tuple<const char*, int16_t, int32_t, int32_t> steps[] = {
            {"Storm", 1, 4, Minutes(1, 0)}, {"Ships", 3, 3, Minutes(1, 0)}, {"Stations", 1, 2, Minutes(1, 0)},
            {"Buoys", 1, 2, Minutes(1, 0)}, {"Rain", 2, 3, Minutes(1, 0)},  {"Rain steps", 2, 2, Minutes(1, 0)},
        };
        for (const auto& [name, type, count, start] : steps) {
            EXPECT_EQ(record(name).TimeFieldType, type) << name;
            EXPECT_EQ(record(name).TimeStepsCount(), count) << name;
            EXPECT_EQ(record(name).StartTime, start) << name;
        }
        EXPECT_EQ(record("Rain steps").FinishTime, Minutes(1, 12)) << "steps of the step list";
        EXPECT_EQ(record("Rain").FinishTime, Minutes(1, 2));
        EXPECT_EQ(record("Radar").TimeStepsCount(), 49);

        EXPECT_TRUE(record("Ships").IsShapefile);
        EXPECT_FALSE(record("Storm").IsShapefile || record("Storm").isJoined);
        EXPECT_TRUE(record("Stations").isJoined);
        EXPECT_EQ(record("Stations").JoinTable + "|" + record("Stations").HostKeyField + "|" +
                      record("Stations").ForeignKeyField,
                  "OBS|ID|STATION_ID");
        EXPECT_TRUE(record("Buoys").IsTimeLayer && record("Buoys").ShowPrevious);
        EXPECT_TRUE(record("Radar").IsWMSLayer);
        EXPECT_TRUE(record("Rain").IsRasterLayer);
        EXPECT_EQ(record("Rain").RasterInterval, 1);
        EXPECT_EQ(record("Rain").RasterIntervalUnits, "h");
        EXPECT_TRUE(std::filesystem::exists(folder_ / "rain.ini"));

        EXPECT_TRUE(record("Storm").IsVectorized);
        EXPECT_EQ(record("Storm").SpeedField + "|" + record("Storm").DirectionField, "SPEED|DIR");
        EXPECT_EQ(record("Storm").VectorMaxSize, 30.0);
        EXPECT_EQ(record("Storm").MinRange, 10.0);
        EXPECT_EQ(record("Storm").MaxRange, 13.0);
        EXPECT_TRUE(record("Storm").IsCached);
        EXPECT_TRUE(session->FindLayer("Storm")->Layer->Cached());
        EXPECT_TRUE(record("Ships").IncludePreviousSteps);
        EXPECT_FALSE(record("Storm").IncludePreviousSteps);

        // Symbology: a simple renderer, and vectors drawn in the colour the entry gives.
        const auto ships = std::dynamic_pointer_cast<gis::FeatureLayer>(session->FindLayer("Ships")->Layer);
        const auto renderer = std::dynamic_pointer_cast<gis::SimpleRenderer>(ships->Renderer());
        ASSERT_TRUE(renderer);
        const auto marker = std::dynamic_pointer_cast<gis::SimpleMarkerSymbol>(renderer->Symbol);
        ASSERT_TRUE(marker);
        EXPECT_EQ(marker->MarkerColor, (gis::Color{0, 255, 0, false}));
        EXPECT_EQ(marker->Size, 9.0);
        EXPECT_EQ(marker->Style, gis::SimpleMarkerStyle::Diamond);
        EXPECT_TRUE(marker->Outline);
        EXPECT_EQ(marker->OutlineColor, (gis::Color{0, 0, 0, false}));
        EXPECT_EQ(marker->OutlineSize, 2.0);
        const auto storm = std::dynamic_pointer_cast<gis::FeatureLayer>(session->FindLayer("Storm")->Layer);
        const auto vectors = std::dynamic_pointer_cast<gis::ClassBreaksRenderer>(storm->Renderer());
        ASSERT_TRUE(vectors);
        const auto arrow = std::dynamic_pointer_cast<gis::IMarkerSymbol>(vectors->Symbol(0));
        ASSERT_TRUE(arrow);
        EXPECT_EQ(arrow->MarkerColor, (gis::Color{255, 0, 0, false}));
        const auto rain = std::dynamic_pointer_cast<gis::RasterLayer>(session->FindLayer("Rain")->Layer);
        const auto ramp = std::dynamic_pointer_cast<gis::RasterStretchColorRampRenderer>(rain->Renderer());
        ASSERT_TRUE(ramp);
        EXPECT_EQ(ramp->FromColor, (gis::Color{0, 0, 0x80, false}));
        EXPECT_EQ(ramp->ToColor, (gis::Color{255, 255, 0, false}));
        EXPECT_EQ(ramp->CustomStretchMax, 33.0) << "the registry still stretches over every band";

        // Display options and the time window.
        EXPECT_EQ(g_iDisplayType, 0);
        EXPECT_TRUE(g_bFillGaps && g_bLoopAnimation);
        EXPECT_FALSE(g_bUpdateTOC);
        ChronovaData& registry = session->Registry();
        EXPECT_TRUE(registry.UseDateTime()) << "as the file says, though the ships have date-time groups";
        EXPECT_EQ(registry.TimeRange(), session->FindLayer("Storm")->Layer);
        EXPECT_EQ(modDateTime::DateToMinutes(registry.StartTime()), Minutes(1, 1));
        EXPECT_EQ(modDateTime::DateToMinutes(registry.FinishTime()), Minutes(1, 5));
        EXPECT_EQ(registry.Interval(), 30);
        EXPECT_TRUE(registry.Valid());
        EXPECT_TRUE(messages_.MessageBoxes().empty());
    }
    EXPECT_FALSE(g_pApp || g_pChronovaData || g_Layers) << "closing the session releases the host and registry";
}

TEST_F(ProjectSessionTest, TimeWindowAfterTheDataAndUniqueDisplay) {
    const auto session = Open(R"({"chronova_project": 1, "layers": [
        {"name": "Ships", "kind": "feature", "source": {"workspace": "ships", "dataset": "ships"}, "time": {"field": "DTG"}}],
        "display": {"type": "unique"},
        "time": {"start": "2008-03-05 00:00", "finish": "2008-03-06 00:00"}})");
    EXPECT_EQ(g_iDisplayType, 1);
    EXPECT_FALSE(session->Registry().UseDateTime()) << "the slider chose date-time groups for the ships";
    EXPECT_EQ(modDateTime::DateToMinutes(session->Registry().StartTime()), Minutes(5, 0));
    EXPECT_EQ(modDateTime::DateToMinutes(session->Registry().FinishTime()), Minutes(6, 0));
    EXPECT_TRUE(messages_.MessageBoxes().empty());
}

// Other vector files: a GeoJSON with typed date-times, and a CSV whose points and times need GDAL open options.
TEST_F(ProjectSessionTest, VectorFilesServeAsTimeLayers) {
    std::ofstream(folder_ / "sightings.geojson") << R"({"type": "FeatureCollection", "features": [
        {"type": "Feature", "properties": {"WHEN": "2008-03-01T00:00:00"}, "geometry": {"type": "Point", "coordinates": [0, 0]}},
        {"type": "Feature", "properties": {"WHEN": "2008-03-01T02:00:00"}, "geometry": {"type": "Point", "coordinates": [1, 1]}},
        {"type": "Feature", "properties": {"WHEN": "2008-03-01T01:00:00"}, "geometry": {"type": "Point", "coordinates": [2, 2]}},
        {"type": "Feature", "properties": {"WHEN": "2008-03-01T02:00:00"}, "geometry": {"type": "Point", "coordinates": [3, 3]}}
    ]})";
    std::ofstream(folder_ / "floats.csv") << "lon,lat,seen\n1,1,2008/03/01 00:00:00\n2,2,2008/03/01 03:00:00\n";
    const auto session = Open(R"({"chronova_project": 1, "layers": [
        {"name": "Sightings", "kind": "feature", "source": {"workspace": "sightings.geojson", "dataset": "sightings"},
         "time": {"field": "WHEN"}},
        {"name": "Floats", "kind": "feature", "time": {"field": "seen"}, "source": {"workspace": "floats.csv",
         "dataset": "floats", "open_options": ["X_POSSIBLE_NAMES=lon", "Y_POSSIBLE_NAMES=lat", "AUTODETECT_TYPE=YES"]}}
    ]})");
    LayerData& sightings = *session->FindLayer("Sightings")->Record;
    EXPECT_FALSE(sightings.IsShapefile || sightings.isJoined);
    EXPECT_EQ(sightings.TimeFieldType, 1) << "a date field";
    EXPECT_EQ(sightings.TimeStepsCount(), 3);
    EXPECT_EQ(sightings.StartTime, Minutes(1, 0));
    EXPECT_EQ(sightings.FinishTime, Minutes(1, 2));
    const auto layer = std::dynamic_pointer_cast<gis::FeatureLayer>(sightings.TheLayer);
    ASSERT_TRUE(layer);
    ASSERT_TRUE(modLayers::UpdateLayer(sightings, Date::FromParts(2008, 3, 1, 2, 0)));
    EXPECT_EQ(*layer->VisibleFeatures(), (std::vector<uint32_t>{1, 3})) << layer->DefinitionExpression();
    ASSERT_TRUE(modLayers::UpdateLayer(sightings, Date::FromParts(2008, 3, 1, 1, 0)));
    EXPECT_EQ(*layer->VisibleFeatures(), (std::vector<uint32_t>{2})) << layer->DefinitionExpression();

    LayerData& floats = *session->FindLayer("Floats")->Record;
    EXPECT_EQ(floats.TimeFieldType, 1);
    EXPECT_EQ(floats.TimeStepsCount(), 2);
    EXPECT_EQ(floats.FinishTime, Minutes(1, 3));
    EXPECT_TRUE(messages_.MessageBoxes().empty());
}

TEST_F(ProjectSessionTest, OnlyOneSessionAtATime) {
    const auto session = Open(R"({"chronova_project": 1, "layers": [],
        "time": {"start": "2008-03-01 00:00", "finish": "2008-03-02 00:00", "interval": 60}})");
    EXPECT_FALSE(session->Registry().Valid()) << "no time layers";
    EXPECT_RAISES(Open(R"({"chronova_project": 1, "layers": []})"), 5);
    EXPECT_TRUE(g_pApp) << "the open session is left alone";
}

TEST_F(ProjectSessionTest, DataThatCannotServeIsAnErrorNamingTheLayerAndFile) {
    using ::testing::HasSubstr;
    using ::testing::StartsWith;
    const std::string ships = Path("ships");
    const std::string storms = Path("storms.gpkg");
    const auto feature = [](const std::string& name, const std::string& workspace, const std::string& dataset,
                            const std::string& time) {
        return R"({"name": ")" + name + R"(", "kind": "feature", "source": {"workspace": ")" + workspace +
               R"(", "dataset": ")" + dataset + R"("}, "time": )" + time + "}";
    };
    EXPECT_EQ(OpenError(feature("Ships", "ships", "ships", R"({"field": "WHEN"})")),
              "layer 'Ships' cannot be a time layer: there is no field 'WHEN' in 'ships' (fields: DTG) (" + ships +
                  ")");
    EXPECT_EQ(OpenError(feature("Storm", "storms.gpkg", "storm_track", R"({"field": "LEVEL"})")),
              "layer 'Storm' cannot be a time layer: the field 'LEVEL' cannot hold times (it must be a date, text, "
              "32-bit integer or double field) (" +
                  storms + ")");
    EXPECT_EQ(OpenError(feature("Tracks", "ships", "tracks",
                                R"({"field": "DTG", "vectors": {"speed": "DTG", "direction": "DTG"}})")),
              "layer 'Tracks' cannot draw vectors: it is not a point layer (" + ships + ")");
    EXPECT_EQ(
        OpenError(feature("Storm", "storms.gpkg", "storm_track",
                          R"({"field": "WHEN", "vectors": {"speed": "GUST", "direction": "DIR"}})")),
        "layer 'Storm' cannot draw vectors: there is no field 'GUST' in the layer (fields: WHEN, SPEED, DIR, LEVEL) (" +
            storms + ")");
    EXPECT_THAT(OpenError(feature("Stations", "storms.gpkg", "STATIONS",
                                  R"({"field": "TIME", "join": {"key": "ID", "table": "NOPE", "table_key": "ID"}})")),
                StartsWith("layer 'Stations' cannot be a time layer: "));
    EXPECT_THAT(OpenError(feature("Lost", "nowhere.gpkg", "d", R"({"field": "T"})")),
                AllOf(StartsWith("layer 'Lost' cannot open the dataset 'd': "), HasSubstr(Path("nowhere.gpkg"))));
    EXPECT_THAT(OpenError(feature("Lost", "storms.gpkg", "nothing", R"({"field": "T"})")),
                StartsWith("layer 'Lost' cannot open the dataset 'nothing': "));
    EXPECT_EQ(
        OpenError(R"({"name": "Buoys", "kind": "moving_points", "source": {"path": "buoys.csv"},
                            "time": {"field": "WHEN"}})"),
        "layer 'Buoys' cannot be a time layer: there is no field 'WHEN' in the file (fields: ID, TIME, X, Y, SPEED, "
        "DIRECTION) (" +
            Path("buoys.csv") + ")");
    EXPECT_THAT(OpenError(R"({"name": "Ships", "kind": "moving_points", "source": {"path": "ships/ships.dbf"}})"),
                StartsWith("layer 'Ships' cannot be opened: "));
    EXPECT_EQ(OpenError(R"({"name": "Rain", "kind": "raster", "source": {"path": "rain.tif"}, "time": {}})"),
              "layer 'Rain' cannot be a time layer: its time block has no \"raster\" timing, and the raster has no "
              "step list rain.xml beside it (" +
                  Path("rain.tif") + ")");
    EXPECT_EQ(OpenError(feature("Ships", "ships", "ships", R"({"field": "DTG"})")), "")
        << "the process is usable again";
}

} // namespace
} // namespace chronova::project
