// How the slider draws itself: where its ticks lie, and the custom-draw conversation with the box it sits in.
#include "platform/ui/picture_box.h"
#include "platform/ui/slider.h"
#include "support/recording_canvas.h"

#include <gtest/gtest.h>

#include <string>

namespace chronova::platform::ui {
namespace {

using Kind = testing::CanvasCall::Kind;

TEST(SliderPaintingTest, TicksAreSpreadEvenlyOverTheChannelAndOnlyInteriorOnesAreTold) {
    Slider slider;
    slider.Move(0, 0, 400 * kTwipsPerPixel, 30 * kTwipsPerPixel);
    slider.Max(10);
    const PixelRect channel = slider.ChannelRect();
    EXPECT_EQ(channel.bottom, slider.ThumbRect().top + 10) << "the channel lies in the thumb's middle rows";
    EXPECT_GT(slider.ValueX(0), channel.left);
    EXPECT_LT(slider.ValueX(10), channel.right);
    int32_t previous = slider.ValueX(0);
    for (int32_t index = 0; index <= 8; ++index) {
        EXPECT_EQ(slider.GetTicPos(index), slider.ValueX(index + 1));
        EXPECT_NEAR(slider.GetTicPos(index) - previous, 37, 1) << index;
        previous = slider.GetTicPos(index);
    }
    EXPECT_EQ(slider.GetTicPos(-1), -1);
    EXPECT_EQ(slider.GetTicPos(9), -1);
}

TEST(SliderPaintingTest, TheContainerIsAskedStageByStageAsItsAnswersRequest) {
    PictureBox box;
    Slider slider;
    slider.Move(0, 0, 400 * kTwipsPerPixel, 30 * kTwipsPerPixel);
    slider.Max(4);
    slider.Container(&box);
    std::string log;
    int32_t skip_at_start = custom_draw::kDoDefault;
    box.WindowProcedure([&](const CustomDraw& n) {
        log += std::to_string(static_cast<uint32_t>(n.stage)) + ":" + std::to_string(static_cast<int>(n.part)) + " ";
        if (n.stage == DrawStage::PrePaint) {
            return skip_at_start | custom_draw::kNotifyItemDraw | custom_draw::kNotifyPostPaint;
        }
        if (n.stage == DrawStage::ItemPrePaint && n.part == SliderPart::Tics) {
            return custom_draw::kNotifyPostPaint;
        }
        if (n.stage == DrawStage::ItemPrePaint && n.part == SliderPart::Channel) {
            EXPECT_EQ(n.rect, n.from.ChannelRect());
            return custom_draw::kSkipDefault;
        }
        return custom_draw::kDoDefault;
    });
    testing::RecordingCanvas canvas(400, 30);
    slider.Paint(canvas);
    // Pre, ticks (pre, post), channel (pre only), thumb (pre only), post.
    EXPECT_EQ(log, "1:0 65537:1 65538:1 65537:3 65537:2 2:0 ");
    // The channel the container skipped is not drawn; the background, five ticks and the thumb are.
    EXPECT_TRUE(canvas.OfKind(Kind::Frame).empty());
    EXPECT_EQ(canvas.OfKind(Kind::Fill).size(), 1U + 5U + 1U);

    // Skipped at the start, nothing is drawn and nothing more asked.
    skip_at_start = custom_draw::kSkipDefault;
    log.clear();
    testing::RecordingCanvas skipped(400, 30);
    slider.Paint(skipped);
    EXPECT_EQ(log, "1:0 ");
    EXPECT_TRUE(skipped.drawn.empty());
}

} // namespace
} // namespace chronova::platform::ui
