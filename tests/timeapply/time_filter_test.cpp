#include <gtest/gtest.h>

#include "gis/data/joined_table.h"
#include "gis/symbology/renderers.h"
#include "platform/debug_output.h"
#include "platform/locale.h"
#include "records/layer_data.h"
#include "registry/globals.h"
#include "support/drawn_features.h"
#include "support/error_number.h"
#include "support/scratch_folder.h"
#include "timeapply/arc_objects.h"
#include "timeapply/mod_layers.h"
#include "timeapply/test_layers.h"

namespace chronova::modLayers {
namespace {

using platform::Date;
using platform::Variant;
using testing::Drawn;

class TimeFilterTest : public ::testing::Test {
protected:
    void SetUp() override { ResetGlobals(); }
    void TearDown() override { ResetGlobals(); }

    platform::ScopedLocale us_{"en-US"};
    testing::TimeData data_ = testing::TimeTable({"3/1/2008 0:00", "3/1/2008 6:00", "3/1/2008 6:00", "3/1/2008 12:00"});
};

TEST_F(TimeFilterTest, WithoutFillGapsTheLayerShowsExactlyTheCurrentTimeInEveryFieldForm) {
    const Date six = Date::FromParts(2008, 3, 1, 6, 0);
    const std::pair<const char*, const char*> cases[] = {
        {"WHEN", "WHEN = #3/1/2008 6:00:00 AM#"},     {"TEXT", "TEXT = #3/1/2008 6:00:00 AM#"},
        {"DTG", "DTG = '010600Z MAR 2008'"},          {"MINUTES", nullptr},
        {"SERIAL", "SERIAL = #3/1/2008 6:00:00 AM#"},
    };
    for (const auto& [field, expression] : cases) {
        LayerData record;
        testing::MakeFeatureRecord(record, data_.layer, field);
        ASSERT_TRUE(ArcObjects::RetrieveTimeInfo(&record)) << field;
        ASSERT_TRUE(UpdateLayer(record, six)) << field;
        if (expression != nullptr) {
            EXPECT_EQ(data_.layer->DefinitionExpression(), expression);
        }
        EXPECT_EQ(Drawn(*data_.layer), (std::vector<int32_t>{2, 3})) << field;
        // A time between steps empties the layer through the filter; it is not hidden.
        ASSERT_TRUE(UpdateLayer(record, Date::FromParts(2008, 3, 1, 7, 0))) << field;
        EXPECT_TRUE(Drawn(*data_.layer).empty()) << field;
        EXPECT_EQ(data_.layer->DefinitionError(), "") << field;
    }
}

TEST_F(TimeFilterTest, WithFillGapsTheLayerShowsItsLatestStepAndNothingOutsideItsRange) {
    g_bFillGaps = true;
    g_bUpdateTOC = false;
    for (const char* field : {"WHEN", "TEXT", "DTG", "MINUTES", "SERIAL"}) {
        LayerData record;
        testing::MakeFeatureRecord(record, data_.layer, field);
        ASSERT_TRUE(ArcObjects::RetrieveTimeInfo(&record)) << field;
        ASSERT_TRUE(UpdateLayer(record, Date::FromParts(2008, 3, 1, 11, 59))) << field;
        EXPECT_EQ(Drawn(*data_.layer), (std::vector<int32_t>{2, 3})) << field;
        EXPECT_FALSE(UpdateLayer(record, Date::FromParts(2008, 3, 1, 12, 1))) << field;
        EXPECT_FALSE(UpdateLayer(record, Date::FromParts(2008, 2, 29))) << field;
    }
}

TEST_F(TimeFilterTest, PreviousStepsShowEverythingUpToTheStep) {
    LayerData record;
    testing::MakeFeatureRecord(record, data_.layer, "WHEN");
    record.IncludePreviousSteps = true;
    ASSERT_TRUE(ArcObjects::RetrieveTimeInfo(&record));
    ASSERT_TRUE(UpdateLayer(record, Date::FromParts(2008, 3, 1, 6, 0)));
    EXPECT_EQ(data_.layer->DefinitionExpression(), "WHEN <= #3/1/2008 6:00:00 AM#");
    EXPECT_EQ(Drawn(*data_.layer), (std::vector<int32_t>{1, 2, 3}));
}

TEST_F(TimeFilterTest, HidingFiltersToAValueNoStepHas) {
    struct Case {
        const char* field;
        bool shapefile;
        const char* expression;
    };
    const Case cases[] = {
        {"MINUTES", true, "MINUTES = -1"},
        {"WHEN", true, "WHEN = #12/29/1899#"},
        {"TEXT", true, "TEXT = ''"},
        {"SERIAL", true, "SERIAL = #-1#"},
        {"WHEN", false, "WHEN = #12/29/1899#"},
        {"MINUTES", false, "MINUTES = -1440"},
    };
    for (const Case& c : cases) {
        LayerData record;
        testing::MakeFeatureRecord(record, data_.layer, c.field);
        record.IsShapefile = c.shapefile;
        ASSERT_TRUE(ArcObjects::RetrieveTimeInfo(&record));
        platform::ScopedDebugCapture capture;
        HideLayer(record);
        EXPECT_EQ(data_.layer->DefinitionExpression(), c.expression);
        EXPECT_TRUE(Drawn(*data_.layer).empty()) << c.expression;
        EXPECT_EQ(capture.Lines().size(), c.shapefile ? 0u : 1u);
    }
}

TEST_F(TimeFilterTest, UnselectLeavesNoDefinitionExpression) {
    LayerData record;
    testing::MakeFeatureRecord(record, data_.layer, "WHEN");
    data_.layer->DefinitionExpression("OBJECTID > 2");
    UnselectLayer(record);
    EXPECT_EQ(data_.layer->DefinitionExpression(), "");
    EXPECT_EQ(Drawn(*data_.layer).size(), 4u);
}

TEST_F(TimeFilterTest, TheLayerNameCarriesTheStepOnlyWithFillGapsAndLabels) {
    LayerData record;
    testing::MakeFeatureRecord(record, data_.layer, "WHEN");
    ASSERT_TRUE(ArcObjects::RetrieveTimeInfo(&record));
    data_.layer->Name("Tracks [old] tail");
    ASSERT_TRUE(UpdateLayer(record, Date::FromParts(2008, 3, 1, 6, 0)));
    EXPECT_EQ(data_.layer->Name(), "Tracks");

    g_bFillGaps = true;
    platform::ScopedDebugCapture capture;
    ASSERT_TRUE(UpdateLayer(record, Date::FromParts(2008, 3, 1, 7, 0)));
    EXPECT_EQ(data_.layer->Name(), "Tracks [3/1/2008 6:00:00 AM]");
    ASSERT_TRUE(UpdateLayer(record, Date::FromParts(2008, 3, 1, 0, 0)));
    EXPECT_EQ(data_.layer->Name(), "Tracks [3/1/2008]");
    EXPECT_EQ(capture.Lines(), (std::vector<std::string>(2, "modLayers g_bFillGaps is True")));
}

TEST_F(TimeFilterTest, VectorsAreAppliedOnceAndTakenAwayOnUnselect) {
    LayerData record;
    testing::MakeFeatureRecord(record, data_.layer, "WHEN");
    record.IsVectorized = true;
    record.SpeedField = "SERIAL";
    record.DirectionField = "SMALL";
    record.VectorFont = "Arrows";
    record.VectorChar = 65;
    record.MinRange = 0.0;
    record.MaxRange = 10.0;
    ASSERT_TRUE(ArcObjects::RetrieveTimeInfo(&record));
    ASSERT_TRUE(UpdateLayer(record, Date::FromParts(2008, 3, 1, 6, 0)));
    auto vectors = std::dynamic_pointer_cast<gis::ClassBreaksRenderer>(data_.layer->Renderer());
    ASSERT_TRUE(vectors);
    EXPECT_EQ(vectors->Field, "SERIAL");
    EXPECT_EQ(vectors->RotationField, "SMALL");
    EXPECT_EQ(vectors->BreakCount(), 5);
    EXPECT_TRUE(record.VectorsApplied);

    // Later steps keep the renderer the first step made, even when something else replaced it since.
    auto replaced = std::make_shared<gis::SimpleRenderer>();
    data_.layer->Renderer(replaced);
    ASSERT_TRUE(UpdateLayer(record, Date::FromParts(2008, 3, 1, 12, 0)));
    EXPECT_EQ(data_.layer->Renderer(), replaced);

    data_.layer->Renderer(vectors);
    UnselectLayer(record);
    EXPECT_TRUE(std::dynamic_pointer_cast<gis::SimpleRenderer>(data_.layer->Renderer()));
    EXPECT_FALSE(record.VectorsApplied);
}

TEST_F(TimeFilterTest, ACustomLayerIsToldItsStepAndPutBackOnItsFirst) {
    auto layer = std::make_shared<testing::ScriptedTimeLayer>(
        std::vector<Variant>{Date::FromParts(2008, 3, 1), Date::FromParts(2008, 3, 2)});
    LayerData record;
    testing::MakeCustomRecord(record, layer);
    record.IncludePreviousSteps = true;
    ASSERT_TRUE(ArcObjects::RetrieveTimeInfo(&record));
    ASSERT_TRUE(UpdateLayer(record, Date::FromParts(2008, 3, 2)));
    EXPECT_TRUE(layer->ShowPrevious());
    HideLayer(record);
    UnselectLayer(record);
    EXPECT_EQ(layer->current_steps,
              (std::vector<Variant>{Date::FromParts(2008, 3, 2), Date(-1.0), Date::FromParts(2008, 3, 1)}));

    auto empty = std::make_shared<testing::ScriptedTimeLayer>(std::vector<Variant>{});
    LayerData empty_record;
    testing::MakeCustomRecord(empty_record, empty);
    EXPECT_TRUE(UpdateLayer(empty_record, Date::FromParts(2008, 3, 2)));
    UnselectLayer(empty_record);
    EXPECT_TRUE(empty->current_steps.empty());
}

TEST_F(TimeFilterTest, ARasterShowsTheBandOfTheStepOrNothing) {
    testing::ScratchFolder folder;
    LayerData record;
    auto layer = testing::MakeRasterRecord(record, 4, folder.Path() / "rain.ini",
                                           modDateTime::DateToMinutes(Date::FromParts(2008, 3, 1)), 6, "h");
    ASSERT_TRUE(ArcObjects::RetrieveTimeInfo(&record));
    ASSERT_TRUE(UpdateLayer(record, Date::FromParts(2008, 3, 1, 12, 0)));
    EXPECT_EQ(layer->RendererBandIndex(), 2);
    EXPECT_EQ(layer->EffectLevel(), 0);
    ASSERT_TRUE(UpdateLayer(record, Date::FromParts(2008, 3, 1, 13, 0)));
    EXPECT_EQ(layer->RendererBandIndex(), 2);
    EXPECT_EQ(layer->EffectLevel(), 100);
    ASSERT_TRUE(UpdateLayer(record, Date::FromParts(2008, 3, 1)));
    EXPECT_EQ(layer->RendererBandIndex(), 0);
    EXPECT_EQ(layer->EffectLevel(), 0);
    HideLayer(record);
    EXPECT_EQ(layer->EffectLevel(), 100);
}

class JoinTest : public TimeFilterTest {
protected:
    std::vector<int32_t> StationsDrawn() { return Drawn(*join_.layer); }
    size_t JoinCount() { return join_.layer->Joins().size(); }

    testing::JoinData join_ = testing::StationsWithObservations();
};

TEST_F(JoinTest, EachStepReplacesThePreviousJoin) {
    LayerData record;
    testing::MakeJoinRecord(record, join_);
    ASSERT_TRUE(ArcObjects::RetrieveTimeInfo(&record));
    g_bFillGaps = true;
    ASSERT_TRUE(UpdateLayer(record, Date::FromParts(2008, 3, 1, 0, 0)));
    EXPECT_EQ(record.sqlTable, "OBS_QUERY");
    EXPECT_EQ(record.sqlFields, "TIME,STATION_ID");
    EXPECT_EQ(record.sqlWhere, "TIME = #3/1/2008#");
    EXPECT_EQ(StationsDrawn(), (std::vector<int32_t>{1, 2}));
    ASSERT_TRUE(UpdateLayer(record, Date::FromParts(2008, 3, 1, 12, 0)));
    EXPECT_EQ(StationsDrawn(), (std::vector<int32_t>{1, 3}));
    EXPECT_FALSE(UpdateLayer(record, Date::FromParts(2008, 3, 1, 12, 1)));
    EXPECT_EQ(JoinCount(), 1u);
    EXPECT_EQ(join_.layer->Name(), "Stations [3/1/2008 12:00:00 PM]");
    UnselectLayer(record);
    EXPECT_EQ(JoinCount(), 0u);
    EXPECT_EQ(StationsDrawn(), (std::vector<int32_t>{1, 2, 3}));
}

TEST_F(JoinTest, TheJoinBringsTheStepsFieldsToTheLayer) {
    LayerData record;
    testing::MakeJoinRecord(record, join_);
    record.SpeedField = "SPEED";
    record.DirectionField = "DIR";
    record.AdditionalFields = "OBS_ID";
    record.IncludePreviousSteps = true;
    ASSERT_TRUE(ArcObjects::RetrieveTimeInfo(&record));
    JoinLayerFeaturesByTimeStep(record, Date::FromParts(2008, 3, 1, 6, 0));
    EXPECT_EQ(record.sqlFields, "TIME,STATION_ID,SPEED,DIR,OBS_ID");
    EXPECT_EQ(record.sqlWhere, "TIME <= #3/1/2008 6:00:00 AM#");
    const auto table = join_.layer->DisplayTable();
    EXPECT_GE(table->FindField("OBS_QUERY.SPEED"), 0);
    EXPECT_EQ(StationsDrawn(), (std::vector<int32_t>{1, 2}));

    LayerData speed_only;
    testing::MakeJoinRecord(speed_only, join_);
    speed_only.SpeedField = "SPEED";
    speed_only.TimeFieldType = 1;
    JoinLayerFeaturesByTimeStep(speed_only, Date::FromParts(2008, 3, 1, 6, 0));
    EXPECT_EQ(speed_only.sqlFields, "TIME,STATION_ID");
}

TEST_F(JoinTest, HidingJoinsTheStepOfDateMinusOne) {
    LayerData record;
    testing::MakeJoinRecord(record, join_);
    ASSERT_TRUE(ArcObjects::RetrieveTimeInfo(&record));
    HideLayer(record);
    EXPECT_EQ(record.sqlWhere, "TIME = #12/29/1899#");
    EXPECT_TRUE(StationsDrawn().empty());
    EXPECT_EQ(JoinCount(), 1u);
}

TEST_F(JoinTest, RemoveJoinMatchesNamesExactlyAndKeepsTheJoinsBelow) {
    EXPECT_TRUE(RemoveJoin(join_.layer, "OBS_QUERY"));
    EXPECT_FALSE(RemoveJoin(nullptr, "OBS_QUERY"));
    LayerData record;
    testing::MakeJoinRecord(record, join_);
    record.TimeFieldType = 1;
    JoinLayerFeaturesByTimeStep(record, Date::FromParts(2008, 3, 1, 12, 0));
    ASSERT_EQ(JoinCount(), 1u);
    EXPECT_TRUE(RemoveJoin(join_.layer, "obs_query"));
    EXPECT_EQ(JoinCount(), 1u);

    // A second join on top of the step's join: removing the lower one drops both, removing the upper
    // one keeps the lower.
    auto relationship = std::make_shared<gis::MemoryRelationshipClass>();
    relationship->Name = "Names";
    relationship->Origin = join_.layer->DisplayFeatureClass();
    relationship->OriginKey = "ID";
    relationship->Destination = join_.observations;
    relationship->DestinationKey = "STATION_ID";
    join_.layer->DisplayRelationshipClass(relationship, gis::JoinType::LeftOuterJoin);
    ASSERT_EQ(JoinCount(), 2u);
    EXPECT_TRUE(RemoveJoin(join_.layer, "OBS"));
    EXPECT_EQ(JoinCount(), 1u);
    EXPECT_EQ(join_.layer->DisplayTable()->Name(), "OBS_QUERY");
    EXPECT_EQ(StationsDrawn(), (std::vector<int32_t>{1, 3}));
}

TEST_F(JoinTest, ABadJoinIsReportedAndTheLayerKeepsItsJoin) {
    LayerData record;
    testing::MakeJoinRecord(record, join_);
    record.TimeFieldType = 1;
    JoinLayerFeaturesByTimeStep(record, Date::FromParts(2008, 3, 1, 12, 0));
    record.ForeignKeyField = "NO_SUCH_KEY";
    EXPECT_THROW(JoinLayerFeaturesByTimeStep(record, Date::FromParts(2008, 3, 1)), platform::AutomationError);
    EXPECT_EQ(JoinCount(), 1u);
    EXPECT_EQ(StationsDrawn(), (std::vector<int32_t>{1, 3}));
}

} // namespace
} // namespace chronova::modLayers
