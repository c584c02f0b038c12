#include "platform/ui/picture_box.h"

#include "platform/automation_error.h"

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

} // namespace
} // namespace chronova::platform::ui
