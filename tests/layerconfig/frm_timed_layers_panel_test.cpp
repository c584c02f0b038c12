// The editing panel: the fields each list offers and proposes, how the controls enable one another, and how the
// panel is stored back into the record and into the node's mark.
#include "dialog_fixture.h"

#include "datetime/date_time_picker.h"
#include "datetime/mod_date_time.h"
#include "gis/layers/feature_layer.h"
#include "support/scratch_folder.h"
#include "timeapply/raster_side_files.h"
#include "timeapply/test_layers.h"

#include <fstream>

namespace chronova::testing {
namespace {

using platform::ui::CheckBox;
using Fields = std::vector<std::pair<std::string, int16_t>>;

// A shapefile layer whose time field the dialog can propose (WHEN, a date), with speed and direction fields.
struct Ships {
    TimeData data = TimeTable({"3/1/2008 6:00", "3/1/2008 7:00", "3/1/2008 8:00"}, "Shapefile Feature Class");
    Ships() {
        data.layer->Name("Ships");
        auto& columns = data.feature_class->Columns();
        auto& speed = columns.AddField({"SPEED", "", gis::FieldType::Double});
        auto& direction = columns.AddField({"DIR", "", gis::FieldType::Double});
        for (int row = 0; row < 3; ++row) {
            speed.AppendReal(10.0 * row);
            direction.AppendReal(90.0 * row);
        }
    }
};

TEST_F(DialogTest, AShapefileIsProposedItsDateFieldAndLosesItsMarkOnceConfigured) {
    Ships ships;
    auto coast = TimeTable({"3/1/2008"}, "Shapefile Feature Class").layer;
    coast->Name("Coast");
    FocusMap().AddLayer(coast);
    FocusMap().AddLayer(ships.data.layer);
    auto& dialog = Open();

    Click(*ships.data.layer);
    EXPECT_EQ(Entries(dialog.cboField[0]), (std::vector<std::string>{"OBJECTID", "WHEN", "TEXT", "DTG", "MINUTES",
                                                                     "SERIAL", "SMALL", "SINGLE", "SPEED", "DIR"}));
    EXPECT_EQ(dialog.cboField[0].Text(), "DTG"); // the last whole match: WHEN is no candidate, DTG is
    EXPECT_TRUE(dialog.cboField[0].Enabled());
    EXPECT_FALSE(dialog.cboTable.Enabled());
    // A text time field cannot show previous steps.
    EXPECT_FALSE(dialog.chkInclude[0].Enabled());
    Pick(dialog.cboField[0], "WHEN");
    EXPECT_TRUE(dialog.chkInclude[0].Enabled());
    EXPECT_FALSE(dialog.chkInclude[1].Enabled());
    EXPECT_EQ(Node(*ships.data.layer)->Text(), "Ships*");

    Click(*coast); // leaving the panel stores it
    EXPECT_EQ(Node(*ships.data.layer)->Text(), "Ships");
    auto record = dialog.LayerList()->Item(std::to_string(ships.data.layer->LayerId()));
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->TimeStepField, "WHEN");
    EXPECT_TRUE(record->IncludesTimeSteps);

    Click(*ships.data.layer); // the stored field comes back
    EXPECT_EQ(dialog.cboField[0].Text(), "WHEN");
}

TEST_F(DialogTest, VectorsOfAPointLayerAskForSpeedAndDirectionAndBothAreNeeded) {
    Ships ships;
    FocusMap().AddLayer(ships.data.layer);
    auto& dialog = Open();
    Click(*ships.data.layer);
    Pick(dialog.cboField[0], "WHEN");
    ASSERT_TRUE(dialog.chkVector.Enabled());
    EXPECT_EQ(dialog.cboField[1].ListCount(), 0);

    dialog.chkVector.UserClick();
    EXPECT_TRUE(dialog.cboField[1].Enabled());
    EXPECT_EQ(dialog.cboField[1].Text(), "SPEED");
    EXPECT_EQ(dialog.cboField[2].Text(), "DIR");
    EXPECT_EQ(Entries(dialog.cboField[1]).size(), 7U); // numbers only: no TEXT, DTG or WHEN

    dialog.cboField[2].ListIndex(-1);
    dialog.SaveLayerData(dialog.CurrentData());
    EXPECT_EQ(Node(*ships.data.layer)->Text(), "Ships*");
    Pick(dialog.cboField[2], "DIR");
    dialog.SaveLayerData(dialog.CurrentData());
    EXPECT_EQ(Node(*ships.data.layer)->Text(), "Ships");
    EXPECT_TRUE(dialog.CurrentData()->IsVectorized);
    EXPECT_EQ(dialog.CurrentData()->SpeedField, "SPEED");

    dialog.chkVector.UserClick(); // off again: the lists empty
    EXPECT_EQ(dialog.cboField[1].ListCount(), 0);
    EXPECT_FALSE(dialog.cboField[2].Enabled());
}

TEST_F(DialogTest, VectorsAreNotOfferedForLinesOrPolygons) {
    Ships ships;
    ships.data.feature_class->shape_type = gis::GeometryType::Polyline;
    FocusMap().AddLayer(ships.data.layer);
    auto& dialog = Open();
    Click(*ships.data.layer);
    EXPECT_FALSE(dialog.chkVector.Enabled());
    EXPECT_FALSE(dialog.cboField[1].Enabled());
}

TEST_F(DialogTest, ACustomLayerProposesUAndVAndItsForcedVectorFields) {
    auto wind = std::make_shared<CustomTimeLayer>(
        "Wind", Fields{{"TIME", 7}, {"u", 5}, {"v", 5}, {"WIND_SPEED", 4}, {"WIND_DIR", 4}, {"NAME", 8}});
    FocusMap().AddLayer(wind);
    auto& dialog = Open();
    Click(*wind);
    EXPECT_EQ(dialog.cboField[0].Text(), "TIME");
    dialog.chkVector.UserClick();
    EXPECT_EQ(dialog.cboField[1].Text(), "u");
    EXPECT_EQ(dialog.cboField[2].Text(), "v");

    auto forced = std::make_shared<CustomTimeLayer>(
        "Gusts", Fields{{"TIME", 7}, {"u", 5}, {"v", 5}, {"WIND_SPEED", 4}, {"WIND_DIR", 4}});
    forced->force_vectors = true;
    FocusMap().AddLayer(forced);
    dialog.Unload();
    Open();
    Click(*forced);
    EXPECT_EQ(dialog.chkVector.Value(), CheckBox::kChecked);
    EXPECT_EQ(dialog.cboField[1].Text(), "WIND_SPEED");
    EXPECT_EQ(dialog.cboField[2].Text(), "WIND_DIR");
}

TEST_F(DialogTest, AJoinedGeodatabaseLayerListsItsTablesAndTheChosenTablesFields) {
    JoinData join = StationsWithObservations();
    join.layer->DataSourceType("Personal Geodatabase Feature Class");
    join.layer->Name("Stations");
    FocusMap().AddLayer(join.layer);
    auto& dialog = Open();
    Click(*join.layer);
    ASSERT_TRUE(dialog.optGDBJoined[1].Value());
    EXPECT_EQ(dialog.txtJoinName.Text(), "Join_Stations");
    EXPECT_EQ(Entries(dialog.cboTable), (std::vector<std::string>{"OBS"}));
    EXPECT_EQ(dialog.cboTable.ListIndex(), -1);
    EXPECT_EQ(Entries(dialog.cboField[3]), (std::vector<std::string>{"ID", "NAME"}));

    Pick(dialog.cboField[3], "ID");
    Pick(dialog.cboTable, "OBS");
    EXPECT_EQ(dialog.cboField[6].Text(), "TIME");
    EXPECT_EQ(dialog.cboField[4].Text(), ""); // no candidate key name
    EXPECT_EQ(dialog.cboField[5].Text(), ""); // no table field inside the layer's key name
    EXPECT_EQ(Entries(dialog.cboField[4]), (std::vector<std::string>{"OBS_ID", "STATION_ID", "SPEED", "DIR"}));
    EXPECT_EQ(dialog.lstFields.ListCount(), 5);

    // Choosing the table again lists its fields once, not twice.
    dialog.cboTable.ListIndex(-1);
    Pick(dialog.cboTable, "OBS");
    EXPECT_EQ(dialog.cboField[6].ListCount(), 5);

    // Incomplete until every join value is there; the join name may not be empty.
    Pick(dialog.cboField[4], "OBS_ID");
    Pick(dialog.cboField[5], "STATION_ID");
    dialog.txtJoinName.UserType("");
    dialog.SaveLayerData(dialog.CurrentData());
    EXPECT_EQ(Node(*join.layer)->Text(), "Stations*");
    dialog.txtJoinName.UserType("Join_Stations");
    dialog.lstFields.Selected(3, true);
    dialog.lstFields.Selected(4, true);
    dialog.SaveLayerData(dialog.CurrentData());
    EXPECT_EQ(Node(*join.layer)->Text(), "Stations");
    const auto& record = *dialog.CurrentData();
    EXPECT_TRUE(record.isJoined);
    EXPECT_FALSE(record.IncludesTimeSteps);
    EXPECT_EQ(record.HostKeyField, "ID");
    EXPECT_EQ(record.JoinTable, "OBS");
    EXPECT_EQ(record.ForeignKeyField, "STATION_ID");
    EXPECT_EQ(record.TimeStepField, "TIME");
    EXPECT_EQ(record.AdditionalFields, "SPEED,DIR");
}

TEST_F(DialogTest, AStoredJoinIsShownAgainWithItsAdditionalFieldsReselectedWhole) {
    JoinData join = StationsWithObservations();
    join.layer->DataSourceType("Personal Geodatabase Feature Class");
    auto& obs = join.observations->Columns();
    auto& speed2 = obs.AddField({"SPEED2", "", gis::FieldType::Double});
    for (int row = 0; row < 6; ++row) {
        speed2.AppendReal(row);
    }
    FocusMap().AddLayer(join.layer);
    auto& dialog = Open();
    Click(*join.layer);
    auto record = dialog.CurrentData();
    record->JoinTable = "OBS";
    record->HostKeyField = "ID";
    record->ForeignKeyField = "STATION_ID";
    record->AdditionalFields = "speed,DIR";
    dialog.ClearControls();
    dialog.LoadLayerData(record);
    EXPECT_EQ(dialog.cboTable.Text(), "OBS");
    EXPECT_EQ(dialog.cboField[5].Text(), "STATION_ID");
    std::vector<std::string> selected;
    for (int32_t k = 0; k < dialog.lstFields.ListCount(); ++k) {
        if (dialog.lstFields.Selected(k)) {
            selected.push_back(dialog.lstFields.List(k));
        }
    }
    EXPECT_EQ(selected, (std::vector<std::string>{"SPEED", "DIR"}));
}

TEST_F(DialogTest, TheTwoPreviousStepBoxesAlwaysAgree) {
    auto& dialog = Open();
    dialog.chkInclude[0].Enabled(true);
    dialog.chkInclude[0].UserClick();
    EXPECT_EQ(dialog.chkInclude[1].Value(), CheckBox::kChecked);
    dialog.chkInclude[1].Enabled(true);
    dialog.chkInclude[1].UserClick();
    EXPECT_EQ(dialog.chkInclude[0].Value(), CheckBox::kUnchecked);
}

TEST_F(DialogTest, ARasterPanelShowsItsSettingsFileAndHidesWhenAStepListTimesTheBands) {
    ScratchFolder folder;
    const auto raster_path = folder / "rain.tif";
    auto rain = std::make_shared<gis::RasterLayer>(std::make_shared<BandNumberRaster>(3, raster_path.string()), "Rain");
    FocusMap().AddLayer(rain);
    WriteRasterSettings((folder / "rain.ini").string(), {modDateTime::PartsToMinutes(2008, 3, 1, 6, 0), 2, "h"});
    auto& dialog = Open();
    Click(*rain);
    EXPECT_TRUE(dialog.fraRaster.Visible());
    EXPECT_EQ(dialog.lblTime.Caption(), "3/1/2008 6:00:00 AM");
    EXPECT_EQ(dialog.fldInterval.Value(), 2);
    EXPECT_EQ(dialog.cmbInterval.Text(), "Hours");
    EXPECT_EQ(Node(*rain)->Text(), "Rain");

    // Edits go into the record when the panel is left.
    dialog.fldInterval.UserEnter(30);
    Pick(dialog.cmbInterval, "Minutes");
    dialog.SaveLayerData(dialog.CurrentData());
    EXPECT_EQ(dialog.CurrentData()->RasterInterval, 30);
    EXPECT_EQ(dialog.CurrentData()->RasterIntervalUnits, "n");
    EXPECT_EQ(dialog.CurrentData()->RasterStartTime, modDateTime::PartsToMinutes(2008, 3, 1, 6, 0));

    std::ofstream(folder / "rain.xml") << "<steps><timestep>3/1/2008 6:00</timestep></steps>";
    dialog.tv1.UserClick(Node(*rain));
    EXPECT_FALSE(dialog.fraRaster.Visible());
}

TEST_F(DialogTest, ClickingTheStartTimeOpensThePickerAndKeepsTheTimeWhenCancelled) {
    auto rain = std::make_shared<gis::RasterLayer>(std::make_shared<BandNumberRaster>(3), "Rain");
    FocusMap().AddLayer(rain);
    // A picker whose user sets the hour to 18, or cancels.
    struct Picker : modDateTime::IDateTimePicker {
        explicit Picker(const bool& cancel) : cancel_(cancel) {}
        void ShowModal() override {
            modDateTime::Picker().bCancelled = cancel_;
            modDateTime::Picker().iHour = 18;
        }
        const bool& cancel_;
    };
    bool cancel = false;
    modDateTime::SetDateTimePickerFactory([&] { return std::make_unique<Picker>(cancel); });
    auto& dialog = Open();
    Click(*rain);
    dialog.lblTime.Caption("3/1/2008 6:00:00 AM");
    dialog.lblTime.UserClick();
    EXPECT_EQ(dialog.lblTime.Caption(), "3/1/2008 6:00:00 PM");
    cancel = true;
    dialog.lblTime.Caption("3/2/2008");
    dialog.lblTime.UserClick();
    EXPECT_EQ(dialog.lblTime.Caption(), "3/2/2008");
    modDateTime::ResetDateTimePicker();

    // Without a picker the click reports the error instead of taking the dialog down.
    dialog.lblTime.UserClick();
    EXPECT_EQ(messages_.MessageBoxes().size(), 1U);
}

} // namespace
} // namespace chronova::testing
