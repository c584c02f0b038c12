#include <gtest/gtest.h>

#include "platform/automation_error.h"
#include "platform/ui/screen.h"
#include "slider/slider_fixture.h"

namespace chronova {
namespace {

using testing::March;

// A custom layer that fails whenever it is told a step.
class FailingTimeLayer : public testing::PlacedTimeLayer {
public:
    using PlacedTimeLayer::CurrentTimeStep;
    void CurrentTimeStep(const platform::Variant&) override {
        platform::RaiseError(platform::error::kInvalidProcedureCall, "The layer cannot show that step.");
    }
};

// An hourly point layer over one day on a built axis: position p draws feature p + 1.
class SliderPlaybackTest : public testing::SliderTest {
protected:
    void SetUp() override {
        SliderTest::SetUp();
        track_ = AddTrack(March(1, 0), 25, 60);
        form_->Update();
    }

    /// Advances the clock by n timer intervals.
    void Tick(int n = 1) { loop_.AdvanceBy(100 * n); }
    bool Playing() const { return form_->Timer1.Enabled() || form_->Timer2.Enabled(); }
    std::vector<int32_t> Shown() const { return Drawn(*track_.layer); }
    gis::ScreenDisplay& Display() { return *g_pApp->Document()->ActiveView()->ScreenDisplay(); }

    // Plays in one direction from a position and checks the position and the drawn feature after each tick;
    // the last tick is expected to stop playback.
    void ExpectPlayback(const char* tool, int32_t from, std::vector<int32_t> positions) {
        form_->Slider1.Value(from);
        form_->tb1.Press(tool);
        ASSERT_TRUE(Playing()) << tool;
        for (size_t i = 0; i < positions.size(); ++i) {
            Tick();
            EXPECT_EQ(Position(), positions[i]) << tool << " tick " << i;
            EXPECT_EQ(Shown(), std::vector<int32_t>{positions[i] + 1}) << tool << " tick " << i;
        }
        Tick();
        EXPECT_EQ(Position(), positions.back()) << tool;
        EXPECT_FALSE(Playing()) << tool;
    }

    Track track_;
};

TEST_F(SliderPlaybackTest, ToolsStepAndJumpAndWrapAtTheEnds) {
    struct Case {
        int32_t from;
        const char* tool;
        int32_t to;
    };
    const Case cases[] = {
        {3, "ID_STEP", 4},   {24, "ID_STEP", 0},    {3, "ID_STEPBACK", 2}, {0, "ID_STEPBACK", 24},
        {7, "ID_REWIND", 0}, {7, "ID_FORWARD", 24}, {7, "ID_STOP", 7},
    };
    for (const Case& c : cases) {
        form_->Slider1.Value(c.from);
        form_->tb1.Buttons(c.tool).Value(true);
        form_->tb1.Press(c.tool);
        EXPECT_EQ(Position(), c.to) << c.tool << " from " << c.from;
        EXPECT_EQ(Shown(), std::vector<int32_t>{c.to + 1}) << c.tool << " from " << c.from;
        EXPECT_FALSE(form_->tb1.Buttons(c.tool).Value()) << c.tool;
        EXPECT_FALSE(Playing()) << c.tool;
    }
}

TEST_F(SliderPlaybackTest, AnyToolStopsPlaybackAndThePlayToolsToggle) {
    form_->tb1.Press("ID_PLAY");
    EXPECT_TRUE(form_->Timer1.Enabled());
    EXPECT_FALSE(form_->Timer2.Enabled());
    form_->tb1_Click("ID_STOP", 0, 0, false); // a click without its flag is ignored
    EXPECT_TRUE(form_->Timer1.Enabled());
    form_->tb1.Press("ID_PLAY");
    EXPECT_FALSE(Playing());

    form_->tb1.Press("ID_PLAY");
    form_->tb1.Press("ID_PLAYBACK"); // stops forward playback without starting backward
    EXPECT_FALSE(Playing());

    form_->tb1.Press("ID_PLAYBACK");
    EXPECT_TRUE(form_->Timer2.Enabled());
    form_->tb1.Press("ID_STEP");
    EXPECT_FALSE(Playing());
    EXPECT_EQ(Position(), 1);
}

TEST_F(SliderPlaybackTest, PlaybackWithoutLoopingStopsOnTheTickAfterTheEnd) {
    ExpectPlayback("ID_PLAY", 21, {22, 23, 24});
    ExpectPlayback("ID_PLAYBACK", 3, {2, 1, 0});
}

TEST_F(SliderPlaybackTest, LoopingPlaybackContinuesFromTheOtherEnd) {
    g_bLoopAnimation = true;
    form_->Slider1.Value(23);
    form_->tb1.Press("ID_PLAY");
    Tick();
    EXPECT_EQ(Position(), 24);
    // One tick applies the start and then the step after it.
    const int32_t applied = Applications();
    Tick();
    EXPECT_EQ(Position(), 1);
    EXPECT_EQ(Applications(), applied + 2);
    EXPECT_EQ(Shown(), std::vector<int32_t>{2});
    EXPECT_TRUE(Playing());

    form_->tb1.Press("ID_STOP");
    form_->Slider1.Value(1);
    form_->tb1.Press("ID_PLAYBACK");
    Tick(2);
    EXPECT_EQ(Position(), 23);
    EXPECT_EQ(Shown(), std::vector<int32_t>{24});
    EXPECT_TRUE(Playing());
}

TEST_F(SliderPlaybackTest, ATickWaitsWhileTheDisplayIsDrawing) {
    form_->tb1.Press("ID_PLAY");
    Display().FireDrawingStarted();
    EXPECT_TRUE(form_->DisplayDrawing());
    Tick(3);
    EXPECT_EQ(Position(), 0);
    Display().FireDrawingFinished();
    Tick();
    EXPECT_EQ(Position(), 1);

    // Once stopped the form no longer follows the display.
    form_->tb1.Press("ID_STOP");
    Display().FireDrawingStarted();
    EXPECT_FALSE(form_->DisplayDrawing());
    Display().FireDrawingFinished();
}

TEST_F(SliderPlaybackTest, DraggingMovesOnlyTheLabelUntilTheThumbIsLetGo) {
    form_->Slider1.Value(2);
    const int32_t applied = Applications();
    form_->Slider1.UserDrag(5);
    EXPECT_EQ(CurrentLabel(), "3/1/2008 5:00:00 AM");
    form_->Slider1.UserDrag(7);
    EXPECT_EQ(CurrentLabel(), "3/1/2008 7:00:00 AM");
    EXPECT_EQ(Shown(), std::vector<int32_t>{3});
    EXPECT_EQ(Applications(), applied);

    form_->Slider1.UserRelease();
    EXPECT_EQ(Shown(), std::vector<int32_t>{8});
    EXPECT_EQ(Applications(), applied + 1);
    EXPECT_EQ(CurrentLabel(), "3/1/2008 7:00:00 AM");
}

TEST_F(SliderPlaybackTest, AStepRedrawsTheInitializedLayersInOneBatch) {
    g_bFastRefresh = true;
    track_.layer->Cached(true);
    const Track other = AddTrack(March(1, 0), 25, 60, "Other");
    other.layer->Cached(true);
    form_->Update();
    other.record->isInitialized = false;
    const std::string other_filter = other.layer->DefinitionExpression();
    (void)Map().TakeRedrawRequest();

    int32_t refreshes = 0;
    const platform::ScopedConnection counting = Map().Events().ViewRefreshed.Connect([&](auto&&...) { ++refreshes; });
    std::vector<int32_t> pointers;
    const platform::ScopedConnection pointer_watch =
        platform::ui::TheScreen().PointerChanged.Connect([&](int32_t shape) { pointers.push_back(shape); });

    form_->tb1.Press("ID_STEP");
    EXPECT_EQ(Shown(), std::vector<int32_t>{2});
    EXPECT_EQ(other.layer->DefinitionExpression(), other_filter);
    const gis::RedrawRequest redraw = Map().TakeRedrawRequest();
    EXPECT_FALSE(redraw.Full);
    EXPECT_FALSE(redraw.AllLayers);
    EXPECT_EQ(redraw.Layers, std::vector<std::shared_ptr<gis::ILayer>>{track_.layer});
    EXPECT_EQ(refreshes, 1);
    EXPECT_FALSE(Map().DelayDrawing());
    EXPECT_EQ(pointers, (std::vector<int32_t>{11, 0}));
}

TEST_F(SliderPlaybackTest, AFailingLayerIsReportedAndTheStepStillEnds) {
    const Custom failing = AddCustom(March(1, 0), March(2, 0), 60, "Failing", std::make_shared<FailingTimeLayer>());
    const Custom after = AddCustom(March(1, 0), March(2, 0), 60, "After");
    form_->Update();
    form_->tb1.Press("ID_STEP");

    const auto boxes = messages_.MessageBoxes();
    ASSERT_FALSE(boxes.empty());
    EXPECT_NE(boxes.back().text.find("Slider1_Change  frmSlider"), std::string::npos) << boxes.back().text;
    // Layers before the failing one follow the step, those after it do not.
    EXPECT_EQ(Shown(), std::vector<int32_t>{2});
    EXPECT_TRUE(Told(*after.layer).empty());
    EXPECT_FALSE(Map().DelayDrawing());
    EXPECT_FALSE(form_->Locked());
    EXPECT_EQ(platform::ui::TheScreen().MousePointer(), 0);
    messages_.Clear();
}

} // namespace
} // namespace chronova
