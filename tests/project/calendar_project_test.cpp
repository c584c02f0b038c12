// Projects that step by the calendar: yearly polygons from an integer field of years, a monthly raster, interval
// texts and label formats, opened through the session as the command line opens them.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "datetime/mod_date_time.h"
#include "gis/layers/feature_layer.h"
#include "gis/layers/raster_layer.h"
#include "platform/automation_error.h"
#include "platform/locale.h"
#include "platform/ui/event_loop.h"
#include "platform/ui/message_service.h"
#include "project/project_file.h"
#include "project/project_session.h"
#include "records/layer_data.h"
#include "records/time_codes.h"
#include "registry/chronova_data.h"
#include "registry/globals.h"
#include "support/error_number.h"
#include "support/gdal_fixtures.h"
#include "support/scratch_folder.h"
#include "timeapply/mod_layers.h"

namespace chronova::project {
namespace {

using testing::FixtureLayer;

int32_t At(int16_t year, int16_t month, int16_t day) {
    return modDateTime::PartsToMinutes(year, month, day, 0, 0);
}

class CalendarProjectTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetGlobals();
        // One square per year 2000..2020, written in a shuffled order so that steps must be sorted.
        FixtureLayer parcels{"parcels", wkbPolygon, {{"YR", OFTInteger}, {"SERIAL", OFTReal}}, {}};
        for (int i = 0; i <= 20; ++i) {
            const int year = 2000 + (i * 8) % 21;
            const std::string x0 = std::to_string(i);
            const std::string x1 = std::to_string(i + 1);
            parcels.rows.push_back({"POLYGON ((" + x0 + " 0, " + x1 + " 0, " + x1 + " 1, " + x0 + " 1, " + x0 + " 0))",
                                    {int64_t{year}, 38000.0 + i}});
        }
        testing::WriteGeoPackage(folder_ / "years.gpkg", {parcels});

        testing::GeoTiffLayout monthly;
        monthly.bands = 12;
        testing::WriteGeoTiff(folder_ / "monthly.tif", monthly, [](int band, int x, int) { return band * 10.0 + x; });
    }
    void TearDown() override { ResetGlobals(); }

    std::unique_ptr<ProjectSession> Open(const std::string& body) {
        const auto file = folder_ / "calendar.chronova.json";
        std::ofstream(file) << R"({"chronova_project": 1, )" << body << "}";
        return std::make_unique<ProjectSession>(LoadProject(file), loop_);
    }

    static constexpr const char* kParcels =
        R"({"name": "Parcels", "kind": "feature", "source": {"workspace": "years.gpkg", "dataset": "parcels"},
            "time": {"field": "YR", "kind": "year"}})";

    platform::ScopedLocale us_{"en-US"};
    platform::ui::RecordingMessageService messages_;
    platform::ui::ScopedMessageService message_scope_{messages_};
    platform::ui::EventLoop loop_;
    testing::ScratchFolder folder_;
};

TEST_F(CalendarProjectTest, YearsOfAnIntegerFieldAreLabelledAndFilteredByYear) {
    const auto session = Open(std::string(R"("layers": [)") + kParcels + R"(], "time": {"interval": "1y"})");
    ChronovaData& registry = session->Registry();
    LayerData& record = *session->FindLayer("Parcels")->Record;
    EXPECT_EQ(record.TimeFieldType, kTimeFieldYear);
    ASSERT_EQ(record.TimeStepsCount(), 21);
    EXPECT_EQ(record.StartTime, At(2000, 1, 1)) << "2000 is 1 January 2000, not 2000 minutes";
    EXPECT_EQ(record.FinishTime, At(2020, 1, 1));
    EXPECT_EQ(registry.IntervalUnit(), "yyyy");
    EXPECT_EQ(registry.Interval(), 1);

    const auto layer = std::dynamic_pointer_cast<gis::FeatureLayer>(record.TheLayer);
    ASSERT_TRUE(layer);
    AxisState axis = registry.Axis();
    ASSERT_EQ(axis.position_count, 21);
    EXPECT_EQ(axis.start_label, "2000");
    EXPECT_EQ(axis.finish_label, "2020");
    for (int32_t position = 0; position < axis.position_count; ++position) {
        registry.GoToPosition(position);
        axis = registry.Axis();
        const std::string year = std::to_string(2000 + position);
        EXPECT_EQ(axis.current_label, year);
        EXPECT_EQ(layer->DefinitionExpression(), "YR = " + year);
        ASSERT_EQ(layer->VisibleFeatures()->size(), 1u) << year;
    }
    EXPECT_EQ(modDateTime::DateToMinutes(registry.CurrentTime()), At(2020, 1, 1)) << "labels read back as times";

    registry.ShowPreviousTimeSteps(layer);
    registry.GoToPosition(5);
    EXPECT_EQ(layer->DefinitionExpression(), "YR <= 2005");
    EXPECT_EQ(layer->VisibleFeatures()->size(), 6u) << "2000 to 2005";
    EXPECT_TRUE(messages_.MessageBoxes().empty());
}

TEST_F(CalendarProjectTest, AMonthlyRasterStepsByTheCalendar) {
    auto session = Open(R"("layers": [{"name": "Monthly", "kind": "raster", "source": {"path": "monthly.tif"},
        "time": {"raster": {"start": "2024-01-31 00:00", "interval": 1, "unit": "m"}}}],
        "time": {"interval": "1mon"}, "display": {"label_format": "%Y-%m-%d"})");
    ChronovaData& registry = session->Registry();
    LayerData& record = *session->FindLayer("Monthly")->Record;
    const int16_t last_days[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    ASSERT_EQ(record.TimeStepsCount(), 12);
    for (int16_t band = 1; band <= 12; ++band) {
        EXPECT_EQ(modDateTime::DateToMinutes(record.TimeStepsAsDate(band)), At(2024, band, last_days[band - 1]))
            << "band " << band;
    }
    std::ifstream side_file(folder_ / "monthly.ini");
    std::stringstream side_text;
    side_text << side_file.rdbuf();
    EXPECT_EQ(side_text.str(), " " + std::to_string(At(2024, 1, 31)) + " \r\n 1 \r\nm\r\n")
        << "the count of months and the classic month code";

    const auto raster = std::dynamic_pointer_cast<gis::RasterLayer>(record.TheLayer);
    ASSERT_TRUE(raster);
    ASSERT_EQ(registry.Axis().position_count, 12);
    registry.GoToPosition(1);
    EXPECT_EQ(registry.Axis().current_label, "2024-02-29");
    EXPECT_EQ(raster->RendererBandIndex(), 1) << "the second band";
    registry.GoToPosition(2);
    EXPECT_EQ(registry.Axis().current_label, "2024-03-31") << "counted from the start, not from February";
    EXPECT_EQ(raster->RendererBandIndex(), 2);
    EXPECT_EQ(registry.TimeAfterInterval(At(2024, 1, 31)), At(2024, 2, 29));

    // Without the raster entry, the side file written above gives the same months.
    session.reset();
    session =
        Open(R"("layers": [{"name": "Monthly", "kind": "raster", "source": {"path": "monthly.tif"}, "time": {}}])");
    LayerData& reread = *session->FindLayer("Monthly")->Record;
    EXPECT_EQ(modDateTime::DateToMinutes(reread.TimeStepsAsDate(12)), At(2024, 12, 31));
    EXPECT_EQ(reread.RasterIntervalUnits, "m");
    for (const auto& bad : {std::pair{0, "m"}, {1, "d"}}) {
        EXPECT_EQ(testing::ErrorNumberOf([&] {
                      session->Registry().AddCalendarRasterLayer(reread.TheLayer, At(2024, 1, 1), bad.first,
                                                                 bad.second);
                  }),
                  platform::error::kInvalidProcedureCall)
            << bad.first << bad.second;
    }
}

TEST_F(CalendarProjectTest, MinuteIntervalsKeepTheClassicLabelsUnlessAFormatIsGiven) {
    const auto session = Open(std::string(R"("layers": [)") + kParcels + R"(], "time": {"interval": "1d"})");
    ChronovaData& registry = session->Registry();
    EXPECT_EQ(registry.IntervalUnit(), "n");
    EXPECT_EQ(registry.Interval(), 1440);
    EXPECT_EQ(registry.Axis().start_label, "1/1/2000") << "the classic date text";
    registry.LabelFormat("%d %B %Y");
    EXPECT_EQ(registry.Axis().start_label, "01 January 2000");
    EXPECT_EQ(modDateTime::DateToMinutes(registry.StartTime()), At(2000, 1, 1));
    registry.IntervalUnit("m");
    registry.Interval(6);
    EXPECT_EQ(registry.Axis().interval_text, " Interval: 6 months");
    EXPECT_EQ(registry.Axis().position_count, 41);
    EXPECT_EQ(testing::ErrorNumberOf([&] { registry.IntervalUnit("w"); }), platform::error::kInvalidProcedureCall);
    EXPECT_EQ(testing::ErrorNumberOf([&] { registry.LabelFormat("%Q"); }), platform::error::kInvalidProcedureCall);
}

TEST_F(CalendarProjectTest, BadCalendarSettingsAreReported) {
    const std::pair<std::string, std::string> cases[] = {
        {R"("layers": [], "time": {"interval": "3 weeks"})", "/time/interval: '3 weeks' is not an interval"},
        {R"("layers": [], "display": {"label_format": "%Y %Q"})", "/display/label_format"},
        {R"("layers": [{"name": "P", "kind": "feature", "source": {"workspace": "years.gpkg", "dataset": "parcels"},
            "time": {"field": "YR", "kind": "decade"}}])",
         "/layers/0/time/kind: unknown time kind 'decade'"},
        {R"("layers": [{"name": "M", "kind": "raster", "source": {"path": "monthly.tif"},
            "time": {"raster": {"start": "2024-01-31 00:00", "interval": 1, "unit": "w"}}}])",
         "(expected d, h, n, m or yyyy)"},
    };
    for (const auto& [body, expected] : cases) {
        try {
            Open(body);
            ADD_FAILURE() << "no error for " << body;
        } catch (const ProjectError& e) {
            EXPECT_NE(std::string(e.what()).find(expected), std::string::npos) << e.what();
        }
    }
    const platform::AutomationError text_years = testing::ErrorOf([&] {
        Open(R"("layers": [{"name": "P", "kind": "feature", "source": {"workspace": "years.gpkg", "dataset": "parcels"},
            "time": {"field": "SERIAL", "kind": "year"}}])");
    });
    EXPECT_NE(text_years.Description().find("'SERIAL' is not an integer field"), std::string::npos)
        << text_years.Description();
}

} // namespace
} // namespace chronova::project
