// Check box, option button, text box, number box, command button and clickable label: each raises its notification only
// on a real change, from code as from the user, and ignores the user while disabled.
#include "platform/automation_error.h"
#include "platform/ui/check_box.h"
#include "platform/ui/command_button.h"
#include "platform/ui/label.h"
#include "platform/ui/number_box.h"
#include "platform/ui/option_button.h"
#include "platform/ui/text_box.h"

#include <gtest/gtest.h>

namespace chronova::platform::ui {
namespace {

TEST(CheckBoxTest, ClickOnRealChangeOnlyAndInvalidStatesRejected) {
    CheckBox box;
    int clicks = 0;
    box.Click.Connect([&] { ++clicks; });
    for (int32_t value : {1, 1, 2, 0, 0}) {
        box.Value(value);
    }
    EXPECT_EQ(clicks, 3);
    EXPECT_THROW(box.Value(3), AutomationError);
    EXPECT_THROW(box.Value(-1), AutomationError);
    EXPECT_EQ(box.Value(), CheckBox::kUnchecked);
}

TEST(CheckBoxTest, UserClickTogglesAndGrayedBecomesCheckedUnlessDisabled) {
    CheckBox box;
    box.UserClick();
    EXPECT_EQ(box.Value(), CheckBox::kChecked);
    box.Value(CheckBox::kGrayed);
    box.UserClick();
    EXPECT_EQ(box.Value(), CheckBox::kChecked);
    box.Enabled(false);
    box.UserClick();
    EXPECT_EQ(box.Value(), CheckBox::kChecked);
}

TEST(OptionButtonTest, OnlySelectingRaisesClick) {
    OptionButton option;
    int clicks = 0;
    option.Click.Connect([&] { ++clicks; });
    option.Value(true);
    option.Value(true);
    option.Value(false);
    option.UserClick();
    EXPECT_EQ(clicks, 2);
    EXPECT_TRUE(option.Value());
}

TEST(TextBoxTest, ChangeOnRealChangeAndLockedBoxIgnoresTyping) {
    TextBox box;
    int changes = 0;
    box.Change.Connect([&] { ++changes; });
    box.Text("12");
    box.Text("12");
    box.UserType("13");
    box.Locked(true);
    box.UserType("14");
    box.Text("15"); // code still changes a locked box
    EXPECT_EQ(changes, 3);
    EXPECT_EQ(box.Text(), "15");
}

TEST(CommandButtonTest, PressRaisesClickOnlyWhenEnabledAndVisible) {
    CommandButton button;
    int clicks = 0;
    button.Click.Connect([&] { ++clicks; });
    button.Press();
    button.Enabled(false);
    button.Press();
    button.Enabled(true);
    button.Visible(false);
    button.Press();
    EXPECT_EQ(clicks, 1);
}

TEST(NumberBoxTest, KeepsItsNumberInRangeAndRaisesChangeOnlyOnARealChange) {
    NumberBox box;
    int changes = 0;
    box.Change.Connect([&] { ++changes; });
    box.Range(1, 100);
    EXPECT_EQ(box.Value(), 1); // clamped into the new range
    box.Value(250);
    EXPECT_EQ(box.Value(), 100);
    box.Value(100);
    EXPECT_EQ(changes, 2);
    box.Enabled(false);
    box.UserEnter(5);
    EXPECT_EQ(box.Value(), 100);
    box.Range(10, 0); // backwards
    EXPECT_EQ(box.Min(), 0);
    EXPECT_EQ(box.Value(), 10);
}

TEST(LabelTest, UserClickRaisesClickOnlyWhenEnabledAndVisible) {
    Label label;
    int clicks = 0;
    label.Click.Connect([&] { ++clicks; });
    label.UserClick();
    label.Enabled(false);
    label.UserClick();
    label.Enabled(true);
    label.Visible(false);
    label.UserClick();
    EXPECT_EQ(clicks, 1);
}

} // namespace
} // namespace chronova::platform::ui
