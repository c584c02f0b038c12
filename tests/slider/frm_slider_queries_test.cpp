// The slider's queries and commands for programs, checked against its controls.
#include <gtest/gtest.h>

#include "records/time_codes.h"
#include "slider/display_options.h"
#include "slider/slider_fixture.h"

namespace chronova {
namespace {

using testing::March;
using testing::MarchDate;

class SliderQueriesTest : public testing::SliderTest {
protected:
    // The snapshot shows what the controls show.
    void ExpectSnapshotOfControls() {
        const AxisState state = form_->Snapshot();
        EXPECT_EQ(state.valid, form_->Valid());
        EXPECT_EQ(state.display_type, g_iDisplayType);
        EXPECT_EQ(state.position, Position());
        EXPECT_EQ(state.max_position, form_->Slider1.Max());
        EXPECT_EQ(state.position_count, form_->Slider1.Max() + 1);
        EXPECT_EQ(state.interval, form_->Interval());
        EXPECT_EQ(state.interval_text, form_->Label1[2].Caption());
        EXPECT_EQ(state.start_label, form_->lblTime[0].Caption());
        EXPECT_EQ(state.finish_label, form_->lblTime[1].Caption());
        EXPECT_EQ(state.current_label, CurrentLabel());
    }
};

TEST_F(SliderQueriesTest, TheSnapshotShowsTheControlsInBothDisplayModes) {
    ExpectSnapshotOfControls();
    EXPECT_EQ(form_->Snapshot().current_time, platform::Date());

    AddTrack(March(1, 0), 25, 60, "A");
    AddTrack(March(1, 1, 30), 2, 90, "B");
    form_->Update();
    form_->Slider1.Value(5);
    ExpectSnapshotOfControls();
    EXPECT_EQ(form_->Snapshot().current_time, MarchDate(1, 5));

    g_iDisplayType = kDisplayUniquePoints;
    form_->Update();
    form_->Slider1.Value(2);
    ExpectSnapshotOfControls();
    EXPECT_EQ(form_->Snapshot().current_time, MarchDate(1, 1, 30));
}

TEST_F(SliderQueriesTest, GoingToThePositionTheSliderHasStillAppliesItsMovedTime) {
    const Track track = AddTrack(March(1, 0), 25, 60);
    form_->Update();
    form_->GoToPosition(2);
    EXPECT_EQ(Position(), 2);
    EXPECT_EQ(Drawn(*track.layer), std::vector<int32_t>{3});

    // A later start moves the time of position 2 without moving the slider, so nothing is applied yet.
    form_->StartTime(MarchDate(1, 0, 30));
    ASSERT_EQ(Position(), 2);
    const int32_t applied = Applications();
    form_->GoToPosition(2);
    EXPECT_EQ(Applications(), applied + 1);
    EXPECT_EQ(CurrentLabel(), "3/1/2008 2:30:00 AM");
    EXPECT_EQ(track.layer->DefinitionExpression(), "WHEN = #3/1/2008 2:30:00 AM#");

    // The time already applied costs only the label.
    form_->GoToPosition(2);
    EXPECT_EQ(Applications(), applied + 1);
}

TEST_F(SliderQueriesTest, SteppingWrapsAtTheEndsAndStopsPlayback) {
    AddTrack(March(1, 0), 25, 60);
    form_->Update();
    const std::pair<int32_t, int32_t> steps[] = {{-1, 24}, {1, 0}, {1, 1}, {0, 1}, {-1, 0}};
    for (const auto& [direction, position] : steps) {
        form_->Step(direction);
        EXPECT_EQ(Position(), position) << direction;
    }
    form_->Timer1.Enabled(true);
    form_->Step(1);
    EXPECT_FALSE(form_->Timer1.Enabled());
    EXPECT_EQ(Position(), 1);
}

TEST(DisplayOptionsTest, OptionsReadBackAsAppliedAndStartAtTheProcessDefaults) {
    ResetGlobals();
    EXPECT_EQ(ReadDisplayOptions(), DisplayOptions{});
    const DisplayOptions cases[] = {
        {kDisplayUniquePoints, true, false, true},
        {kDisplayInterval, false, true, false},
        {kDisplayInterval, true, true, true},
    };
    for (const DisplayOptions& options : cases) {
        ApplyDisplayOptions(options);
        EXPECT_EQ(ReadDisplayOptions(), options);
        EXPECT_EQ(g_iDisplayType, options.display_type);
        EXPECT_EQ(g_bFillGaps, options.fill_gaps);
        EXPECT_EQ(g_bUpdateTOC, options.toc_labels);
        EXPECT_EQ(g_bLoopAnimation, options.loop_animation);
    }
    ResetGlobals();
}

} // namespace
} // namespace chronova
