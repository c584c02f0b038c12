#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <fstream>

#include "datetime/mod_date_time.h"
#include "gis/data/statistics.h"
#include "gis/layers/feature_layer.h"
#include "gis/layers/raster_layer.h"
#include "gis/layers/wms_map_layer.h"
#include "host/error_handling.h"
#include "platform/locale.h"
#include "records/i_time_layer.h"
#include "records/layer_data.h"
#include "registry/globals.h"
#include "support/error_number.h"
#include "support/memory_data.h"
#include "support/scratch_folder.h"
#include "timeapply/arc_objects.h"
#include "timeapply/test_layers.h"

namespace chronova::ArcObjects {
namespace {

using platform::Date;
using platform::Variant;

class DiscoveryTest : public ::testing::Test {
protected:
    void SetUp() override { ResetGlobals(); }
    void TearDown() override { ResetGlobals(); }

    platform::ScopedLocale us_{"en-US"};
    testing::ScratchFolder folder_;
};

int32_t Minutes(int year, int month, int day, int hour = 0, int minute = 0) {
    return modDateTime::DateToMinutes(Date::FromParts(year, month, day, hour, minute));
}

TEST_F(DiscoveryTest, RasterBandsStepByTheirInterval) {
    LayerData record;
    testing::MakeRasterRecord(record, 12, folder_.Path() / "rain.ini", Minutes(2008, 1, 1), 6, "h");
    ASSERT_TRUE(RetrieveTimeInfo(&record));
    ASSERT_EQ(record.TimeStepsCount(), 12);
    EXPECT_EQ(record.TimeFieldType, 2);
    EXPECT_EQ(record.TimeSteps(1), Variant(Date::FromParts(2008, 1, 1)));
    EXPECT_EQ(record.TimeSteps(12), Variant(Date::FromParts(2008, 1, 3, 18, 0)));
    EXPECT_EQ(record.StartTime, Minutes(2008, 1, 1));
    EXPECT_EQ(record.FinishTime, Minutes(2008, 1, 1) + 66 * 60);
    EXPECT_EQ(record.Interval, 360);
}

TEST_F(DiscoveryTest, AStepListOverridesTheIntervalAndMayHoldDateTimeGroups) {
    std::ofstream(folder_.Path() / "rain.xml") << "<list><timestep>010000Z JAN 2008</timestep>"
                                                  "<timestep>010030Z JAN 2008</timestep>"
                                                  "<timestep>020000Z JAN 2008</timestep></list>";
    LayerData record;
    testing::MakeRasterRecord(record, 3, folder_.Path() / "rain.ini", 0, 1, "d");
    ASSERT_TRUE(RetrieveTimeInfo(&record));
    EXPECT_EQ(record.TimeFieldType, 3);
    EXPECT_EQ(record.TimeSteps(2), Variant("010030Z JAN 2008"));
    EXPECT_EQ(record.StartTime, Minutes(2008, 1, 1));
    EXPECT_EQ(record.FinishTime, Minutes(2008, 1, 2));
    EXPECT_EQ(record.Interval, 30);

    LayerData more_bands;
    testing::MakeRasterRecord(more_bands, 4, folder_.Path() / "rain.ini", 0, 1, "d");
    EXPECT_RAISES(RetrieveTimeInfo(&more_bands), 9);
}

TEST_F(DiscoveryTest, AStepListThatCannotTimeTheBandsIsAnErrorNotAFallBackOnTheInterval) {
    for (const char* list : {"<list></list>", "<list><timestep>010000Z JAN 2008</timestep>", "",
                             "<list><timestep>010000Z JAN 2008</timestep><timestep>noon</timestep></list>"}) {
        SCOPED_TRACE(list);
        std::ofstream(folder_.Path() / "rain.xml", std::ios::binary) << list;
        LayerData record;
        testing::MakeRasterRecord(record, 2, folder_.Path() / "rain.ini", 0, 1, "d");
        EXPECT_RAISES(RetrieveTimeInfo(&record), 13);
        EXPECT_EQ(record.TimeStepsCount(), 0) << "no band is given a time";
    }
}

TEST_F(DiscoveryTest, FeatureFieldTypesDecideTheTimeFieldType) {
    auto data = testing::TimeTable({"3/1/2008 6:00", "3/1/2008 0:00", "3/1/2008 6:00", "3/2/2008"});
    struct Case {
        const char* field;
        bool found;
        int16_t type;
        int32_t steps;
    };
    const Case cases[] = {
        {"WHEN", true, 1, 3},   {"TEXT", true, 2, 3},   {"DTG", true, 3, 3},     {"MINUTES", true, 4, 3},
        {"SERIAL", true, 5, 3}, {"SMALL", false, 0, 0}, {"SINGLE", false, 0, 0}, {"NOPE", false, 0, 0},
    };
    for (const Case& c : cases) {
        LayerData record;
        testing::MakeFeatureRecord(record, data.layer, c.field);
        EXPECT_EQ(RetrieveTimeInfo(&record), c.found) << c.field;
        if (c.found) {
            EXPECT_EQ(record.TimeFieldType, c.type) << c.field;
            EXPECT_EQ(record.TimeStepsCount(), c.steps) << c.field;
            EXPECT_EQ(record.StartTime, Minutes(2008, 3, 1)) << c.field;
            EXPECT_EQ(record.FinishTime, Minutes(2008, 3, 2)) << c.field;
            EXPECT_EQ(record.Interval, 360) << c.field;
        }
    }
}

TEST_F(DiscoveryTest, AValueThatIsNoTimeIsNamedWithItsFeatureFieldAndTable) {
    // Ship reports whose second feature (id 102) holds a bad value in every field.
    auto workspace = std::make_shared<testing::MemoryWorkspace>("/data/ships.gpkg");
    auto ships = std::make_shared<testing::MemoryTestFeatureClass>("SHIPS", workspace);
    gis::ColumnTable& table = ships->Columns();
    gis::Column& oid = table.AddField({"OBJECTID", "", gis::FieldType::OID});
    gis::Column& dtg = table.AddField({"DTG", "", gis::FieldType::String});
    gis::Column& year = table.AddField({"YEAR", "", gis::FieldType::Integer});
    gis::Column& note = table.AddField({"NOTE", "", gis::FieldType::String});
    gis::Column& minutes = table.AddField({"MINUTES", "", gis::FieldType::Integer});
    for (int32_t row = 0; row < 3; ++row) {
        oid.AppendInteger(101 + row);
        dtg.AppendText(row == 1 ? "010300Z MAR' 2008" : "01" + std::to_string(10 + row) + "00Z MAR 2008");
        year.AppendInteger(row == 1 ? 20030 : 2001 + row);
        note.AppendText(row == 1 ? "later" : "soon");
        minutes.AppendInteger(row == 1 ? -2000000000 : Minutes(2008, 3, 1, row));
        ships->AddPoint(row, 0.0);
    }
    auto layer = std::make_shared<gis::FeatureLayer>(ships, "", "Ships");
    struct Case {
        const char* field;
        bool years;
        int32_t number;
        std::string message;
    };
    const Case cases[] = {
        {"DTG", false, 13, "feature 102, field DTG: '010300Z MAR' 2008' is not a date-time group (DDHHMMZ MON YYYY)"},
        {"YEAR", true, 6, "feature 102, field YEAR: 20030 is not a year from 100 to 9999"},
        {"NOTE", false, 13, "feature 102, field NOTE: 'later' is not a date and time"},
        {"MINUTES", false, 6, "feature 102, field MINUTES: -2000000000 is out of the range of times a step can take"},
    };
    for (const Case& c : cases) {
        LayerData record;
        testing::MakeFeatureRecord(record, layer, c.field);
        record.TimeInYears = c.years;
        const platform::AutomationError error = testing::ErrorOf([&] { RetrieveTimeInfo(&record); });
        EXPECT_EQ(error.Number(), c.number) << c.field;
        EXPECT_EQ(error.UserMessage(), "/data/ships.gpkg, layer SHIPS: " + c.message);
        // The classic text under the call stack stays what it was.
        EXPECT_TRUE(error.Description().starts_with("\tRetrieveTimeInfo ArcObjects \r\n")) << error.Description();
        EXPECT_EQ(ErrorHandling::InnermostDescription(error.Description()).find("feature"), std::string::npos);
    }
}

TEST_F(DiscoveryTest, AnEmptyTableOrAMissingFeatureClassHasNoSteps) {
    auto empty = testing::TimeTable({});
    LayerData record;
    testing::MakeFeatureRecord(record, empty.layer, "WHEN");
    EXPECT_FALSE(RetrieveTimeInfo(&record));
    LayerData no_data;
    testing::MakeFeatureRecord(no_data, std::make_shared<gis::FeatureLayer>(), "WHEN");
    EXPECT_FALSE(RetrieveTimeInfo(&no_data));
    EXPECT_FALSE(RetrieveTimeInfo(nullptr));
}

TEST_F(DiscoveryTest, AJoinedLayerTakesItsStepsFromTheJoinTable) {
    auto data = testing::StationsWithObservations();
    LayerData record;
    testing::MakeJoinRecord(record, data);
    ASSERT_TRUE(RetrieveTimeInfo(&record));
    EXPECT_EQ(record.TimeFieldType, 1);
    EXPECT_EQ(record.TimeStepsCount(), 3);
    record.JoinTable = "MISSING";
    EXPECT_THROW(RetrieveTimeInfo(&record), platform::AutomationError);
    record.JoinTable.clear();
    EXPECT_FALSE(RetrieveTimeInfo(&record));
}

TEST_F(DiscoveryTest, OneStepHasNoIntervalAndRepeatedStepsDoNotCount) {
    auto single = testing::TimeTable({"3/1/2008 6:00", "3/1/2008 6:00"});
    LayerData record;
    testing::MakeFeatureRecord(record, single.layer, "WHEN");
    ASSERT_TRUE(RetrieveTimeInfo(&record));
    EXPECT_EQ(record.Interval, 0);
    EXPECT_EQ(record.FinishTime, record.StartTime);

    auto custom = std::make_shared<testing::ScriptedTimeLayer>(
        std::vector<Variant>{Date::FromParts(2008, 1, 1, 10, 0), Date::FromParts(2008, 1, 1, 10, 0),
                             Date::FromParts(2008, 1, 1, 10, 30), Date::FromParts(2008, 1, 1, 12, 0)});
    LayerData custom_record;
    testing::MakeCustomRecord(custom_record, custom);
    ASSERT_TRUE(RetrieveTimeInfo(&custom_record));
    EXPECT_EQ(custom_record.Interval, 30);
    EXPECT_EQ(custom_record.TimeStepsCount(), 4);
}

TEST_F(DiscoveryTest, ADateFieldsStepsAreItsDistinctStoredValuesInOrder) {
    // Rows out of time order, repeats, nulls and values that carried an offset (read as stored).
    auto workspace = std::make_shared<testing::MemoryWorkspace>();
    auto points = std::make_shared<testing::MemoryTestFeatureClass>("POINTS", workspace);
    workspace->Add("POINTS", points);
    gis::Column& when = points->Columns().AddField({"WHEN", "", gis::FieldType::Date});
    const double hours[] = {5, 1, 5, -1, 3, 1, 0, 7, -1, 3};
    for (size_t row = 0; row < std::size(hours); ++row) {
        if (hours[row] < 0) {
            when.AppendNull();
        } else if (row % 3 == 0) {
            when.AppendZonedReal(Date::FromParts(2008, 3, 1).Serial() + hours[row] / 24.0, -300);
        } else {
            when.AppendReal(Date::FromParts(2008, 3, 1).Serial() + hours[row] / 24.0);
        }
        points->AddPoint(static_cast<double>(row), 0.0);
    }
    LayerData record;
    testing::MakeFeatureRecord(record, std::make_shared<gis::FeatureLayer>(points), "WHEN");
    ASSERT_TRUE(RetrieveTimeInfo(&record));
    EXPECT_EQ(record.TimeFieldType, 1);
    const std::vector<Variant> distinct = gis::UniqueValues(points->Search(), "WHEN");
    ASSERT_EQ(distinct.size(), 5u);
    ASSERT_EQ(record.TimeStepsCount(), 5);
    for (int32_t i = 1; i <= 5; ++i) {
        EXPECT_EQ(record.TimeSteps(i), distinct[static_cast<size_t>(i - 1)]) << i;
        EXPECT_EQ(record.TimeSteps(i).Type(), platform::VarType::Date) << i;
    }
    EXPECT_EQ(record.StartTime, Minutes(2008, 3, 1));
    EXPECT_EQ(record.FinishTime, Minutes(2008, 3, 1, 7));
    EXPECT_EQ(record.Interval, 60);
}

TEST_F(DiscoveryTest, ACustomLayersLastStepSetsTheType) {
    const std::pair<std::vector<Variant>, int16_t> cases[] = {
        {{Date::FromParts(2008, 1, 1)}, 1},
        {{"3/1/2008", "3/2/2008"}, 2},
        {{"010000Z JAN 2008"}, 3},
        {{int32_t{100}, int32_t{160}}, 4},
        {{39508.0, 39508.5}, 5},
        {{Date::FromParts(2008, 1, 1), int32_t{60}}, 4},
    };
    for (const auto& [steps, type] : cases) {
        LayerData record;
        testing::MakeCustomRecord(record, std::make_shared<testing::ScriptedTimeLayer>(steps));
        ASSERT_TRUE(RetrieveTimeInfo(&record));
        EXPECT_EQ(record.TimeFieldType, type);
    }
    LayerData none;
    auto empty = std::make_shared<testing::ScriptedTimeLayer>(std::vector<Variant>{});
    testing::MakeCustomRecord(none, empty);
    EXPECT_RAISES(RetrieveTimeInfo(&none), 9);
    EXPECT_EQ(empty->asked_positions, std::vector<int32_t>{});
}

TEST_F(DiscoveryTest, AWmsLayerGets49HoursAroundTheCurrentHour) {
    LayerData record;
    record.TheLayer = std::make_shared<gis::WmsMapLayer>("http://example.invalid/wms", "Radar");
    record.IsWMSLayer = true;
    record.TimeStepField = "NotUsed";
    ASSERT_TRUE(RetrieveTimeInfo(&record));
    ASSERT_EQ(record.TimeStepsCount(), 49);
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    const Date hour = Date::FromParts(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, 0);
    EXPECT_EQ(record.TimeStepsAsDate(25), hour);
    EXPECT_EQ(record.Interval, 60);
    EXPECT_EQ(record.FinishTime - record.StartTime, 48 * 60);
}

TEST_F(DiscoveryTest, UniquePointsModeCollectsEveryLayersStepsInOrder) {
    g_iDisplayType = 1;
    g_dteUniqueTimes = {Date(0.0)};
    auto later = testing::TimeTable({"3/2/2008"});
    auto earlier = testing::TimeTable({"3/1/2008"});
    LayerData first, second;
    testing::MakeFeatureRecord(first, later.layer, "WHEN");
    testing::MakeFeatureRecord(second, earlier.layer, "WHEN");
    ASSERT_TRUE(RetrieveTimeInfo(&first));
    EXPECT_EQ(first.Interval, 0);
    ASSERT_TRUE(RetrieveTimeInfo(&second));
    EXPECT_EQ(second.Interval, 1);
    EXPECT_EQ(g_dteUniqueTimes, (std::vector<Date>{Date::FromParts(2008, 3, 1), Date::FromParts(2008, 3, 2)}));
    ASSERT_TRUE(RetrieveTimeInfo(&second));
    EXPECT_EQ(g_dteUniqueTimes.size(), 2u);
}

TEST_F(DiscoveryTest, RetrieveTimeStepAnswersTheLatestStepWithinTheLayersRange) {
    auto data = testing::TimeTable({"3/1/2008 0:00", "3/1/2008 6:00"});
    LayerData record;
    testing::MakeFeatureRecord(record, data.layer, "WHEN");
    ASSERT_TRUE(RetrieveTimeInfo(&record));
    Variant step;
    EXPECT_FALSE(RetrieveTimeStep(&record, Date::FromParts(2008, 2, 29, 23, 59), step));
    ASSERT_TRUE(RetrieveTimeStep(&record, Date::FromParts(2008, 3, 1, 5, 59), step));
    EXPECT_EQ(step, Variant(Date::FromParts(2008, 3, 1)));
    ASSERT_TRUE(RetrieveTimeStep(&record, Date::FromParts(2008, 3, 1, 6, 0), step));
    EXPECT_EQ(step, Variant(Date::FromParts(2008, 3, 1, 6, 0)));
    record.IncludePreviousSteps = true;
    EXPECT_FALSE(RetrieveTimeStep(&record, Date::FromParts(2008, 3, 1, 6, 1), step));

    auto custom = std::make_shared<testing::ScriptedTimeLayer>(
        std::vector<Variant>{Date::FromParts(2008, 3, 1), Date::FromParts(2008, 3, 1, 6, 0)});
    LayerData custom_record;
    testing::MakeCustomRecord(custom_record, custom);
    ASSERT_TRUE(RetrieveTimeInfo(&custom_record));
    EXPECT_FALSE(RetrieveTimeStep(&custom_record, Date::FromParts(2008, 3, 2), step));
    custom->ShowPrevious(true);
    ASSERT_TRUE(RetrieveTimeStep(&custom_record, Date::FromParts(2008, 3, 2), step));
    EXPECT_EQ(step, Variant(Date::FromParts(2008, 3, 1, 6, 0)));
}

TEST_F(DiscoveryTest, LoadRangeMinMaxReadsNumericFieldsOnly) {
    auto data = testing::TimeTable({"3/1/2008", "3/2/2008", "3/3/2008"});
    LayerData record;
    testing::MakeFeatureRecord(record, data.layer, "WHEN");
    LoadRangeMinMax(&record, "SMALL");
    EXPECT_EQ(record.MinRange, 0.0);
    EXPECT_EQ(record.MaxRange, 2.0);
    LoadRangeMinMax(&record, "SERIAL");
    EXPECT_EQ(record.MinRange, 39508.0);
    EXPECT_EQ(record.MaxRange, 39510.0);
    for (const char* field : {"TEXT", "WHEN", "NOPE", ""}) {
        LoadRangeMinMax(&record, field);
        EXPECT_EQ(record.MinRange, 0.0) << field;
        EXPECT_EQ(record.MaxRange, 1.0) << field;
    }
    auto joined = testing::StationsWithObservations();
    LayerData join_record;
    testing::MakeJoinRecord(join_record, joined);
    LoadRangeMinMax(&join_record, "SPEED");
    EXPECT_EQ(join_record.MinRange, 1.0);
    EXPECT_EQ(join_record.MaxRange, 6.0);
}

} // namespace
} // namespace chronova::ArcObjects
