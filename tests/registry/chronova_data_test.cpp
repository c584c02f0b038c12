#include <filesystem>
#include <fstream>
#include <sstream>

#include "gis/interface_ids.h"
#include "gis/layers/raster_layer.h"
#include "gis/layers/wms_map_layer.h"
#include "gis/symbology/renderers.h"
#include "gis/uid.h"
#include "platform/text.h"
#include "records/i_time_layer.h"
#include "registry/registry_fixture.h"
#include "support/error_number.h"
#include "support/scratch_folder.h"
#include "timeapply/mod_layers.h"
#include "timeapply/raster_side_files.h"

namespace chronova {
namespace {

using platform::Date;
using platform::Variant;
using testing::Drawn;

const std::vector<std::string> kSixHourly = {"3/1/2008 0:00", "3/1/2008 6:00", "3/1/2008 12:00"};

class ChronovaDataTest : public testing::RegistryTest {};

TEST_F(ChronovaDataTest, TheSameLayerAddedTwiceIsTwoRecordsThatRemoveOneAtATime) {
    auto layer = AddTimeLayer(kSixHourly);
    ASSERT_TRUE(Registry().AddShapefileLayer(layer, "WHEN"));
    ASSERT_TRUE(Registry().AddShapefileLayer(layer, "MINUTES"));
    ASSERT_EQ(LayerCount(), 2);

    std::shared_ptr<LayerData> found;
    ASSERT_TRUE(Registry().FindByLayer(layer, &found));
    EXPECT_EQ(found->TimeStepField, "WHEN");

    Registry().RemoveLayer(layer);
    ASSERT_EQ(LayerCount(), 1);
    ASSERT_TRUE(Registry().FindByLayer(layer, &found));
    EXPECT_EQ(found->TimeStepField, "MINUTES");

    Registry().AddShapefileLayer(layer, "WHEN");
    Registry().Clear();
    EXPECT_EQ(LayerCount(), 0);
    EXPECT_FALSE(Registry().FindLayer(layer));
}

TEST_F(ChronovaDataTest, FeatureLayersAreCheckedBeforeTheyAreRegistered) {
    auto shapefile = AddTimeLayer(kSixHourly);
    auto empty = AddTimeLayer({}, "Shapefile Feature Class", "Empty");
    auto geodatabase = AddTimeLayer(kSixHourly, "Personal Geodatabase Feature Class", "Gdb");
    auto other = AddTimeLayer(kSixHourly, "Shapefile Feature Class ", "Other");

    EXPECT_FALSE(Registry().AddShapefileLayer(empty, "WHEN"));
    EXPECT_FALSE(Registry().AddShapefileLayer(other, "WHEN"));
    EXPECT_FALSE(Registry().AddShapefileLayer(geodatabase, "WHEN"));
    EXPECT_FALSE(Registry().AddShapefileLayer(shapefile, ""));
    EXPECT_FALSE(Registry().AddShapefileLayer(nullptr, "WHEN"));
    EXPECT_FALSE(Registry().AddGeoDatabaseLayer(shapefile, "WHEN"));
    EXPECT_FALSE(Registry().AddShapefileLayer(shapefile, "NO_SUCH_FIELD"));
    EXPECT_EQ(LayerCount(), 0);

    ASSERT_TRUE(Registry().AddShapefileLayer(shapefile, "WHEN"));
    ASSERT_TRUE(Registry().AddGeoDatabaseLayer(geodatabase, "DTG"));
    std::shared_ptr<LayerData> record;
    ASSERT_TRUE(Registry().FindByLayer(geodatabase, &record));
    EXPECT_FALSE(record->IsShapefile);
    EXPECT_EQ(record->TimeStepsCount(), 3);
    EXPECT_EQ(record->TimeFieldType, 3); // date-time groups
    EXPECT_EQ(record->Path, modLayers::FeatureLayerFileName(geodatabase, ""));
}

TEST_F(ChronovaDataTest, AJoinedLayerTakesItsStepsFromTheJoinedTable) {
    testing::JoinData data = testing::StationsWithObservations();
    FocusMap().AddLayer(data.layer);
    EXPECT_FALSE(Registry().AddGeoDatabaseJoinedLayer(data.layer, "ID", "J", "", "OBS_ID", "STATION_ID", "TIME"));
    ASSERT_TRUE(Registry().AddGeoDatabaseJoinedLayer(data.layer, "ID", "", "OBS", "", "STATION_ID", "TIME", "SPEED"));
    std::shared_ptr<LayerData> record;
    ASSERT_TRUE(Registry().FindByLayer(data.layer, &record));
    EXPECT_TRUE(record->isJoined);
    EXPECT_FALSE(record->IncludesTimeSteps);
    EXPECT_EQ(record->JoinTable, "OBS");
    EXPECT_EQ(record->HostKeyField, "ID");
    EXPECT_EQ(record->ForeignKeyField, "STATION_ID");
    EXPECT_EQ(record->AdditionalFields, "SPEED");
    EXPECT_EQ(record->TimeStepsCount(), 3);
}

TEST_F(ChronovaDataTest, RasterIntervalsAreConvertedToTheirUnitsAndSavedBesideTheRaster) {
    testing::ScratchFolder folder;
    struct Case {
        const char* units;
        int32_t seconds;
        int32_t interval;
        const char* stored_units;
    };
    const Case cases[] = {{"m", 3600, 60, "n"}, {"h", 5400, 2, "h"}, {"d", 86400 * 3, 3, "d"}, {"n", 90, 2, "n"}};
    for (const Case& c : cases) {
        const std::string tif = (folder / (std::string("rain_") + c.units + ".tif")).string();
        auto layer = std::make_shared<gis::RasterLayer>(std::make_shared<testing::BandNumberRaster>(4, tif), "Rain");
        const int32_t start = modDateTime::PartsToMinutes(2008, 3, 1, 0, 0);
        ASSERT_TRUE(Registry().AddRasterLayer(layer, "", start, c.seconds, c.units)) << c.units;
        std::shared_ptr<LayerData> record;
        ASSERT_TRUE(Registry().FindByLayer(layer, &record));
        EXPECT_EQ(record->RasterInterval, c.interval) << c.units;
        EXPECT_EQ(record->RasterIntervalUnits, c.stored_units) << c.units;
        EXPECT_EQ(record->TimeStepsCount(), 4);
        EXPECT_EQ(record->Path, (folder / (std::string("rain_") + c.units + ".ini")).string());

        const auto settings = ReadRasterSettings(record->Path);
        ASSERT_TRUE(settings.has_value()) << c.units;
        EXPECT_EQ(settings->StartTime, start);
        EXPECT_EQ(settings->Interval, c.interval);
        EXPECT_EQ(settings->IntervalUnits, c.stored_units);
    }
}

TEST_F(ChronovaDataTest, AllBandsOfARasterShareOneColourScaleUnlessOneWasSetBefore) {
    testing::ScratchFolder folder;
    auto layer = std::make_shared<gis::RasterLayer>(
        std::make_shared<testing::BandNumberRaster>(12, (folder / "rain.tif").string()), "Rain");
    ASSERT_TRUE(Registry().AddRasterLayer(layer, "", 0, 3600, "h"));
    auto renderer = std::dynamic_pointer_cast<gis::RasterStretchColorRampRenderer>(layer->Renderer());
    ASSERT_TRUE(renderer);
    EXPECT_TRUE(renderer->UseCustomStretchMinMax);
    EXPECT_EQ(renderer->CustomStretchMin, 1.0); // the cells of band k are k
    EXPECT_EQ(renderer->CustomStretchMax, 12.0);
    EXPECT_EQ(renderer->LabelLow, "1.000");
    EXPECT_EQ(renderer->LabelHigh, "12.000");
    EXPECT_EQ(layer->RendererBandIndex(), 0);

    renderer->CustomStretchMin = -5.0;
    ASSERT_TRUE(Registry().AddRasterLayer(layer, "", 0, 3600, "h"));
    EXPECT_EQ(renderer->CustomStretchMin, -5.0);

    auto no_bands = std::make_shared<gis::RasterLayer>(
        std::make_shared<testing::BandNumberRaster>(0, (folder / "none.tif").string()), "None");
    EXPECT_FALSE(Registry().AddRasterLayer(no_bands, "", 0, 3600, "h"));
    EXPECT_FALSE(Registry().AddRasterLayer(AddTimeLayer(kSixHourly), "", 0, 3600, "h"));
    EXPECT_FALSE(std::filesystem::exists(folder / "none.ini"));
}

TEST_F(ChronovaDataTest, ARasterWhoseSettingsCannotBeSavedIsNotRegistered) {
    auto layer = std::make_shared<gis::RasterLayer>(
        std::make_shared<testing::BandNumberRaster>(3, "/nonexistent-folder/rain.tif"), "Rain");
    EXPECT_THROW(Registry().AddRasterLayer(layer, "", 0, 3600, "h"), platform::AutomationError);
    EXPECT_EQ(LayerCount(), 0);
}

TEST_F(ChronovaDataTest, WmsAndCustomLayers) {
    auto wms = std::make_shared<gis::WmsMapLayer>("http://example.invalid/wms", "Radar");
    EXPECT_EQ(Registry().AddWMSLayer(wms), Variant(true));
    EXPECT_EQ(Registry().AddWMSLayer(nullptr), Variant(true)); // nothing to register, still true
    ASSERT_EQ(LayerCount(), 1);
    std::shared_ptr<LayerData> record;
    ASSERT_TRUE(Registry().FindByLayer(wms, &record));
    EXPECT_EQ(record->TimeStepsCount(), 49);

    auto custom = std::make_shared<testing::ScriptedTimeLayer>(
        std::vector<Variant>{Variant(Date::FromParts(2008, 3, 1, 0, 0)), Variant(Date::FromParts(2008, 3, 2, 0, 0))});
    custom->ShowPrevious(true);
    EXPECT_FALSE(Registry().AddCustomTimeLayer(custom, ""));
    EXPECT_FALSE(Registry().AddCustomTimeLayer(AddTimeLayer(kSixHourly), "WHEN"));
    ASSERT_TRUE(Registry().AddCustomTimeLayer(custom, "TIME"));
    ASSERT_TRUE(Registry().FindByPath("/memory/custom.csv", &record));
    EXPECT_TRUE(record->IsTimeLayer);
    EXPECT_TRUE(record->IncludePreviousSteps);
    EXPECT_TRUE(record->ShowPrevious);
    EXPECT_EQ(record->TheLayer, custom);
    EXPECT_TRUE(gis::SupportsInterface(*custom, gis::UID(kIID_ITimeLayer)));
    EXPECT_FALSE(gis::SupportsInterface(*wms, gis::UID(kIID_ITimeLayer)));
}

TEST_F(ChronovaDataTest, VectorsTakeTheSpeedRangeFromTheDataOrTheCaller) {
    auto points = AddTimeLayer(kSixHourly);
    ASSERT_TRUE(Registry().AddShapefileLayer(points, "WHEN"));
    std::shared_ptr<LayerData> record;
    ASSERT_TRUE(Registry().FindByLayer(points, &record));

    ASSERT_TRUE(Registry().MakeVectors(points, "SINGLE", "SMALL"));
    EXPECT_EQ(record->MinRange, 0.0);
    EXPECT_EQ(record->MaxRange, 2.0);
    EXPECT_TRUE(record->IsVectorized);
    EXPECT_EQ(record->VectorFont, "ESRI North");
    EXPECT_EQ(record->VectorChar, 108);
    EXPECT_EQ(record->VectorMinSize, 8.0);
    EXPECT_EQ(record->VectorMaxSize, 24.0);

    ASSERT_TRUE(Registry().MakeVectors(points, "TEXT", "SMALL")); // not numeric: 0 to 1
    EXPECT_EQ(record->MaxRange, 1.0);
    ASSERT_TRUE(Registry().MakeVectors(points, "SINGLE", "SMALL", 5.0, 5.0)); // equal ends are widened
    EXPECT_EQ(record->MinRange, 5.0);
    EXPECT_EQ(record->MaxRange, 6.0);

    ASSERT_TRUE(Registry().MakeVectorsWithChar(points, "SINGLE", "SMALL", "Arrows", 65, 4.0, 2.0));
    EXPECT_EQ(record->VectorFont, "Arrows");
    EXPECT_EQ(record->VectorChar, 65);
    EXPECT_EQ(record->VectorMinSize, 4.0);
    EXPECT_EQ(record->VectorMaxSize, 24.0); // not above the minimum: kept
    ASSERT_TRUE(Registry().MakeVectorsWithChar(points, "SINGLE", "SMALL", "", 0, -1.0, 30.0));
    EXPECT_EQ(record->VectorFont, "ESRI North");
    EXPECT_EQ(record->VectorMinSize, 8.0);
    EXPECT_EQ(record->VectorMaxSize, 30.0);
}

TEST_F(ChronovaDataTest, VectorsNeedARegisteredPointLayerOrACustomLayer) {
    auto lines = AddTimeLayer(kSixHourly, "Shapefile Feature Class", "Lines");
    data_.back().feature_class->shape_type = gis::GeometryType::Polyline;
    ASSERT_TRUE(Registry().AddShapefileLayer(lines, "WHEN"));
    EXPECT_FALSE(Registry().MakeVectors(lines, "SINGLE", "SMALL"));
    std::shared_ptr<LayerData> record;
    ASSERT_TRUE(Registry().FindByLayer(lines, &record));
    EXPECT_FALSE(record->IsVectorized);

    EXPECT_FALSE(Registry().MakeVectors(AddTimeLayer(kSixHourly), "SINGLE", "SMALL")); // not registered
    auto custom = std::make_shared<testing::ScriptedTimeLayer>(std::vector<Variant>{Variant(1000)});
    EXPECT_TRUE(Registry().MakeVectors(custom, "S", "D"));
    EXPECT_TRUE(Registry().MakeVectorsWithChar(custom, "S", "D", "F", 1, 1.0, 2.0));
}

TEST_F(ChronovaDataTest, PreviousStepsAndCacheFlagsGoToTheRecord) {
    auto layer = AddTimeLayer(kSixHourly);
    EXPECT_EQ(Registry().ShowPreviousTimeSteps(layer), Variant(false));
    ASSERT_TRUE(Registry().AddShapefileLayer(layer, "WHEN"));
    EXPECT_EQ(Registry().ShowPreviousTimeSteps(layer), Variant(true));
    auto custom = std::make_shared<testing::ScriptedTimeLayer>(std::vector<Variant>{Variant(1000)});
    ASSERT_TRUE(Registry().AddCustomTimeLayer(custom, "T"));
    EXPECT_EQ(Registry().ShowPreviousTimeSteps(custom), Variant(false));

    std::shared_ptr<LayerData> record;
    ASSERT_TRUE(Registry().FindByLayer(layer, &record));
    EXPECT_TRUE(record->IncludePreviousSteps);

    layer->Cached(true);
    EXPECT_TRUE(Registry().IsCached(layer));
    EXPECT_TRUE(record->IsCached);
    Registry().IsCached(layer, false);
    EXPECT_FALSE(record->IsCached);
    EXPECT_TRUE(layer->Cached()); // the layer itself is left alone

    Registry().RemoveLayer(layer); // removing switches the layer's cache off
    EXPECT_FALSE(layer->Cached());
}

TEST_F(ChronovaDataTest, TheCurrentTimeOfALayerFollowsTheFillGapsSetting) {
    auto layer = AddTimeLayer(kSixHourly);
    ASSERT_TRUE(Registry().AddShapefileLayer(layer, "WHEN"));
    const std::string path = modLayers::FeatureLayerFileName(layer, "");
    EXPECT_TRUE(Registry().FindLayerByPath(path));
    EXPECT_FALSE(Registry().FindLayerByPath(platform::LCase(path)));

    const Date eight = Date::FromParts(2008, 3, 1, 8, 0);
    Date step;
    ASSERT_TRUE(Registry().GetCurrentTimeByPath(path, eight, step));
    EXPECT_EQ(step, eight); // fill-gaps off: the time itself

    g_bFillGaps = true;
    ASSERT_TRUE(Registry().GetCurrentTimeByPath(path, eight, step));
    EXPECT_EQ(step, Date::FromParts(2008, 3, 1, 6, 0));
    EXPECT_FALSE(Registry().GetCurrentTimeByPath(path, Date::FromParts(2008, 2, 1, 0, 0), step));
    EXPECT_FALSE(Registry().GetCurrentTimeByPath("/no/such/path", eight, step));
    Variant value;
    EXPECT_FALSE(Registry().GetCurrentTimeByLayer(nullptr, eight, value));
}

TEST_F(ChronovaDataTest, TheSliderFollowsTheRegisteredLayers) {
    ASSERT_TRUE(Registry().AddShapefileLayer(AddTimeLayer(kSixHourly), "WHEN"));
    ASSERT_TRUE(Registry().AddShapefileLayer(AddTimeLayer({"3/2/2008 0:00", "3/2/2008 12:00"}), "WHEN"));
    EXPECT_FALSE(Registry().Valid()); // not before the slider is updated
    Registry().Update();
    EXPECT_TRUE(Registry().Valid());
    EXPECT_EQ(Registry().TimeRangeCount(), 2);
    EXPECT_EQ(Registry().StartTime(), Date::FromParts(2008, 3, 1, 0, 0));
    EXPECT_EQ(Registry().FinishTime(), Date::FromParts(2008, 3, 2, 12, 0));
    EXPECT_EQ(Registry().Interval(), 360);
    EXPECT_EQ(Slider().Slider1.Max(), 6);
    EXPECT_EQ(Registry().Caption(), Slider().Caption());
    EXPECT_NE(Registry().hWnd(), 0);

    Registry().CurrentTime(Date::FromParts(2008, 3, 1, 12, 0));
    EXPECT_EQ(Slider().Slider1.Value(), 2);
    Registry().Interval(720);
    EXPECT_EQ(Slider().Slider1.Max(), 3);
    EXPECT_EQ(Registry().CurrentTime(), Date::FromParts(2008, 3, 1, 12, 0));

    Registry().Clear();
    EXPECT_FALSE(Registry().Valid());
    EXPECT_EQ(Registry().TimeRangeCount(), 0);
}

TEST_F(ChronovaDataTest, ApplyFiltersShowsOrLiftsTheCurrentTimeOnEveryLayer) {
    auto first = AddTimeLayer(kSixHourly, "Shapefile Feature Class", "First");
    auto second = AddTimeLayer(kSixHourly, "Shapefile Feature Class", "Second");
    ASSERT_TRUE(Registry().AddShapefileLayer(first, "WHEN"));
    ASSERT_TRUE(Registry().AddShapefileLayer(second, "MINUTES"));
    Registry().Update();
    Registry().CurrentTime(Date::FromParts(2008, 3, 1, 6, 0));
    EXPECT_EQ(Drawn(*first), std::vector<int32_t>{2});
    EXPECT_EQ(Drawn(*second), std::vector<int32_t>{2});

    // Lifting needs no current time, so even an unreadable current label cannot stop it.
    Slider().lblTime[2].Caption("not a time");
    Registry().ApplyFilters(false);
    EXPECT_EQ(first->DefinitionExpression(), "");
    EXPECT_EQ(Drawn(*second), (std::vector<int32_t>{1, 2, 3}));

    Registry().CurrentTime(Date::FromParts(2008, 3, 1, 12, 0));
    Registry().ApplyFilters(false);
    auto extension =
        std::dynamic_pointer_cast<gis::IExtensionConfig>(g_pApp->FindExtensionByName("Chronova.ChronovaExt"));
    extension->State(static_cast<int32_t>(gis::ExtensionState::Disabled));
    Registry().ApplyFilters(true);
    EXPECT_EQ(first->DefinitionExpression(), ""); // a disabled extension applies nothing
    extension->State(static_cast<int32_t>(gis::ExtensionState::Enabled));
    Registry().ApplyFilters(true);
    EXPECT_EQ(Drawn(*first), std::vector<int32_t>{3});
}

} // namespace
} // namespace chronova
