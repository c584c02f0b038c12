// The slider form's span members over its hooked slider area: active only while hooked, repaints on real changes,
// texts and colours in the strip the slider paints.
#include <gtest/gtest.h>

#include <algorithm>

#include "slider/mod_slider_select.h"
#include "slider/slider_fixture.h"
#include "support/recording_canvas.h"

namespace chronova {
namespace {

using testing::March;
using testing::MarchDate;

class TimeSpanTest : public testing::SliderTest {
protected:
    void SetUp() override {
        SliderTest::SetUp();
        AddTrack(March(1, 0), 25, 60); // positions 0 .. 24, hourly
        form_->Update();
        form_->Slider1.Move(0, 0, 500 * platform::ui::kTwipsPerPixel, 30 * platform::ui::kTwipsPerPixel);
        repaints_ = form_->Picture1.Invalidated.Connect([this] { ++repaint_count_; });
    }

    platform::ScopedConnection repaints_;
    int repaint_count_ = 0;
};

TEST_F(TimeSpanTest, TheSpanIsActiveOnlyWhileTheSliderAreaIsHooked) {
    EXPECT_TRUE(modSliderSelect::Hooked());
    EXPECT_EQ(form_->Slider1.Container(), &form_->Picture1);
    EXPECT_FALSE(form_->Slider1.PositionTip());
    form_->TimeSpanActive(true);
    EXPECT_TRUE(form_->TimeSpanActive());

    form_->UnhookPicture1();
    EXPECT_FALSE(form_->TimeSpanActive());
    form_->TimeSpanActive(true);
    EXPECT_FALSE(form_->TimeSpanActive());
    ASSERT_TRUE(form_->HookPicture1());
}

TEST_F(TimeSpanTest, ColoursAndTheLabelSwitchRepaintOnlyWhenTheyChange) {
    form_->TimeSpanActive(true);
    EXPECT_EQ(repaint_count_, 1);
    EXPECT_EQ(form_->TimeSpanColor(), modSliderSelect::kDefaultColor);
    form_->TimeSpanColor(modSliderSelect::kDefaultColor);
    form_->TimeSpanLabelColor(modSliderSelect::kDefaultColor);
    form_->TimeSpanLabelEnabled(false);
    EXPECT_EQ(repaint_count_, 1);
    form_->TimeSpanColor(0x00FF00);
    form_->TimeSpanLabelColor(0xFF0000);
    form_->TimeSpanLabelEnabled(true);
    EXPECT_EQ(repaint_count_, 4);

    // The texts come with the next span, in the span's colours; Clear takes the strip away.
    form_->SetTimeSpan(MarchDate(1, 3), MarchDate(1, 6));
    testing::RecordingCanvas canvas(500, 30);
    form_->Slider1.Paint(canvas);
    const auto texts = canvas.OfKind(testing::CanvasCall::Kind::Text);
    ASSERT_EQ(texts.size(), 2U);
    EXPECT_EQ(texts[0].text, "3/1/2008 3:00:00 AM");
    EXPECT_EQ(texts[1].text, "3/1/2008 6:00:00 AM");
    EXPECT_EQ(texts[1].style.color, 0xFF0000);
    const auto fills = canvas.OfKind(testing::CanvasCall::Kind::Fill);
    EXPECT_EQ(std::count_if(fills.begin(), fills.end(), [](const auto& fill) { return fill.color == 0x00FF00; }), 1);

    form_->Clear();
    EXPECT_FALSE(form_->TimeSpanActive());
    testing::RecordingCanvas cleared(500, 30);
    form_->Slider1.Paint(cleared);
    EXPECT_TRUE(cleared.OfKind(testing::CanvasCall::Kind::Text).empty());
}

} // namespace
} // namespace chronova
