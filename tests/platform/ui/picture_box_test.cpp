#include "platform/ui/picture_box.h"

#include "platform/automation_error.h"
#include "platform/ui/picture_painter.h"
#include "support/recording_canvas.h"

#include <gtest/gtest.h>

#include <vector>

namespace chronova::platform::ui {
namespace {

using Kind = DrawOperation::Kind;

std::vector<Kind> KindsOf(const PictureBox& box) {
    std::vector<Kind> kinds;
    for (const DrawOperation& op : box.Operations()) {
        kinds.push_back(op.kind);
    }
    return kinds;
}

TEST(PictureBoxTest, RecordsBoxesWithTheirColourAndFill) {
    PictureBox box;
    box.Cls();
    box.Scale(0, 0, 100, 10);
    box.LineBox(10, 0, 20, 10, 0x0000FF, true);
    box.LineBox(30, 0, 40, 10, 0x00FF00, false);
    EXPECT_EQ(KindsOf(box), (std::vector<Kind>{Kind::Cls, Kind::Scale, Kind::Box, Kind::Box}));
    const DrawOperation& filled = box.Operations()[2];
    EXPECT_EQ(filled.x1, 10);
    EXPECT_EQ(filled.x2, 20);
    EXPECT_EQ(filled.color, 0x0000FF);
    EXPECT_TRUE(filled.filled);
    EXPECT_FALSE(box.Operations()[3].filled);
    EXPECT_EQ(box.ScaleWidth(), 100);
}

TEST(PictureBoxTest, ClsStartsANewRecordThatKeepsScaleAndDrawMode) {
    PictureBox box;
    box.Scale(0, 0, 50, 5);
    box.DrawMode(PictureBox::kXorPen);
    box.DrawMode(PictureBox::kXorPen); // unchanged: not recorded again
    box.LineBox(1, 1, 2, 2, 0, true);
    box.Cls();
    EXPECT_EQ(KindsOf(box), (std::vector<Kind>{Kind::Cls, Kind::Scale, Kind::DrawMode}));
    EXPECT_EQ(box.Operations()[1].x2, 50);
    EXPECT_EQ(box.Operations()[2].draw_mode, PictureBox::kXorPen);
    EXPECT_THROW(box.DrawMode(0), AutomationError);
    EXPECT_THROW(box.DrawMode(17), AutomationError);
}

TEST(PictureBoxTest, FontAndFillPropertiesKeepTheirValuesAndRejectOutOfRangeOnes) {
    PictureBox box;
    EXPECT_EQ(box.FillStyle(), PictureBox::kFillTransparent);
    box.FillStyle(PictureBox::kFillSolid);
    box.FillStyle(7);
    box.FontSize(9);
    box.FontName("arial narrow");
    box.FontBold(true);
    box.ForeColor(0xFFFFFF);
    for (int32_t style : {-1, 8}) {
        EXPECT_THROW(box.FillStyle(style), AutomationError) << style;
    }
    for (double size : {0.0, -3.0, 2161.0}) {
        EXPECT_THROW(box.FontSize(size), AutomationError) << size;
    }
    EXPECT_EQ(box.FillStyle(), 7);
    EXPECT_EQ(box.FontSize(), 9);
    EXPECT_EQ(box.FontName(), "arial narrow");
    EXPECT_TRUE(box.FontBold());
    EXPECT_EQ(box.ForeColor(), 0xFFFFFF);
    EXPECT_EQ(box.Operations().size(), 0U); // properties for later drawing, not drawing themselves
}

// What a display paints from the record: user units spread over the canvas, pens widened around their pixel, and
// each operation in the draw mode it was recorded under.
TEST(PaintPictureTest, ReplaysTheRecordInPixels) {
    PictureBox box;
    box.BackColor(0x123456);
    box.Cls();
    box.Line(0, 0, 0.5, 1, 0x333333); // before any Scale the box spans one unit each way
    box.Scale(0, 0, 10, 10);
    box.DrawMode(PictureBox::kMaskPen);
    box.DrawWidth(15);
    box.LineBox(2, 0, 4, 0, 0x696969, true);
    box.DrawWidth(4);
    EXPECT_THROW(box.DrawWidth(0), AutomationError);
    box.LineBox(1, 1, 3, 3, 0x00FF00, false);
    box.FontSize(6);
    box.DrawText(5, 5, "x");
    box.Scale(0, 0, 0, 10); // no width: what follows cannot be placed
    box.LineBox(1, 1, 2, 2, 0, true);

    testing::RecordingCanvas canvas(100, 50);
    PaintPicture(box, canvas);
    using Call = testing::CanvasCall::Kind;
    const auto& drawn = canvas.drawn;
    ASSERT_EQ(drawn.size(), 5U);
    EXPECT_EQ(drawn[0].rect, (PixelRect{0, 0, 100, 50}));
    EXPECT_EQ(drawn[0].color, 0x123456);
    EXPECT_EQ(drawn[1].rect, (PixelRect{0, 0, 50, 50}));
    // 15 pixels: 7 on each side of the corners at x 20 and 40, y 0, ANDed onto the picture.
    EXPECT_EQ(drawn[2].kind, Call::Fill);
    EXPECT_EQ(drawn[2].rect, (PixelRect{13, -7, 48, 8}));
    EXPECT_EQ(drawn[2].mode, draw_mode::kMaskPen);
    // An even width reaches one pixel further after the corner than before it.
    EXPECT_EQ(drawn[3].kind, Call::Frame);
    EXPECT_EQ(drawn[3].rect, (PixelRect{9, 4, 33, 18}));
    EXPECT_EQ(drawn[4].kind, Call::Text);
    EXPECT_EQ(drawn[4].rect, (PixelRect{50, 25, 50, 25}));
    EXPECT_EQ(drawn[4].style.font.pixel_height, 8);
}

} // namespace
} // namespace chronova::platform::ui
