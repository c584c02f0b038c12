// The span's strip as the hooked slider area paints it: where its ends and texts lie for the ticks the slider
// has, when it is worked out again, and how hooking chains with the box's own procedure.
#include "slider/mod_slider_select.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "platform/ui/slider.h"
#include "support/recording_canvas.h"

namespace chronova::modSliderSelect {
namespace {

using platform::ui::kTwipsPerPixel;
using platform::ui::PixelRect;
using Kind = testing::CanvasCall::Kind;

constexpr int32_t kBlue = 0xFF0000;

class SliderSelectTest : public ::testing::Test {
protected:
    void SetUp() override {
        slider_.Move(0, 0, 400 * kTwipsPerPixel, 30 * kTwipsPerPixel);
        slider_.Max(10);
        slider_.Container(&picture_);
        repaints_ = picture_.Invalidated.Connect([this] { ++repaint_count_; });
        ASSERT_TRUE(HookSliderArea(picture_));
        Active(true);
    }
    void TearDown() override { UnhookSliderArea(picture_); }

    testing::RecordingCanvas Paint() const {
        testing::RecordingCanvas canvas(400, 30);
        slider_.Paint(canvas);
        return canvas;
    }

    // The strip of one paint: the fill in the span colour, if any.
    std::optional<PixelRect> Strip() const {
        for (const auto& fill : Paint().OfKind(Kind::Fill)) {
            if (fill.color == SpanColor()) {
                return fill.rect;
            }
        }
        return std::nullopt;
    }

    platform::ui::PictureBox picture_;
    platform::ui::Slider slider_;
    platform::ScopedConnection repaints_;
    int repaint_count_ = 0;
};

TEST_F(SliderSelectTest, TheStripRunsFromTickToTickJustBelowTheChannel) {
    SetSelection(7, 3, "", "");
    const PixelRect channel = slider_.ChannelRect();
    EXPECT_EQ(Strip(), (PixelRect{slider_.ValueX(3), channel.bottom, slider_.ValueX(7), channel.bottom + 5}));

    // The ends of the range take the end ticks, found one spacing beyond the first and last interior ticks.
    SetSelection(0, 10, "", "");
    ASSERT_TRUE(Strip().has_value());
    EXPECT_NEAR(Strip()->left, slider_.ValueX(0), 1);
    EXPECT_NEAR(Strip()->right, slider_.ValueX(10), 1);

    // A span collapsed onto one position, or none at all, has no strip.
    for (const int16_t at : {0, 10}) {
        SetSelection(at, at, "", "");
        EXPECT_EQ(Strip(), std::nullopt) << at;
    }
    ClearSelection();
    EXPECT_EQ(Strip(), std::nullopt);
}

TEST_F(SliderSelectTest, ThreeTicksOrFewerDrawNoStrip) {
    for (const auto& [max, frequency] : {std::pair{2, 1}, {1, 1}, {10, 0}}) {
        slider_.Max(max);
        slider_.TickFrequency(frequency);
        SetSelection(0, static_cast<int16_t>(max), "", "");
        EXPECT_EQ(Strip(), std::nullopt) << max << " " << frequency;
    }
    slider_.Max(3);
    slider_.TickFrequency(1);
    SetSelection(0, 3, "", "");
    EXPECT_TRUE(Strip().has_value()) << "four ticks are enough";
}

TEST_F(SliderSelectTest, TextsStandAboveTheStripsEndsInTheLabelFontAndColours) {
    SetSelection(2, 8, "from", "to");
    LabelColor(kBlue);
    const auto texts = Paint().OfKind(Kind::Text);
    ASSERT_EQ(texts.size(), 2U);
    EXPECT_EQ(texts[0].text, "from");
    EXPECT_EQ(texts[0].rect.left, slider_.ValueX(2));
    EXPECT_EQ(texts[0].rect.top, slider_.ChannelRect().bottom - 18);
    EXPECT_EQ(texts[0].style.align, platform::ui::TextAlign::Left);
    EXPECT_EQ(texts[1].text, "to");
    EXPECT_EQ(texts[1].rect.left, slider_.ValueX(8));
    EXPECT_EQ(texts[1].style.align, platform::ui::TextAlign::Right);
    for (const auto& text : texts) {
        EXPECT_EQ(text.style.color, kBlue);
        EXPECT_EQ(text.style.background, platform::ui::kButtonFaceColor);
        EXPECT_EQ(text.style.font, (platform::ui::Font{"MS Sans Serif", 8, 300}));
    }
    SetSelection(2, 8, "", "");
    EXPECT_TRUE(Paint().OfKind(Kind::Text).empty());
}

TEST_F(SliderSelectTest, TheStripIsWorkedOutAgainOnlyWhenARepaintIsAskedFor) {
    SetSelection(3, 7, "", "");
    EXPECT_EQ(repaint_count_, 1);
    const std::optional<PixelRect> before = Strip();

    // A narrower slider keeps the old strip until asked, then measures its ticks again.
    slider_.Move(0, 0, 200 * kTwipsPerPixel, 30 * kTwipsPerPixel);
    EXPECT_EQ(Strip(), before);
    RequestRepaint();
    EXPECT_EQ(repaint_count_, 2);
    EXPECT_EQ(Strip()->left, slider_.ValueX(3));
    EXPECT_EQ(Strip()->right, slider_.ValueX(7));

    // Switched off: no strip, and no repaint asked for.
    Active(false);
    SetSelection(1, 2, "", "");
    EXPECT_EQ(repaint_count_, 2);
    EXPECT_EQ(Strip(), std::nullopt);
}

TEST_F(SliderSelectTest, HookingChainsWithTheBoxsOwnProcedureAndAnotherBoxTakesOver) {
    UnhookSliderArea(picture_);
    std::string seen;
    picture_.WindowProcedure([&](const platform::ui::CustomDraw& n) {
        seen += std::to_string(static_cast<uint32_t>(n.stage)) + " ";
        return platform::ui::custom_draw::kDoDefault;
    });
    ASSERT_TRUE(HookSliderArea(picture_));
    EXPECT_FALSE(Active()) << "a new hook starts switched off";
    Paint();
    EXPECT_EQ(seen, "1 ") << "switched off, every notification reaches the box's own procedure";
    Active(true);
    seen.clear();
    Paint();
    EXPECT_EQ(seen, "65537 ") << "switched on, only the thumb's stage is left to it";

    // A second slider area takes the module over; the first box's procedure then passes everything on.
    platform::ui::PictureBox other;
    ASSERT_TRUE(HookSliderArea(other));
    seen.clear();
    Paint();
    EXPECT_EQ(seen, "1 ");
    EXPECT_FALSE(UnhookSliderArea(picture_));
    EXPECT_TRUE(UnhookSliderArea(other));
    EXPECT_FALSE(Hooked());
    Active(true);
    EXPECT_FALSE(Active()) << "nothing to draw on without a hook";
}

} // namespace
} // namespace chronova::modSliderSelect
