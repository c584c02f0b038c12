// Changed, the notification a display follows: raised once for each real change of what a control shows,
// after the change is stored and before the control's classic notification, and never for a value set again.
#include "platform/ui/check_box.h"
#include "platform/ui/combo_box.h"
#include "platform/ui/label.h"
#include "platform/ui/list_box.h"
#include "platform/ui/month_calendar.h"
#include "platform/ui/number_box.h"
#include "platform/ui/option_button.h"
#include "platform/ui/picture_box.h"
#include "platform/ui/slider.h"
#include "platform/ui/text_box.h"
#include "platform/ui/toolbar.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace chronova::platform::ui {
namespace {

// How often an action raises the control's Changed.
int ChangesOf(Control& control, const std::function<void()>& action) {
    int changes = 0;
    const ScopedConnection counting = control.Changed.Connect([&] { ++changes; });
    action();
    return changes;
}

// Runs each step and expects the number of Changed it raises.
void ExpectChanges(Control& control, const std::vector<std::pair<std::function<void()>, int>>& steps) {
    for (size_t i = 0; i < steps.size(); ++i) {
        EXPECT_EQ(ChangesOf(control, steps[i].first), steps[i].second) << "step " << i;
    }
}

TEST(ChangedTest, StatePlaceAndCaptionOfEveryControlRaiseItOnRealChangesOnly) {
    Label label;
    ExpectChanges(label, {
                             {[&] { label.Enabled(false); }, 1},
                             {[&] { label.Enabled(false); }, 0},
                             {[&] { label.Visible(false); }, 1},
                             {[&] { label.Visible(false); }, 0},
                             {[&] { label.Move(15, 30, 150, 300); }, 1},
                             {[&] { label.Move(15, 30, 150, 300); }, 0},
                             {[&] { label.Left(30); }, 1}, // a move alone counts too
                             {[&] { label.Width(-15); }, 1},
                             {[&] { label.Width(0); }, 0}, // negative sizes count as 0 already
                             {[&] { label.Caption("Start"); }, 1},
                             {[&] { label.Caption("Start"); }, 0},
                             {[&] { label.ToolTipText("Pick a start"); }, 1},
                             {[&] { label.ToolTipText("Pick a start"); }, 0},
                         });
}

TEST(ChangedTest, ComesAfterTheChangeIsStoredAndBeforeTheClassicNotification) {
    CheckBox check;
    std::vector<std::string> log;
    check.Changed.Connect([&] { log.push_back("changed " + std::to_string(check.Value())); });
    check.Click.Connect([&] { log.emplace_back("click"); });
    check.UserClick();
    check.Value(CheckBox::kGrayed);

    Slider slider;
    slider.Changed.Connect([&] { log.push_back("slider changed " + std::to_string(slider.Value())); });
    slider.Change.Connect([&] { log.emplace_back("slider change"); });
    slider.Max(4);
    slider.Value(7); // clamped to the new end
    EXPECT_EQ(log, (std::vector<std::string>{"changed 1", "click", "changed 2", "click", "slider changed 0",
                                             "slider changed 4", "slider change"}));
}

TEST(ChangedTest, ValuesOfEditFieldsAndOptions) {
    OptionButton option;
    ExpectChanges(option, {{[&] { option.Value(true); }, 1},
                           {[&] { option.Value(true); }, 0},
                           {[&] { option.Value(false); }, 1}}); // clearing raises no Click, but shows
    TextBox text;
    ExpectChanges(text, {{[&] { text.Text("12:00"); }, 1},
                         {[&] { text.UserType("12:00"); }, 0},
                         {[&] { text.Locked(true); }, 1},
                         {[&] { text.Locked(true); }, 0},
                         {[&] { text.UserType("13:00"); }, 0}}); // a locked box ignores the user
    NumberBox number;
    ExpectChanges(number, {{[&] { number.Value(50); }, 1},
                           {[&] { number.Range(0, 10); }, 2}, // the range, then the value pulled into it
                           {[&] { number.Range(10, 0); }, 0}, // the same range given backwards
                           {[&] { number.Value(99); }, 0}});  // clamped to the 10 it holds
    MonthCalendar calendar;
    ExpectChanges(calendar, {{[&] { calendar.SetDate(2024, 2, 29); }, 1},
                             {[&] { calendar.Year(2024); }, 0},
                             {[&] { calendar.Year(2023); }, 1}, // to 28 February
                             {[&] { calendar.FirstDayOfWeek(MonthCalendar::kMonday); }, 1},
                             {[&] { calendar.FirstDayOfWeek(MonthCalendar::kMonday); }, 0}});
    EXPECT_EQ(calendar.Day(), 28);
}

TEST(ChangedTest, EntriesAndSelectionOfLists) {
    ComboBox combo;
    ExpectChanges(combo, {{[&] { combo.AddItem("a"); }, 1},
                          {[&] { combo.AddItem("b", 0); }, 1},
                          {[&] { combo.ListIndex(1); }, 1},
                          {[&] { combo.ListIndex(1); }, 0},
                          {[&] { combo.Text("b"); }, 1}, // selects the entry with the text
                          {[&] { combo.Text("free text"); }, 1},
                          {[&] { combo.Text("free text"); }, 0},
                          {[&] { combo.RemoveItem(0); }, 1},
                          {[&] { combo.Clear(); }, 1},
                          {[&] { combo.Clear(); }, 0}});
    ListBox list;
    ExpectChanges(list, {{[&] { list.AddItem("a"); }, 1},
                         {[&] { list.AddItem("b"); }, 1},
                         {[&] { list.Selected(1, true); }, 1},
                         {[&] { list.Selected(1, true); }, 0},
                         {[&] { list.ListIndex(0); }, 1},
                         {[&] { list.RemoveItem(0); }, 1},
                         {[&] { list.Clear(); }, 1},
                         {[&] { list.Clear(); }, 0}});
}

TEST(ChangedTest, SliderRangeTicksBandAndDrags) {
    Slider slider;
    PictureBox box;
    ExpectChanges(slider, {{[&] { slider.Min(0); }, 0},
                           {[&] { slider.Max(100); }, 1},
                           {[&] { slider.TickFrequency(10); }, 1},
                           {[&] { slider.TickFrequency(10); }, 0},
                           {[&] { slider.SelectRange(true); }, 1},
                           {[&] { slider.SelStart(20); }, 1},
                           {[&] { slider.SelLength(30); }, 1},
                           {[&] { slider.SelLength(30); }, 0},
                           {[&] { slider.Container(&box); }, 1},
                           {[&] { slider.Container(&box); }, 0}});

    // A drag shows every move at once, while the classic Change waits for the release.
    int change = 0;
    slider.Change.Connect([&] { ++change; });
    ExpectChanges(slider, {{[&] { slider.UserDrag(5); }, 1},
                           {[&] { slider.UserDrag(5); }, 0},
                           {[&] { slider.UserDrag(9); }, 1},
                           {[&] { slider.UserRelease(); }, 0}});
    EXPECT_EQ(change, 1);
}

TEST(ChangedTest, ToolbarButtonsTellTheirToolbar) {
    Toolbar bar;
    Toolbar::Button* play = nullptr;
    ExpectChanges(bar, {{[&] { play = &bar.Add("ID_PLAY", "Play"); }, 1},
                        {[&] { play->Value(true); }, 1},
                        {[&] { bar.Buttons("ID_PLAY").Value(true); }, 0},
                        {[&] { play->Enabled(false); }, 1},
                        {[&] { play->Visible(false); }, 1},
                        {[&] { play->ToolTipText("Play"); }, 0},
                        {[&] { play->ToolTipText("Play forwards"); }, 1}});
    EXPECT_TRUE(bar.ButtonAt(0).Value());
    EXPECT_FALSE(bar.ButtonAt(0).Enabled());
    EXPECT_EQ(bar.ButtonAt(0).ToolTipText(), "Play forwards");
}

TEST(ChangedTest, EveryDrawingCallOnAPictureShows) {
    PictureBox box;
    ExpectChanges(box, {{[&] { box.Cls(); }, 1},
                        {[&] { box.Scale(0, 0, 10, 1); }, 1},
                        {[&] { box.LineBox(0, 0, 5, 1, 0xFF, true); }, 1},
                        {[&] { box.Line(0, 0, 5, 1, 0xFF); }, 1},
                        {[&] { box.DrawText(1, 0, "noon"); }, 1},
                        {[&] { box.DrawMode(PictureBox::kXorPen); }, 1},
                        {[&] { box.DrawMode(PictureBox::kXorPen); }, 0},
                        {[&] { box.BackColor(0x00FF00); }, 1},
                        {[&] { box.BackColor(0x00FF00); }, 0}});
}

} // namespace
} // namespace chronova::platform::ui
