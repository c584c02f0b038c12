// GPS fixes as analysts have them: four vans logging every ~15 s at arbitrary seconds, ISO texts and zoned
// date-times, a second logger writing naive local times. Windows show every fix in exactly the frames they cover,
// tracks show each van at its latest fix, and loggers in different zones agree.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "datetime/mod_date_time.h"
#include "gis/layers/feature_layer.h"
#include "platform/locale.h"
#include "platform/ui/event_loop.h"
#include "platform/ui/message_service.h"
#include "project/project_file.h"
#include "project/project_session.h"
#include "records/layer_data.h"
#include "registry/chronova_data.h"
#include "registry/globals.h"
#include "support/error_number.h"
#include "support/gdal_fixtures.h"
#include "support/scratch_folder.h"

namespace chronova::project {
namespace {

using testing::FixtureDate;
using testing::FixtureLayer;

constexpr int kVans = 4;
constexpr int kFixesPerVan = 60;

// Van v's fix k: 06:00:00 UTC + 15 k + 3 v + (k % 4) seconds, so few fixes fall on a whole minute.
int SecondOf(int van, int fix) {
    return 15 * fix + 3 * van + fix % 4;
}

std::string Two(int value) {
    return (value < 10 ? "0" : "") + std::to_string(value);
}

// "2024-05-01T06:mm:ss" plus the zone suffix, for a second count after 06:00 (hours shifted by hour_offset).
std::string IsoText(int second, int hour_offset, const std::string& suffix) {
    return "2024-05-01T" + Two(6 + hour_offset + second / 3600) + ":" + Two(second / 60 % 60) + ":" + Two(second % 60) +
           suffix;
}

class MovingThingsProjectTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetGlobals();
        FixtureLayer fixes{
            "fixes",
            wkbPoint,
            {{"VAN", OFTString}, {"TS", OFTString}, {"DT", OFTDateTime}, {"NUMBER", OFTInteger}, {"DTG", OFTString}},
            {}};
        FixtureLayer berlin{"berlin", wkbPoint, {{"VAN", OFTString}, {"LOCAL", OFTString}}, {}};
        for (int fix = 0; fix < kFixesPerVan; ++fix) {
            for (int van = 0; van < kVans; ++van) {
                const int second = SecondOf(van, fix);
                const std::string id(1, static_cast<char>('A' + van));
                // Every other van's logger writes its offset as +02:00 with Berlin clock time.
                const std::string ts = van % 2 == 0 ? IsoText(second, 0, "Z") : IsoText(second, 2, "+02:00");
                const FixtureDate utc{2024, 5, 1, 6 + second / 3600, second / 60 % 60, static_cast<float>(second % 60),
                                      100};
                const std::string dtg = "01" + Two(6 + second / 3600) + Two(second / 60 % 60) + "Z MAY 2024";
                fixes.rows.push_back(testing::PointRow(van, fix, {id, ts, utc, int64_t{second}, dtg}));
                berlin.rows.push_back(testing::PointRow(van, fix, {id, IsoText(second, 2, "")}));
            }
        }
        testing::WriteGeoPackage(folder_ / "vans.gpkg", {fixes, berlin});
    }
    void TearDown() override { ResetGlobals(); }

    std::unique_ptr<ProjectSession> Open(const std::string& layers, const std::string& rest = "") {
        const auto file = folder_ / "vans.chronova.json";
        std::ofstream(file) << R"({"chronova_project": 1, "layers": [)" << layers << "]" << rest << "}";
        return std::make_unique<ProjectSession>(LoadProject(file), loop_);
    }

    static std::string Layer(const std::string& name, const std::string& dataset, const std::string& time) {
        return R"({"name": ")" + name + R"(", "kind": "feature", "source": {"workspace": "vans.gpkg", "dataset": ")" +
               dataset + R"("}, "time": )" + time + "}";
    }

    static std::shared_ptr<gis::FeatureLayer> FeatureOf(ProjectSession& session, const std::string& name) {
        return std::dynamic_pointer_cast<gis::FeatureLayer>(session.FindLayer(name)->Layer);
    }

    platform::ScopedLocale us_{"en-US"};
    platform::ui::RecordingMessageService messages_;
    platform::ui::ScopedMessageService message_scope_{messages_};
    platform::ui::EventLoop loop_;
    testing::ScratchFolder folder_;
};

TEST_F(MovingThingsProjectTest, AWindowShowsEveryFixInExactlyTheFrameItsMinuteCovers) {
    for (const std::string field : {"TS", "DT"}) {
        const auto session = Open(Layer("Vans", "fixes", R"({"field": ")" + field + R"(", "window": "interval"})"),
                                  R"(, "display": {"time_zone": "UTC"}, "time": {"interval": 1})");
        ChronovaData& registry = session->Registry();
        const auto layer = FeatureOf(*session, "Vans");
        std::map<uint32_t, int> frames_of_fix;
        const int32_t positions = registry.Axis().position_count;
        ASSERT_GE(positions, 15) << field;
        for (int32_t position = 0; position < positions; ++position) {
            registry.GoToPosition(position);
            for (uint32_t row : *layer->VisibleFeatures()) {
                ++frames_of_fix[row];
            }
        }
        ASSERT_EQ(frames_of_fix.size(), size_t{kVans * kFixesPerVan}) << field << ": every fix shows";
        for (const auto& [row, frames] : frames_of_fix) {
            EXPECT_EQ(frames, 1) << field << ": fix " << row;
        }
        registry.GoToPosition(2); // 06:02:00 up to 06:03:00
        EXPECT_EQ(layer->VisibleFeatures()->size(), 16u) << field << ": four fixes a minute for each van";
    }
}

TEST_F(MovingThingsProjectTest, WindowsOfADurationAndWithPreviousSteps) {
    const auto session = Open(Layer("Vans", "fixes", R"({"field": "TS", "window": "2min", "previous_steps": true})") +
                                  ", " + Layer("Recent", "fixes", R"({"field": "DT", "window": "30min"})"),
                              R"(, "display": {"time_zone": "UTC"}, "time": {"interval": 1})");
    ChronovaData& registry = session->Registry();
    registry.GoToPosition(3); // 06:03 up to 06:05
    EXPECT_EQ(FeatureOf(*session, "Vans")->VisibleFeatures()->size(), 5u * 16u) << "everything before 06:05";
    EXPECT_EQ(FeatureOf(*session, "Vans")->DefinitionExpression(), "TS < #5/1/2024 6:05:00 AM#");
    registry.GoToPosition(0);
    EXPECT_EQ(FeatureOf(*session, "Recent")->VisibleFeatures()->size(), size_t{kVans * kFixesPerVan});
    EXPECT_EQ(registry.TimeWindow(FeatureOf(*session, "Recent")), "30min");
}

TEST_F(MovingThingsProjectTest, InTheUniquePointsModeAWindowReachesToTheNextStep) {
    const auto session = Open(Layer("Vans", "fixes", R"({"field": "DT", "window": "interval"})"),
                              R"(, "display": {"type": "unique", "time_zone": "UTC"})");
    ChronovaData& registry = session->Registry();
    const auto layer = FeatureOf(*session, "Vans");
    // The slider's distinct steps are minutes: the fixes of 06:00 to 06:14.
    const int32_t positions = registry.Axis().position_count;
    ASSERT_EQ(positions, SecondOf(kVans - 1, kFixesPerVan - 1) / 60 + 1);
    std::map<uint32_t, int> frames_of_fix;
    for (int32_t position = 0; position < positions; ++position) {
        registry.GoToPosition(position);
        for (uint32_t row : *layer->VisibleFeatures()) {
            ++frames_of_fix[row];
            EXPECT_EQ(SecondOf(static_cast<int>(row % kVans), static_cast<int>(row / kVans)) / 60, position);
        }
    }
    ASSERT_EQ(frames_of_fix.size(), size_t{kVans * kFixesPerVan}) << "every fix shows";
    for (const auto& [row, frames] : frames_of_fix) {
        EXPECT_EQ(frames, 1) << "fix " << row << " up to the next step only";
    }
}

TEST_F(MovingThingsProjectTest, TracksShowEachVanAtItsLatestFix) {
    const auto session =
        Open(Layer("Vans", "fixes", R"({"field": "TS", "track": {"id": "VAN", "max_age": "1min", "trail": "5min"}})"),
             R"(, "display": {"time_zone": "UTC"}, "time": {"interval": 1})");
    ChronovaData& registry = session->Registry();
    const auto layer = FeatureOf(*session, "Vans");
    const auto data = layer->FeatureClass()->Data();
    registry.GoToPosition(7); // 06:07:00
    const auto& visible = *layer->VisibleFeatures();
    ASSERT_EQ(visible.size(), size_t{kVans});
    for (uint32_t row : visible) {
        // The row's van and fix number from the order the rows were written in.
        const int van = static_cast<int>(row % kVans);
        const int fix = static_cast<int>(row / kVans);
        EXPECT_LE(SecondOf(van, fix), 7 * 60) << "not after the current time";
        EXPECT_GT(SecondOf(van, fix + 1), 7 * 60) << "the latest such fix";
    }
    ASSERT_TRUE(layer->Trails());
    ASSERT_EQ(layer->Trails()->size(), size_t{kVans});
    for (const gis::FeatureTrail& trail : *layer->Trails()) {
        EXPECT_GE(trail.rows.size(), 19u);
        EXPECT_LE(trail.rows.size(), 21u) << "five minutes of fixes every 15 s";
        EXPECT_GT(trail.opacity.back(), 0.95F) << "the newest fix is nearly opaque";
        EXPECT_LT(trail.opacity.front(), 0.3F) << "the oldest has faded";
    }
    registry.GoToPosition(registry.Axis().position_count - 1);
    const int32_t last_minute = (SecondOf(kVans - 1, kFixesPerVan - 1)) / 60;
    if (registry.Axis().position_count - 1 > last_minute + 1) {
        EXPECT_TRUE(layer->VisibleFeatures()->empty()) << "every fix older than a minute";
    }

    registry.Track(layer, "", "", "");
    registry.GoToPosition(7);
    EXPECT_FALSE(layer->Trails() && !layer->Trails()->empty()) << "tracks switched off";
}

TEST_F(MovingThingsProjectTest, IsoTextsWithMixedOffsetsFilterInEveryClassicMode) {
    const auto session = Open(Layer("Vans", "fixes", R"({"field": "TS"})"), R"(, "display": {"time_zone": "UTC"})");
    ChronovaData& registry = session->Registry();
    const auto layer = FeatureOf(*session, "Vans");
    LayerData& record = *session->FindLayer("Vans")->Record;
    ASSERT_EQ(record.TimeStepsCount(), kVans * kFixesPerVan) << "one step per distinct instant";
    EXPECT_EQ(modDateTime::DateToMinutes(record.TimeStepsAsDate(1)), modDateTime::PartsToMinutes(2024, 5, 1, 6, 0))
        << "the +02:00 texts sort by their instant, not their text";

    // Step mode: the slider's minute shows the fixes stamped exactly then (the classic single step).
    registry.CurrentTime(modDateTime::MinutesToDate(modDateTime::PartsToMinutes(2024, 5, 1, 6, 0)));
    EXPECT_EQ(*layer->VisibleFeatures(), (gis::RowIds{0})) << "van A's first fix at 06:00:00";

    registry.ShowPreviousTimeSteps(layer);
    registry.CurrentTime(modDateTime::MinutesToDate(modDateTime::PartsToMinutes(2024, 5, 1, 6, 4)));
    size_t expected = 0;
    for (int van = 0; van < kVans; ++van) {
        for (int fix = 0; fix < kFixesPerVan; ++fix) {
            expected += SecondOf(van, fix) <= 4 * 60 ? 1 : 0;
        }
    }
    EXPECT_EQ(layer->VisibleFeatures()->size(), expected) << layer->DefinitionExpression();

    record.IncludePreviousSteps = false;
    registry.Display(DisplayOptions{0, true, false, false});
    registry.CurrentTime(modDateTime::MinutesToDate(modDateTime::PartsToMinutes(2024, 5, 1, 6, 5)));
    ASSERT_EQ(layer->VisibleFeatures()->size(), 1u) << "fill gaps: the latest fix of the layer";
    const uint32_t row = layer->VisibleFeatures()->front();
    // Steps match the slider by the minute, so the latest fix of the minute 06:05 is the step.
    EXPECT_EQ(SecondOf(static_cast<int>(row % kVans), static_cast<int>(row / kVans)) / 60, 5);
}

TEST_F(MovingThingsProjectTest, ANaiveLoggerWithItsZoneAgreesWithTheOffsetLogger) {
    const auto session =
        Open(Layer("Offsets", "fixes", R"({"field": "TS", "window": "interval"})") + ", " +
                 Layer("Berlin", "berlin", R"({"field": "LOCAL", "window": "interval", "time_zone": "Europe/Berlin"})"),
             R"(, "time": {"interval": 1})");
    ChronovaData& registry = session->Registry();
    EXPECT_EQ(registry.DisplayTimeZone(), "") << "no display zone given";
    EXPECT_EQ(modDateTime::DateToMinutes(registry.StartTime()), modDateTime::PartsToMinutes(2024, 5, 1, 6, 0))
        << "a layer's zone shows times in UTC";
    const auto offsets = FeatureOf(*session, "Offsets");
    const auto berlin = FeatureOf(*session, "Berlin");
    for (int32_t position = 0; position < registry.Axis().position_count; ++position) {
        registry.GoToPosition(position);
        EXPECT_EQ(*offsets->VisibleFeatures(), *berlin->VisibleFeatures()) << "position " << position;
    }
    registry.GoToPosition(1);
    EXPECT_EQ(berlin->VisibleFeatures()->size(), 16u);

    // Shown in Berlin time, both move two hours on and still agree.
    registry.DisplayTimeZone("Europe/Berlin");
    registry.Update();
    EXPECT_EQ(modDateTime::DateToMinutes(registry.StartTime()), modDateTime::PartsToMinutes(2024, 5, 1, 8, 0));
    registry.GoToPosition(1);
    EXPECT_EQ(*offsets->VisibleFeatures(), *berlin->VisibleFeatures());
    EXPECT_EQ(berlin->VisibleFeatures()->size(), 16u);
    EXPECT_EQ(registry.Axis().current_label, "5/1/2024 8:01:00 AM CEST") << "labels name the zone";
    registry.CurrentTime(registry.CurrentTime());
    EXPECT_EQ(modDateTime::DateToMinutes(registry.CurrentTime()), modDateTime::PartsToMinutes(2024, 5, 1, 8, 1))
        << "a label with its zone still reads back as its time";
}

TEST_F(MovingThingsProjectTest, BadSettingsAreReportedWithTheirPlace) {
    const std::pair<std::string, std::string> cases[] = {
        {Layer("V", "fixes", R"({"field": "TS", "window": "soon"})"), "/layers/0/time/window: 'soon' is not a window"},
        {Layer("V", "fixes", R"({"field": "TS", "time_zone": "Mars/Olympus"})"),
         "/layers/0/time/time_zone: unknown time zone 'Mars/Olympus'"},
        {Layer("V", "fixes", R"({"field": "TS", "track": {"id": "VAN", "trail": "1mon"}})"),
         "/layers/0/time/track/trail: '1mon' is not a duration"},
        {Layer("V", "fixes", R"({"field": "TS", "window": "interval", "track": {"id": "VAN"}})"),
         "either a window or tracks"},
        {Layer("V", "fixes", R"({"field": "TS", "track": {"max_age": "1min"}})"), "/layers/0/time/track/id"},
    };
    for (const auto& [layers, expected] : cases) {
        try {
            Open(layers);
            ADD_FAILURE() << "no error for " << layers;
        } catch (const ProjectError& e) {
            EXPECT_NE(std::string(e.what()).find(expected), std::string::npos) << e.what();
        }
    }
    const std::pair<std::string, std::string> refused[] = {
        {R"({"field": "TS", "track": {"id": "DRIVER"}})", "'DRIVER' is not in the layer"},
        {R"({"field": "NUMBER", "track": {"id": "VAN"}})", "Tracks need a date or date text time field"},
        {R"({"field": "DTG", "window": "interval"})", "the date-time groups of 'DTG' do not"},
    };
    for (const auto& refusal : refused) {
        const platform::AutomationError error = testing::ErrorOf([&] { Open(Layer("V", "fixes", refusal.first)); });
        EXPECT_NE(error.Description().find(refusal.second), std::string::npos) << error.Description();
    }
}

} // namespace
} // namespace chronova::project
