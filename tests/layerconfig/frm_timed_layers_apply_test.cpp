// "Done" and "Cancel": what the dialog hands to the registry, driven as a user drives it, on real files and on
// in-memory layers, and what the map then draws at a slider position.
#include "dialog_fixture.h"

#include "datetime/mod_date_time.h"
#include "gis/layers/feature_layer.h"
#include "gis/layers/open_layers.h"
#include "gis/layers/raster_layer.h"
#include "gis/layers/wms_map_layer.h"
#include "layerconfig/layer_dialog.h"
#include "platform/ui/modal_dialog_service.h"
#include "slider/frm_slider.h"
#include "slider/layer_dialog_service.h"
#include "support/gdal_fixtures.h"
#include "support/scratch_folder.h"
#include "timeapply/raster_side_files.h"
#include "timeapply/test_layers.h"

namespace chronova::testing {
namespace {

using platform::Date;
using platform::ui::CheckBox;

std::vector<uint32_t> Drawn(const gis::FeatureLayer& layer) {
    return *layer.VisibleFeatures();
}

class DialogApplyTest : public DialogTest {
protected:
    // Ships on three days at 06:00 (the DTG text) with speed and direction, as a shapefile in the scratch folder.
    std::shared_ptr<gis::FeatureLayer> OpenShips() {
        FixtureLayer ships{
            "ships",
            wkbPoint,
            {{"NAME", OFTString, OFSTNone, 10}, {"DTG", OFTString, OFSTNone, 20}, {"SPEED", OFTReal}, {"DIR", OFTReal}},
            {}};
        for (int day = 1; day <= 3; ++day) {
            const Date time = Date::FromParts(2008, 3, day, 6, 0);
            ships.rows.push_back(PointRow(
                day, day,
                {std::string("ship") + std::to_string(day), modDateTime::DateToDTG(time), 5.0 * day, 45.0 * day}));
        }
        WriteShapefile(folder_.Path(), ships);
        auto layer = gis::OpenFeatureLayer(folder_.Path().string(), "ships");
        FocusMap().AddLayer(layer);
        return layer;
    }

    // Stations 1 to 3 in a GeoPackage, and their observations in a table of the same file.
    std::shared_ptr<gis::FeatureLayer> OpenStations() {
        FixtureLayer stations{"STATIONS", wkbPoint, {{"ID", OFTInteger}, {"LABEL", OFTString}}, {}};
        for (int64_t id = 1; id <= 3; ++id) {
            stations.rows.push_back(PointRow(double(id), double(id), {id, "station " + std::to_string(id)}));
        }
        FixtureLayer obs{"OBS", wkbNone, {{"STATION_ID", OFTInteger}, {"TIME", OFTDateTime}, {"TEMP", OFTReal}}, {}};
        const int64_t station_at[][2] = {{1, 0}, {2, 0}, {1, 6}, {3, 6}};
        for (const auto& [station, hour] : station_at) {
            obs.rows.push_back({"", {station, FixtureDate{2008, 3, 1, int(hour), 0}, double(station)}});
        }
        WriteGeoPackage(folder_.Path() / "obs.gpkg", {stations, obs});
        auto layer = gis::OpenFeatureLayer((folder_.Path() / "obs.gpkg").string(), "STATIONS");
        FocusMap().AddLayer(layer);
        return layer;
    }

    std::shared_ptr<gis::RasterLayer> AddRain() {
        auto rain = std::make_shared<gis::RasterLayer>(
            std::make_shared<BandNumberRaster>(3, (folder_.Path() / "rain.tif").string()), "Rain");
        FocusMap().AddLayer(rain);
        return rain;
    }

    std::shared_ptr<LayerData> Registered(const std::shared_ptr<gis::ILayer>& layer) {
        std::shared_ptr<LayerData> record;
        Registry().FindByLayer(layer, &record);
        return record;
    }

    ScratchFolder folder_;
};

TEST_F(DialogApplyTest, AShapefileSetUpInTheModalDialogFiltersTheMapAtTheSliderTime) {
    auto ships = OpenShips();
    platform::ui::ScriptedModalDialogService dialogs;
    platform::ui::ScopedModalDialogService scope(dialogs);
    dialogs.Then<frmTimedLayers>([&](frmTimedLayers& dialog) {
        Check(*ships);
        EXPECT_EQ(dialog.cboField[0].Text(), "DTG");
        dialog.chkVector.UserClick();
        Done();
    });
    dialog_.Show(platform::ui::FormShow::Modal);

    EXPECT_EQ(dialogs.Shown(), (std::vector<std::string>{"Select Map Layers For Timeline"}));
    EXPECT_FALSE(dialog_.Loaded());
    EXPECT_TRUE(MessageTexts().empty());
    ASSERT_EQ(RegisteredCount(), 1);
    const auto record = Registered(ships);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->TimeStepField, "DTG");
    EXPECT_TRUE(record->IsVectorized);
    EXPECT_EQ(record->SpeedField, "SPEED");
    EXPECT_EQ(record->TimeStepsCount(), 3);

    Registry().CurrentTime(Date::FromParts(2008, 3, 2, 6, 0));
    EXPECT_EQ(Drawn(*ships), (std::vector<uint32_t>{1}));
}

TEST_F(DialogApplyTest, TheSlidersSelectLayersButtonOpensTheDialogModally) {
    auto ships = OpenShips();
    layerconfig::InstallLayerDialog();
    platform::ui::ScriptedModalDialogService dialogs;
    platform::ui::ScopedModalDialogService scope(dialogs);
    dialogs.Then<frmTimedLayers>([&](frmTimedLayers& dialog) {
        dialog.tv1.UserCheck(dialog.tv1.Nodes().Item(1));
        dialog.cmdButton[0].Press();
    });
    Registry().Slider()->cmdSelectLayers.Press();
    SetLayerDialogOpener(nullptr);
    EXPECT_EQ(dialogs.Shown(), (std::vector<std::string>{"Select Map Layers For Timeline"}));
    EXPECT_NE(Registered(ships), nullptr);
    EXPECT_EQ(Registry().Slider()->lblTime[0].Caption(), "010600Z MAR 2008"); // the axis follows the new layer
}

TEST_F(DialogApplyTest, AGeoPackageLayerJoinedToItsObservationsShowsTheStationsReportingAtEachStep) {
    auto stations = OpenStations();
    auto& dialog = Open();
    Check(*stations);
    ASSERT_TRUE(dialog.optGDBJoined[1].Value());
    Pick(dialog.cboField[3], "ID");
    Pick(dialog.cboTable, "OBS");
    Pick(dialog.cboField[5], "STATION_ID");
    Pick(dialog.cboField[4], "fid");
    EXPECT_EQ(dialog.cboField[6].Text(), "TIME");
    Done();

    EXPECT_TRUE(MessageTexts().empty()) << MessageTexts()[0];
    EXPECT_FALSE(dialog.Loaded());
    const auto record = Registered(stations);
    ASSERT_NE(record, nullptr);
    EXPECT_TRUE(record->isJoined);
    EXPECT_EQ(record->TimeStepsCount(), 2); // 00:00 and 06:00
    Registry().CurrentTime(Date::FromParts(2008, 3, 1, 6, 0));
    EXPECT_EQ(Drawn(*stations), (std::vector<uint32_t>{0, 2}));
}

TEST_F(DialogApplyTest, ACheckedLayerStillMarkedBlocksDoneAndChangesNothing) {
    auto ships = OpenShips();
    auto& dialog = Open();
    Check(*ships);
    dialog.cboField[0].ListIndex(-1); // the user clears the proposed field
    Done();
    EXPECT_EQ(MessageTexts(),
              (std::vector<std::string>{"Input Error: Please Setup All Unconfigured Checked Layers Marked With An *"}));
    EXPECT_TRUE(dialog.Loaded());
    EXPECT_EQ(RegisteredCount(), 0);
    EXPECT_EQ(ships->DefinitionExpression(), "");
}

TEST_F(DialogApplyTest, DoneWithNothingCheckedClearsTheRegistryAndCloses) {
    auto ships = OpenShips();
    ASSERT_TRUE(Registry().AddShapefileLayer(ships, "DTG"));
    Registry().Update();
    auto& dialog = Open();
    ASSERT_TRUE(Node(*ships)->Checked());
    Check(*ships);
    Done();
    EXPECT_FALSE(dialog.Loaded());
    EXPECT_EQ(RegisteredCount(), 0);
}

TEST_F(DialogApplyTest, ARegisteredLayerReopensCheckedAndConfiguredAndAnUnchangedDoneKeepsItsRegistration) {
    auto ships = OpenShips();
    auto rain = AddRain();
    WriteRasterSettings((folder_.Path() / "rain.ini").string(),
                        {modDateTime::PartsToMinutes(2008, 3, 1, 0, 0), 1, "h"});
    ASSERT_TRUE(Registry().AddShapefileLayer(ships, "DTG"));
    ASSERT_TRUE(Registry().MakeVectors(ships, "SPEED", "DIR"));
    ASSERT_TRUE(Registry().AddRasterLayer(rain, "", modDateTime::PartsToMinutes(2008, 3, 1, 0, 0), 3600, "h"));
    Registry().Update();
    const auto before = g_Layers->NewEnum();

    auto& dialog = Open();
    EXPECT_EQ(Node(*ships)->Text(), "ships");
    EXPECT_TRUE(Node(*ships)->Checked());
    EXPECT_TRUE(Node(*rain)->Checked());
    Click(*ships);
    EXPECT_EQ(dialog.cboField[0].Text(), "DTG");
    EXPECT_EQ(dialog.chkVector.Value(), CheckBox::kChecked);
    EXPECT_EQ(dialog.cboField[2].Text(), "DIR");
    Done();

    EXPECT_FALSE(dialog.Loaded());
    EXPECT_EQ(g_Layers->NewEnum(), before); // the same records: nothing was registered again
}

TEST_F(DialogApplyTest, UncheckingARegisteredLayerRemovesItAndLiftsItsFilter) {
    auto ships = OpenShips();
    auto other = TimeTable({"3/1/2008 6:00"}, "Shapefile Feature Class");
    FocusMap().AddLayer(other.layer);
    ASSERT_TRUE(Registry().AddShapefileLayer(ships, "DTG"));
    ASSERT_TRUE(Registry().AddShapefileLayer(other.layer, "WHEN"));
    Registry().Update();
    Registry().CurrentTime(Date::FromParts(2008, 3, 2, 6, 0));
    ASSERT_EQ(Drawn(*ships).size(), 1U);

    Open();
    Check(*ships);
    Done();
    EXPECT_EQ(RegisteredCount(), 1);
    EXPECT_EQ(Registered(ships), nullptr);
    EXPECT_EQ(Drawn(*ships).size(), 3U);
}

TEST_F(DialogApplyTest, CancelAfterEditsLeavesTheRegistryAndTheMapAsTheyWere) {
    auto ships = OpenShips();
    auto rain = AddRain();
    ASSERT_TRUE(Registry().AddShapefileLayer(ships, "DTG"));
    Registry().Update();
    const auto before = g_Layers->NewEnum();
    const std::string expression = ships->DefinitionExpression();

    platform::ui::ScriptedModalDialogService dialogs;
    platform::ui::ScopedModalDialogService scope(dialogs);
    dialogs.Then<frmTimedLayers>([&](frmTimedLayers& dialog) {
        Click(*ships);
        Pick(dialog.cboField[0], "NAME");
        dialog.chkVector.UserClick();
        Check(*rain);
        dialog.cmdButton[1].Press();
    });
    dialog_.Show(platform::ui::FormShow::Modal);

    EXPECT_EQ(g_Layers->NewEnum(), before);
    EXPECT_EQ(before[0]->TimeStepField, "DTG");
    EXPECT_FALSE(before[0]->IsVectorized);
    EXPECT_EQ(ships->DefinitionExpression(), expression);
}

TEST_F(DialogApplyTest, ARasterIsRegisteredWithItsIntervalInSecondsAndAgainWhenTheIntervalChanges) {
    auto rain = AddRain();
    auto& dialog = Open();
    Check(*rain);
    dialog.lblTime.Caption("3/1/2008 6:00:00 AM");
    dialog.fldInterval.UserEnter(2);
    Pick(dialog.cmbInterval, "Hours");
    Done();
    EXPECT_DOUBLE_EQ(frmTimedLayers::IntervalSeconds(2, "h"), 7200.0);
    EXPECT_DOUBLE_EQ(frmTimedLayers::IntervalSeconds(3, "d"), 259200.0);
    EXPECT_DOUBLE_EQ(frmTimedLayers::IntervalSeconds(5, "x"), 300.0);

    auto record = Registered(rain);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->RasterInterval, 2);
    EXPECT_EQ(record->RasterIntervalUnits, "h");
    EXPECT_EQ(record->TimeStepsAsDate(2), Date::FromParts(2008, 3, 1, 8, 0));

    // The settings file the registry wrote is what the panel shows next time; only the interval changes.
    Open();
    Click(*rain);
    EXPECT_EQ(dialog_.lblTime.Caption(), "3/1/2008 6:00:00 AM");
    dialog_.fldInterval.UserEnter(30);
    Pick(dialog_.cmbInterval, "Minutes");
    Done();
    record = Registered(rain);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(RegisteredCount(), 1);
    EXPECT_EQ(record->TimeStepsAsDate(2), Date::FromParts(2008, 3, 1, 6, 30));
}

TEST_F(DialogApplyTest, ACheckedRasterIsRegisteredFromItsSettingsFileEvenWhenNeverSelected) {
    auto rain = AddRain();
    WriteRasterSettings((folder_.Path() / "rain.ini").string(),
                        {modDateTime::PartsToMinutes(2008, 3, 1, 0, 0), 1, "d"});
    auto& dialog = Open();
    ASSERT_TRUE(dialog.tv1.Checkboxes());
    Node(*rain)->Checked(true); // ticked without selecting it
    Done();
    const auto record = Registered(rain);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->TimeStepsAsDate(3), Date::FromParts(2008, 3, 3));
}

TEST_F(DialogApplyTest, AWebMapServiceLayerNeedsNoFieldsToBeRegistered) {
    auto radar = std::make_shared<gis::WmsMapLayer>("https://wms.example.org", "Radar");
    FocusMap().AddLayer(radar);
    auto ships = OpenShips();
    auto& dialog = Open();
    Check(*radar);
    Click(*ships); // leaving the service layer's panel keeps it unmarked
    EXPECT_EQ(Node(*radar)->Text(), "Radar");
    Done();
    EXPECT_FALSE(dialog.Loaded());
    ASSERT_NE(Registered(radar), nullptr);
    EXPECT_EQ(Registered(radar)->TimeStepsCount(), 49);
}

TEST_F(DialogApplyTest, PreviousStepsAndFastRefreshAreHandedOver) {
    auto stations = OpenStations();
    auto coast = TimeTable({"3/1/2008"}, "Shapefile Feature Class");
    coast.layer->Cached(true);
    FocusMap().AddLayer(coast.layer);
    auto& dialog = Open();
    Click(*coast.layer); // a cached layer counts once it has a record
    EXPECT_EQ(dialog.chkCache.Value(), CheckBox::kChecked);
    Check(*stations);
    Pick(dialog.cboField[3], "ID");
    Pick(dialog.cboTable, "OBS");
    Pick(dialog.cboField[5], "STATION_ID");
    Pick(dialog.cboField[4], "fid");
    ASSERT_TRUE(dialog.chkInclude[1].Enabled());
    dialog.chkInclude[1].UserClick();
    EXPECT_EQ(dialog.chkInclude[0].Value(), CheckBox::kChecked);
    dialog.chkRefresh.UserClick();
    Done();

    ASSERT_FALSE(dialog.Loaded());
    EXPECT_TRUE(g_bFastRefresh);
    ASSERT_NE(Registered(stations), nullptr);
    EXPECT_TRUE(Registered(stations)->IncludePreviousSteps);
    Registry().CurrentTime(Date::FromParts(2008, 3, 1, 6, 0));
    EXPECT_EQ(Drawn(*stations), (std::vector<uint32_t>{0, 1, 2}));
}

} // namespace
} // namespace chronova::testing
