// Time layers on real files: shapefiles, a GeoPackage with a joined observation table, and a multi-band
// GeoTIFF, read through the map host and filtered by the system.
#include <gtest/gtest.h>

#include <fstream>

#include "datetime/mod_date_time.h"
#include "gis/layers/open_layers.h"
#include "platform/locale.h"
#include "platform/text.h"
#include "records/layer_data.h"
#include "registry/globals.h"
#include "support/gdal_fixtures.h"
#include "support/scratch_folder.h"
#include "timeapply/arc_objects.h"
#include "timeapply/mod_layers.h"

namespace chronova {
namespace {

using platform::Date;
using testing::FixtureDate;
using testing::FixtureLayer;
using testing::PointRow;

class GdalTimeLayersTest : public ::testing::Test {
protected:
    void SetUp() override { ResetGlobals(); }
    void TearDown() override { ResetGlobals(); }

    // Ship positions at 06:00, 06:00 and 12:00 on 1 March 2008: a date-time group, a minute count and a date.
    void WriteShips() {
        FixtureLayer ships{
            "ships",
            wkbPoint,
            {{"ID", OFTInteger}, {"DTG", OFTString, OFSTNone, 20}, {"MINUTES", OFTInteger}, {"DAY", OFTDate}},
            {}};
        const int hours[] = {6, 6, 12};
        for (int i = 0; i < 3; ++i) {
            const Date time = Date::FromParts(2008, 3, 1 + i, hours[i], 0);
            ships.rows.push_back(PointRow(i, i,
                                          {int64_t{i + 1}, modDateTime::DateToDTG(time),
                                           int64_t{modDateTime::DateToMinutes(time)}, FixtureDate{2008, 3, 1 + i}}));
        }
        testing::WriteShapefile(folder_.Path(), ships);
    }

    // Stations 1 to 3 and their observations, with 16-bit and float fields that cannot carry time.
    std::string WriteStations() {
        const auto path = folder_.Path() / "obs.gpkg";
        FixtureLayer stations{"STATIONS",
                              wkbPoint,
                              {{"ID", OFTInteger}, {"LEVEL", OFTInteger, OFSTInt16}, {"GUST", OFTReal, OFSTFloat32}},
                              {}};
        for (int64_t id = 1; id <= 3; ++id) {
            stations.rows.push_back(PointRow(double(id), double(id), {id, id, 1.5}));
        }
        FixtureLayer obs{"OBS", wkbNone, {{"STATION_ID", OFTInteger}, {"TIME", OFTDateTime}, {"SPEED", OFTReal}}, {}};
        const int64_t station_at[][2] = {{1, 0}, {2, 0}, {1, 6}, {3, 6}};
        for (const auto& [station, hour] : station_at) {
            obs.rows.push_back({"", {station, FixtureDate{2008, 3, 1, int(hour), 0}, double(station) * 2.0}});
        }
        testing::WriteGeoPackage(path, {stations, obs});
        return path.string();
    }

    static std::vector<uint32_t> Drawn(const gis::FeatureLayer& layer) { return *layer.VisibleFeatures(); }

    platform::ScopedLocale us_{"en-US"};
    testing::ScratchFolder folder_;
};

TEST_F(GdalTimeLayersTest, ShapefileFieldsOfEveryTimeFormFilterTheShips) {
    WriteShips();
    auto layer = gis::OpenFeatureLayer(folder_.Path().string(), "ships");
    EXPECT_EQ(layer->DataSourceType(), "Shapefile Feature Class");
    EXPECT_EQ(modLayers::FeatureLayerFileName(layer, ""), platform::UCase(folder_.Path().string() + "\\ships"));
    const std::pair<const char*, int16_t> fields[] = {{"DTG", 3}, {"MINUTES", 4}, {"DAY", 1}};
    for (const auto& [field, type] : fields) {
        LayerData record;
        record.TheLayer = layer;
        record.TimeStepField = field;
        record.IncludesTimeSteps = true;
        record.IsShapefile = true;
        ASSERT_TRUE(ArcObjects::RetrieveTimeInfo(&record)) << field;
        EXPECT_EQ(record.TimeFieldType, type) << field;
        EXPECT_EQ(record.TimeStepsCount(), 3) << field;
        const Date second_ship = type == 1 ? Date::FromParts(2008, 3, 2) : Date::FromParts(2008, 3, 2, 6, 0);
        ASSERT_TRUE(modLayers::UpdateLayer(record, second_ship)) << field;
        EXPECT_EQ(Drawn(*layer), (std::vector<uint32_t>{1})) << layer->DefinitionExpression();
        modLayers::HideLayer(record);
        EXPECT_TRUE(Drawn(*layer).empty()) << layer->DefinitionExpression();
    }
}

TEST_F(GdalTimeLayersTest, GeodatabaseLayersJoinTheirObservationsAndRejectNarrowFields) {
    const std::string path = WriteStations();
    auto layer = gis::OpenFeatureLayer(path, "STATIONS", "Stations");
    EXPECT_EQ(layer->DataSourceType(), "Personal Geodatabase Feature Class");
    for (const char* field : {"LEVEL", "GUST"}) {
        LayerData record;
        record.TheLayer = layer;
        record.TimeStepField = field;
        record.IncludesTimeSteps = true;
        EXPECT_FALSE(ArcObjects::RetrieveTimeInfo(&record)) << field;
    }
    LayerData record;
    record.TheLayer = layer;
    record.isJoined = true;
    record.JoinTable = "OBS";
    record.TimeStepField = "TIME";
    record.PrimaryKeyField = "fid";
    record.HostKeyField = "ID";
    record.ForeignKeyField = "STATION_ID";
    record.JoinName = "Join_Stations";
    record.SpeedField = "SPEED";
    record.DirectionField = "SPEED";
    ASSERT_TRUE(ArcObjects::RetrieveTimeInfo(&record));
    EXPECT_EQ(record.Interval, 360);
    ASSERT_TRUE(modLayers::UpdateLayer(record, Date::FromParts(2008, 3, 1, 6, 0)));
    EXPECT_EQ(Drawn(*layer), (std::vector<uint32_t>{0, 2}));
    ArcObjects::LoadRangeMinMax(&record, "SPEED");
    EXPECT_EQ(record.MinRange, 2.0);
    EXPECT_EQ(record.MaxRange, 6.0);
    modLayers::UnselectLayer(record);
    EXPECT_EQ(Drawn(*layer).size(), 3u);
}

TEST_F(GdalTimeLayersTest, RasterBandsTakeTheirStepsFromTheStepList) {
    const auto tif = folder_.Path() / "rain.tif";
    testing::GeoTiffLayout layout;
    layout.bands = 12;
    testing::WriteGeoTiff(tif, layout, [](int band, int, int) { return band; });
    std::ofstream(folder_.Path() / "rain.xml") << "<steps>" << [] {
        std::string steps;
        for (int hour = 0; hour < 12; ++hour) {
            steps += "<timestep>" +
                     modDateTime::MinutesToDTG(modDateTime::PartsToMinutes(2008, 3, 1, int16_t(hour), 0)) +
                     "</timestep>";
        }
        return steps;
    }() << "</steps>";
    auto layer = gis::OpenRasterLayer(tif.string());
    LayerData record;
    record.TheLayer = layer;
    record.IsRasterLayer = true;
    record.TimeStepField = "NotNeeded";
    record.RasterBandCount = layer->BandCount();
    record.Path = (folder_.Path() / "rain.ini").string();
    ASSERT_TRUE(ArcObjects::RetrieveTimeInfo(&record));
    EXPECT_EQ(record.TimeFieldType, 3);
    EXPECT_EQ(record.TimeStepsCount(), 12);
    EXPECT_EQ(record.Interval, 60);
    ASSERT_TRUE(modLayers::UpdateLayer(record, Date::FromParts(2008, 3, 1, 5, 0)));
    EXPECT_EQ(layer->RendererBandIndex(), 5);
    EXPECT_EQ(layer->EffectLevel(), 0);
}

} // namespace
} // namespace chronova
