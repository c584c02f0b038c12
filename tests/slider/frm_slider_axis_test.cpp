#include <gtest/gtest.h>

#include <cmath>

#include "gis/map/extension.h"
#include "slider/slider_fixture.h"

namespace chronova {
namespace {

using platform::Date;
using testing::March;
using testing::MarchDate;

class SliderAxisTest : public testing::SliderTest {};

TEST_F(SliderAxisTest, AnHourlyLayerOverADayGivesTwentyFourStepsEndingAtItsFinish) {
    const Track track = AddTrack(March(1, 0), 25, 60);
    form_->Update();

    EXPECT_EQ(form_->Slider1.Max(), 24);
    EXPECT_EQ(Position(), 0);
    EXPECT_EQ(form_->Interval(), 60);
    EXPECT_EQ(form_->Label1[2].Caption(), " Interval: 1 hrs 0 mins");
    EXPECT_EQ(form_->lblTime[0].Caption(), "3/1/2008");
    EXPECT_EQ(form_->lblTime[1].Caption(), "3/2/2008");
    // Only the current label always shows a time.
    EXPECT_EQ(CurrentLabel(), "3/1/2008 12:00:00 AM");
    EXPECT_EQ(track.record->StartPos, 0);
    EXPECT_EQ(track.record->FinishPos, 24);
    EXPECT_TRUE(track.record->isInitialized);
    EXPECT_EQ(form_->TimeRangeCount(), 1);
    EXPECT_TRUE(form_->Valid());
    EXPECT_EQ(Drawn(*track.layer), std::vector<int32_t>{1});

    form_->Slider1.Value(24);
    EXPECT_EQ(form_->GetCurrentSliderTime(), March(2, 0));
    EXPECT_EQ(form_->CurrentTime(), MarchDate(2, 0));
    EXPECT_EQ(Drawn(*track.layer), std::vector<int32_t>{25});
}

TEST_F(SliderAxisTest, AnEmptyRegistryLeavesAnEmptyInvalidAxis) {
    form_->Update();
    EXPECT_FALSE(form_->Valid());
    EXPECT_EQ(form_->Slider1.Max(), 1);
    EXPECT_EQ(form_->cboLayers.ListCount(), 1);
    EXPECT_EQ(form_->GetCurrentSliderTime(), 0);
    EXPECT_EQ(form_->GetTickPosition(MarchDate(1, 0)), -1);
}

TEST_F(SliderAxisTest, TheIntervalLabelShowsDaysOnlyFromOneDayOn) {
    AddTrack(March(1, 0), 11, 1440);
    form_->Update();
    const std::pair<int32_t, const char*> cases[] = {
        {90, " Interval: 1 hrs 30 mins"},
        {1439, " Interval: 23 hrs 59 mins"},
        {1440, " Interval: 1 days 0 hrs 0 mins"},
        {2 * 1440 + 61, " Interval: 2 days 1 hrs 1 mins"},
    };
    for (const auto& [interval, caption] : cases) {
        form_->Interval(interval);
        EXPECT_EQ(form_->Label1[2].Caption(), caption) << interval;
    }
}

TEST_F(SliderAxisTest, TooManyStepsWidenTheIntervalAndOnlyAnExplicitIntervalSaysSo) {
    const int32_t start = March(1, 0);
    AddCustom(start, start + 100'000'000, 60);
    form_->Update();
    // 100000000 / 32767 + 1 = 3052.85
    EXPECT_EQ(form_->Interval(), 3053);
    EXPECT_EQ(form_->Slider1.Max(), 32754);
    EXPECT_EQ(g_pApp->StatusBar().Message(0), "");

    form_->Interval(1);
    EXPECT_EQ(form_->Interval(), 3053);
    EXPECT_LE(form_->Slider1.Max(), 32767);
    EXPECT_EQ(g_pApp->StatusBar().Message(0), "Number of Time Steps Exceeds Limits - Adjusting Interval.");
}

TEST_F(SliderAxisTest, LayersWithoutAnIntervalStepByTheSmallestGapBetweenTheirStarts) {
    const int32_t s = March(1, 0);
    struct Case {
        std::vector<int32_t> starts;
        int32_t interval;
    };
    const Case cases[] = {
        {{s, s}, 1},
        {{s, s, s}, 1}, // the search for gaps ends when the starts are used up
        {{s, s + 100, s + 30}, 30},
        {{s + 45, s, s + 45, s + 200}, 45},
    };
    for (const Case& c : cases) {
        g_Layers = std::make_shared<LayerDataCollection>();
        for (int32_t start : c.starts) {
            AddCustom(start, s + 600, 0);
        }
        form_->Update();
        EXPECT_EQ(form_->Interval(), c.interval) << c.starts.size();
    }
}

TEST_F(SliderAxisTest, MovingToATimeClampsToTheAxis) {
    AddTrack(March(1, 0), 25, 60);
    form_->Update();
    const std::pair<int32_t, int32_t> cases[] = {
        {March(1, 5), 5},  {March(1, 3, 59), 3}, {March(1, 0), 0},
        {March(2, 0), 24}, {March(29, 0), 24},   {March(1, 0) - 1, 0},
    };
    for (const auto& [time, position] : cases) {
        form_->SetCurrentSliderTime(time);
        EXPECT_EQ(Position(), position) << time;
        EXPECT_EQ(form_->GetTickPosition(modDateTime::MinutesToDate(time)), position) << time;
    }
}

TEST_F(SliderAxisTest, SettingTheCurrentTimeOnThePositionItHasStillAppliesIt) {
    const Track track = AddTrack(March(1, 0), 25, 60);
    form_->Update();
    form_->Slider1.Value(2);
    const int32_t applied = Applications();

    // The time already applied costs only the label.
    form_->CurrentTime(MarchDate(1, 2));
    EXPECT_EQ(Applications(), applied);

    // A start half an hour later keeps the position but moves its time.
    form_->StartTime(MarchDate(1, 0, 30));
    ASSERT_EQ(Position(), 2);
    form_->CurrentTime(MarchDate(1, 2, 30));
    EXPECT_EQ(Position(), 2);
    EXPECT_EQ(Applications(), applied + 1);
    EXPECT_EQ(CurrentLabel(), "3/1/2008 2:30:00 AM");
    EXPECT_EQ(track.layer->DefinitionExpression(), "WHEN = #3/1/2008 2:30:00 AM#");
}

TEST_F(SliderAxisTest, DateTimeGroupLabelsKeepTheCurrentTime) {
    AddTrack(March(1, 0), 25, 60);
    form_->Update();
    form_->Slider1.Value(5);

    form_->UseDateTime(false);
    EXPECT_EQ(form_->lblTime[0].Caption(), "010000Z MAR 2008");
    EXPECT_EQ(form_->lblTime[1].Caption(), "020000Z MAR 2008");
    EXPECT_EQ(CurrentLabel(), "010500Z MAR 2008");
    EXPECT_EQ(Position(), 5);
    EXPECT_EQ(form_->CurrentTime(), MarchDate(1, 5));

    form_->UseDateTime(true);
    EXPECT_EQ(CurrentLabel(), "3/1/2008 5:00:00 AM");
    EXPECT_EQ(Position(), 5);
}

TEST_F(SliderAxisTest, DateTimeGroupLayersSwitchTheLabelsUnlessAClientChose) {
    const Custom custom = AddCustom(March(1, 0), March(2, 0), 60);
    custom.record->TimeFieldType = 3;
    form_->Update();
    EXPECT_FALSE(form_->UseDateTime());
    EXPECT_EQ(form_->lblTime[0].Caption(), "010000Z MAR 2008");

    form_->UseDateTime(true);
    form_->Update();
    EXPECT_TRUE(form_->UseDateTime());
}

TEST_F(SliderAxisTest, ANegativeIntervalSetsItsMagnitudeAndTheCurrentTimeSurvives) {
    AddTrack(March(1, 0), 25, 60);
    for (int32_t interval : {-120, 120}) {
        form_->Update();
        form_->Slider1.Value(6);
        form_->Interval(interval);
        EXPECT_EQ(form_->Interval(), 120) << interval;
        EXPECT_EQ(form_->Slider1.Max(), 12) << interval;
        EXPECT_EQ(form_->Label1[2].Caption(), " Interval: 2 hrs 0 mins");
        EXPECT_EQ(Position(), 3) << interval;
        EXPECT_EQ(form_->CurrentTime(), MarchDate(1, 6)) << interval;
    }
    // A rebuild takes the layers' interval again.
    form_->Update();
    EXPECT_EQ(form_->Interval(), 60);
}

TEST_F(SliderAxisTest, UniquePointsGiveOnePositionPerDistinctStep) {
    g_iDisplayType = 1;
    AddTrack(March(1, 0), 3, 60, "A");                  // 0:00 1:00 2:00
    AddTrack(March(1, 1, 30), 2, 90, "B");              // 1:30 3:00
    AddTrack(March(1, 2), 1, 0, "C (a repeated step)"); // 2:00
    form_->Update();

    EXPECT_EQ(form_->Slider1.Max(), 4);
    EXPECT_EQ(form_->Label1[2].Caption(), "Unique Data Points");
    const int32_t expected[] = {March(1, 0), March(1, 1), March(1, 1, 30), March(1, 2), March(1, 3)};
    for (int32_t position = 0; position <= 4; ++position) {
        form_->Slider1.Value(position);
        EXPECT_EQ(form_->GetCurrentSliderTime(), expected[position]) << position;
    }
    form_->CurrentTime(MarchDate(1, 1, 30));
    EXPECT_EQ(Position(), 2);
    // A time that is no step maps to the first position.
    form_->CurrentTime(MarchDate(1, 1, 45));
    EXPECT_EQ(Position(), 0);
}

TEST_F(SliderAxisTest, TheRangeFollowsTheChosenLayer) {
    const Track a = AddTrack(March(1, 0), 25, 60, "A");  // 3/1 0:00 .. 3/2 0:00
    const Track b = AddTrack(March(2, 12), 13, 30, "B"); // 3/2 12:00 .. 18:00
    form_->Update();
    EXPECT_EQ(form_->TimeRangeCount(), 2);
    EXPECT_EQ(form_->TimeRange(), nullptr);
    EXPECT_EQ(form_->Interval(), 30);
    EXPECT_EQ(form_->Slider1.Max(), 84);
    form_->CurrentTime(MarchDate(2, 13));

    std::shared_ptr<gis::ILayer> chosen = b.layer;
    form_->TimeRange(chosen);
    EXPECT_EQ(chosen, nullptr);
    EXPECT_EQ(form_->TimeRange(), b.layer);
    EXPECT_EQ(form_->cboLayers.Text(), "B");
    EXPECT_EQ(form_->lblTime[0].Caption(), "3/2/2008 12:00:00 PM");
    EXPECT_EQ(form_->Slider1.Max(), 12);
    EXPECT_EQ(form_->CurrentTime(), MarchDate(2, 13));
    EXPECT_EQ(Position(), 2);

    // A current time outside the chosen range starts it at its beginning.
    form_->cboLayers.ListIndex(1);
    EXPECT_EQ(form_->TimeRange(), a.layer);
    EXPECT_EQ(form_->Interval(), 60);
    EXPECT_EQ(form_->CurrentTime(), MarchDate(1, 0));

    // A layer that is not registered leaves the choice alone.
    std::shared_ptr<gis::ILayer> stranger = std::make_shared<testing::PlacedTimeLayer>();
    form_->TimeRange(stranger);
    EXPECT_EQ(stranger, nullptr);
    EXPECT_EQ(form_->TimeRange(), a.layer);

    std::shared_ptr<gis::ILayer> none;
    form_->TimeRange(none);
    EXPECT_EQ(form_->cboLayers.ListIndex(), 0);
    EXPECT_EQ(form_->Slider1.Max(), 84);
}

TEST_F(SliderAxisTest, ARebuildKeepsTheChosenRangeAndCurrentTime) {
    AddTrack(March(1, 0), 25, 60, "A");
    const Track b = AddTrack(March(2, 12), 13, 30, "B");
    form_->Update();
    std::shared_ptr<gis::ILayer> chosen = b.layer;
    form_->TimeRange(chosen);
    form_->CurrentTime(MarchDate(2, 14, 30));
    const int32_t applied = Applications();

    form_->Update();
    EXPECT_EQ(form_->TimeRange(), b.layer);
    EXPECT_EQ(form_->CurrentTime(), MarchDate(2, 14, 30));
    EXPECT_EQ(Position(), 5);
    // The rebuild applies the time once, though it ends on the same time.
    EXPECT_EQ(Applications(), applied + 1);
}

TEST_F(SliderAxisTest, ADisabledExtensionDisablesTheControls) {
    g_pApp->AddExtension(
        std::make_shared<gis::Extension>("Chronova.ChronovaExt", static_cast<int32_t>(gis::ExtensionState::Disabled)));
    AddTrack(March(1, 0), 25, 60);
    form_->Update();
    EXPECT_FALSE(form_->Slider1.Enabled());
    EXPECT_FALSE(form_->cboLayers.Enabled());
    EXPECT_FALSE(form_->tb1.Enabled());
    EXPECT_FALSE(form_->lblTime[2].Enabled());
}

TEST_F(SliderAxisTest, TheLocationIsTheGeographicCentreOfTheEarliestLayer) {
    const Custom later = AddCustom(March(2, 0), March(3, 0), 60, "Mercator");
    // Web Mercator metres of 10 E, 50 N.
    later.layer->area = {1113194.9079327357 - 500, 6446275.841017158 - 500, 1113194.9079327357 + 500,
                         6446275.841017158 + 500};
    later.layer->spatial_reference = "EPSG:3857";
    form_->Update();
    EXPECT_NEAR(form_->Longitude(), 10.0, 1e-6);
    EXPECT_NEAR(form_->Latitude(), 50.0, 1e-3);

    const Custom earlier = AddCustom(March(1, 0), March(3, 0), 60, "Geographic");
    earlier.layer->area = {-76, 39, -74, 41};
    earlier.layer->spatial_reference = "EPSG:4326";
    form_->Update();
    EXPECT_NEAR(form_->Longitude(), -75.0, 1e-9);
    EXPECT_NEAR(form_->Latitude(), 40.0, 1e-9);
}

TEST_F(SliderAxisTest, AnOverflowingRangeIsReportedAndTheRebuildStillFinishes) {
    AddCustom(-900'000'000, 2'000'000'000, 60);
    form_->Update();
    const auto boxes = messages_.MessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].text.find("Update  frmSlider"), std::string::npos) << boxes[0].text;
    EXPECT_NE(boxes[0].text.find("\t6\r\n"), std::string::npos) << boxes[0].text;
    EXPECT_FALSE(form_->Valid());
    messages_.Clear();
}

// ---- Time span ----

class SliderSpanTest : public SliderAxisTest {
protected:
    void SetUp() override {
        SliderAxisTest::SetUp();
        AddTrack(March(1, 0), 25, 60);
        form_->Update();
        form_->TimeSpanActive(true);
    }

    // Sets a span and checks the positions and dates it normalises to.
    void ExpectSpan(Date start, Date finish, int16_t p1, int16_t p2, Date s, Date f) {
        form_->SetTimeSpan(start, finish);
        EXPECT_EQ(form_->SpanStartPos(), p1);
        EXPECT_EQ(form_->SpanFinishPos(), p2);
        Date got_start;
        Date got_finish;
        form_->GetTimeSpan(got_start, got_finish);
        EXPECT_EQ(got_start, s);
        EXPECT_EQ(got_finish, f);
    }
};

TEST_F(SliderSpanTest, ASpanIsOrderedAndHeldInsideTheAxis) {
    ExpectSpan(MarchDate(1, 3), MarchDate(1, 6), 3, 6, MarchDate(1, 3), MarchDate(1, 6));
    ExpectSpan(MarchDate(1, 6), MarchDate(1, 3), 3, 6, MarchDate(1, 3), MarchDate(1, 6));
    ExpectSpan(MarchDate(1, 20), MarchDate(3, 0), 20, 24, MarchDate(1, 20), MarchDate(2, 0));
    ExpectSpan(MarchDate(2, 5), MarchDate(2, 6), 24, 24, MarchDate(2, 0), MarchDate(2, 0));
    ExpectSpan(Date::FromParts(2008, 2, 1), Date::FromParts(2008, 2, 2), 0, 0, MarchDate(1, 0), MarchDate(1, 0));
}

TEST_F(SliderSpanTest, LabelsComeWithTheNextSpanAndAnInactiveSpanChangesNothing) {
    form_->SetTimeSpan(MarchDate(1, 3), MarchDate(1, 6));
    EXPECT_EQ(form_->SpanStartText(), "");
    form_->TimeSpanLabelEnabled(true);
    EXPECT_EQ(form_->SpanStartText(), "");
    form_->SetTimeSpan(MarchDate(1, 3), MarchDate(1, 6));
    EXPECT_EQ(form_->SpanStartText(), "3/1/2008 3:00:00 AM");
    EXPECT_EQ(form_->SpanFinishText(), "3/1/2008 6:00:00 AM");

    form_->TimeSpanActive(false);
    form_->SetTimeSpan(MarchDate(1, 8), MarchDate(1, 9));
    EXPECT_EQ(form_->SpanStartPos(), 3);
    Date start;
    Date finish;
    form_->GetTimeSpan(start, finish);
    EXPECT_EQ(start, MarchDate(1, 3));
}

TEST_F(SliderSpanTest, ARebuildKeepsTheSpanAndClearingDropsIt) {
    form_->SetTimeSpan(MarchDate(1, 3), MarchDate(1, 6));
    form_->Update();
    EXPECT_TRUE(form_->TimeSpanActive());
    EXPECT_EQ(form_->SpanStartPos(), 3);
    EXPECT_EQ(form_->SpanFinishPos(), 6);

    form_->Clear();
    EXPECT_FALSE(form_->TimeSpanActive());
    EXPECT_EQ(form_->SpanStartPos(), -1);
    Date start;
    Date finish;
    form_->GetTimeSpan(start, finish);
    EXPECT_EQ(start, Date());
}

} // namespace
} // namespace chronova
