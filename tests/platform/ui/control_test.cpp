// The properties every control takes from Control and CaptionedControl: defaults, independence, and the caption
// notification reaching a label also through the base.
#include "platform/ui/check_box.h"
#include "platform/ui/combo_box.h"
#include "platform/ui/command_button.h"
#include "platform/ui/frame.h"
#include "platform/ui/label.h"
#include "platform/ui/list_box.h"
#include "platform/ui/option_button.h"
#include "platform/ui/picture_box.h"
#include "platform/ui/slider.h"
#include "platform/ui/text_box.h"
#include "platform/ui/toolbar.h"
#include "platform/ui/tree_view.h"

#include <gtest/gtest.h>

#include <string>
#include <type_traits>
#include <vector>

namespace chronova::platform::ui {
namespace {

// A display follows one control for its whole life, so no control copies.
static_assert(!std::is_copy_constructible_v<Frame> && !std::is_copy_assignable_v<Frame>);
static_assert(!std::is_copy_constructible_v<Label> && !std::is_copy_constructible_v<CheckBox>);

// Every control starts enabled and visible, and switching one property leaves the other alone.
void ExpectIndependentEnabledAndVisible(Control& control, const char* name) {
    SCOPED_TRACE(name);
    EXPECT_TRUE(control.Enabled());
    EXPECT_TRUE(control.Visible());
    control.Enabled(false);
    EXPECT_FALSE(control.Enabled());
    EXPECT_TRUE(control.Visible());
    control.Visible(false);
    control.Enabled(true);
    EXPECT_TRUE(control.Enabled());
    EXPECT_FALSE(control.Visible());
}

TEST(ControlTest, EveryControlStartsEnabledAndVisibleAndKeepsThemApart) {
    CheckBox check_box;
    ComboBox combo_box;
    CommandButton command_button;
    Frame frame;
    Label label;
    ListBox list_box;
    OptionButton option_button;
    Slider slider;
    TextBox text_box;
    Toolbar toolbar;
    TreeView tree_view;
    ExpectIndependentEnabledAndVisible(check_box, "CheckBox");
    ExpectIndependentEnabledAndVisible(combo_box, "ComboBox");
    ExpectIndependentEnabledAndVisible(command_button, "CommandButton");
    ExpectIndependentEnabledAndVisible(frame, "Frame");
    ExpectIndependentEnabledAndVisible(label, "Label");
    ExpectIndependentEnabledAndVisible(list_box, "ListBox");
    ExpectIndependentEnabledAndVisible(option_button, "OptionButton");
    ExpectIndependentEnabledAndVisible(slider, "Slider");
    ExpectIndependentEnabledAndVisible(text_box, "TextBox");
    ExpectIndependentEnabledAndVisible(toolbar, "Toolbar");
    ExpectIndependentEnabledAndVisible(tree_view, "TreeView");
}

TEST(ControlTest, ALabelRaisesChangeAlsoWhenItsCaptionIsSetThroughTheBase) {
    Label label;
    std::vector<std::string> seen;
    label.Change.Connect([&] { seen.push_back(label.Caption()); });
    CaptionedControl& base = label;
    for (const char* caption : {"a", "a", "b"}) {
        base.Caption(caption);
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"a", "b"}));
}

TEST(ControlTest, CaptionsOfOtherControlsAreKeptWithoutRaisingTheirEvents) {
    CheckBox check_box;
    int clicks = 0;
    check_box.Click.Connect([&] { ++clicks; });
    check_box.Caption("Loop");
    check_box.Caption("Loop");
    EXPECT_EQ(check_box.Caption(), "Loop");
    EXPECT_EQ(clicks, 0);

    Frame frame;
    frame.Caption("Span");
    frame.Enabled(false);
    EXPECT_EQ(frame.Caption(), "Span");
    EXPECT_FALSE(frame.Enabled());
}

TEST(ControlTest, APlaceInTwipsAndAResizeOnlyWhenTheSizeChanges) {
    PictureBox picture;
    int resizes = 0;
    picture.Resize.Connect([&] { ++resizes; });
    picture.Move(150, 300, 4500, 600);
    EXPECT_EQ(resizes, 1);
    picture.Left(0); // moving alone is no resize
    picture.Top(15);
    EXPECT_EQ(resizes, 1);
    picture.Width(-30); // no negative sizes
    EXPECT_EQ(picture.Width(), 0);
    EXPECT_EQ(resizes, 2);
    EXPECT_EQ(picture.Left(), 0);
    EXPECT_EQ(picture.Top(), 15);
    EXPECT_EQ(picture.Height(), 600);
}

} // namespace
} // namespace chronova::platform::ui
