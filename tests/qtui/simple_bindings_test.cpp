// Buttons, labels, check boxes, options, text and number fields, frames and spin buttons: each way between the
// headless control and its real widget, and the state every bound widget follows.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>
#include <QVBoxLayout>
#include <memory>

#include "platform/ui/check_box.h"
#include "platform/ui/command_button.h"
#include "platform/ui/frame.h"
#include "platform/ui/label.h"
#include "platform/ui/number_box.h"
#include "platform/ui/option_button.h"
#include "platform/ui/spin_button.h"
#include "platform/ui/text_box.h"
#include "qtui/bindings.h"
#include "qtui/shown_window.h"

namespace chronova::qtui {
namespace {

namespace ui = platform::ui;

using BindingTest = ShownWindowTest;

TEST_F(BindingTest, AButtonShowsItsCaptionAndAClickPressesItUnlessDisabled) {
    ui::CommandButton control;
    control.Caption("Done");
    int clicks = 0;
    control.Click.Connect([&] { ++clicks; });
    QPushButton* button = BindCommandButton(control, Window());
    EXPECT_EQ(button->text(), "Done");
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(clicks, 1);

    control.Caption("Close");
    control.Enabled(false);
    EXPECT_EQ(button->text(), "Close");
    EXPECT_FALSE(button->isEnabled());
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(clicks, 1);
}

TEST_F(BindingTest, ALabelFollowsCaptionAndTipAndReportsLeftClicks) {
    ui::Label control;
    control.Caption("12:00");
    int clicks = 0;
    control.Click.Connect([&] { ++clicks; });
    QLabel* label = BindLabel(control, Window());
    label->resize(80, 20);
    EXPECT_EQ(label->text(), "12:00");

    control.Caption("13:00 & later"); // plain text: the ampersand is shown, not a mnemonic
    control.ToolTipText("Pick a time");
    EXPECT_EQ(label->text(), "13:00 & later");
    EXPECT_EQ(label->toolTip(), "Pick a time");
    EXPECT_EQ(label->cursor().shape(), Qt::PointingHandCursor);

    QTest::mouseClick(label, Qt::LeftButton);
    QTest::mouseClick(label, Qt::RightButton);
    EXPECT_EQ(clicks, 1);
}

Qt::CheckState ToQt(int32_t value) {
    return value == ui::CheckBox::kChecked  ? Qt::Checked
           : value == ui::CheckBox::kGrayed ? Qt::PartiallyChecked
                                            : Qt::Unchecked;
}

TEST_F(BindingTest, ACheckBoxTogglesThroughTheControlAndShowsGrayedFromCode) {
    ui::CheckBox control;
    control.Caption("Loop");
    int clicks = 0;
    control.Click.Connect([&] { ++clicks; });
    QCheckBox* box = BindCheckBox(control, Window());
    EXPECT_EQ(box->text(), "Loop");
    EXPECT_EQ(box->checkState(), Qt::Unchecked);

    QTest::mouseClick(box, Qt::LeftButton);
    EXPECT_EQ(control.Value(), ui::CheckBox::kChecked);
    EXPECT_EQ(box->checkState(), Qt::Checked);

    control.Value(ui::CheckBox::kGrayed);
    EXPECT_EQ(box->checkState(), Qt::PartiallyChecked);
    EXPECT_EQ(clicks, 2); // following the control raised nothing more

    // From grayed the user's clicks go checked, unchecked, checked: the user never makes a box grayed, which a
    // tristate Qt box left to itself would do on the third click.
    for (const int32_t expected : {ui::CheckBox::kChecked, ui::CheckBox::kUnchecked, ui::CheckBox::kChecked}) {
        QTest::mouseClick(box, Qt::LeftButton);
        EXPECT_EQ(control.Value(), expected);
        EXPECT_EQ(box->checkState(), ToQt(expected));
    }
}

TEST_F(BindingTest, OptionsAreGroupedByTheFormNotByQt) {
    ui::OptionButton first;
    ui::OptionButton second;
    // The form's handler clears the other option, as forms group their options.
    first.Click.Connect([&] { second.Value(false); });
    second.Click.Connect([&] { first.Value(false); });
    first.Value(true);
    QRadioButton* first_widget = BindOptionButton(first, Window());
    QRadioButton* second_widget = BindOptionButton(second, Window());
    second_widget->move(0, 40);
    EXPECT_TRUE(first_widget->isChecked());

    QTest::mouseClick(second_widget, Qt::LeftButton);
    EXPECT_TRUE(second.Value());
    EXPECT_FALSE(first.Value());
    EXPECT_FALSE(first_widget->isChecked());
    EXPECT_TRUE(second_widget->isChecked());

    // Clicking the selected option again leaves it selected.
    QTest::mouseClick(second_widget, Qt::LeftButton);
    EXPECT_TRUE(second_widget->isChecked());

    second.Value(false); // an option cleared by code shows cleared, which Qt's own groups would refuse
    EXPECT_FALSE(second_widget->isChecked());
}

TEST_F(BindingTest, ATextBoxTakesTypingUnlessLockedAndFollowsTheTextFromCode) {
    ui::TextBox control;
    std::vector<std::string> changes;
    control.Change.Connect([&] { changes.push_back(control.Text()); });
    QLineEdit* edit = BindTextBox(control, Window());
    QTest::keyClicks(edit, "ab");
    EXPECT_EQ(control.Text(), "ab");
    EXPECT_EQ(changes, (std::vector<std::string>{"a", "ab"}));

    control.Text("from code");
    EXPECT_EQ(edit->text(), "from code");
    EXPECT_EQ(changes.size(), 3U); // the widget following the code raised no second Change

    control.Locked(true);
    EXPECT_TRUE(edit->isReadOnly());
    QTest::keyClicks(edit, "x");
    EXPECT_EQ(control.Text(), "from code");
}

TEST_F(BindingTest, ANumberBoxFollowsRangeAndValueAndEntersTheUsersNumber) {
    ui::NumberBox control;
    control.Range(1, 60);
    control.Value(5);
    int changes = 0;
    control.Change.Connect([&] { ++changes; });
    QSpinBox* spin = BindNumberBox(control, Window());
    EXPECT_EQ(spin->minimum(), 1);
    EXPECT_EQ(spin->maximum(), 60);
    EXPECT_EQ(spin->value(), 5);

    spin->setFocus();
    QTest::keyClick(spin, Qt::Key_Up);
    EXPECT_EQ(control.Value(), 6);
    EXPECT_EQ(changes, 1);

    control.Range(1, 3); // clamps the number, and the widget shows both
    EXPECT_EQ(spin->maximum(), 3);
    EXPECT_EQ(spin->value(), 3);
    EXPECT_EQ(changes, 2);
}

TEST_F(BindingTest, AFrameShowsItsCaptionAndASpinButtonReportsItsArrows) {
    ui::Frame frame;
    frame.Caption("Playback");
    QGroupBox* group = BindFrame(frame, Window());
    EXPECT_EQ(group->title(), "Playback");
    frame.Caption("Speed");
    EXPECT_EQ(group->title(), "Speed");

    ui::SpinButton control;
    std::vector<std::string> arrows;
    control.SpinUp.Connect([&] { arrows.emplace_back("up"); });
    control.SpinDown.Connect([&] { arrows.emplace_back("down"); });
    QWidget* spin = BindSpinButton(control, Window());
    spin->resize(20, 40);
    QTest::mouseClick(spin->findChild<QToolButton*>("down"), Qt::LeftButton);
    QTest::mouseClick(spin->findChild<QToolButton*>("up"), Qt::LeftButton);
    EXPECT_EQ(arrows, (std::vector<std::string>{"down", "up"}));
}

TEST_F(BindingTest, WidgetsFollowEnabledVisibleAndTheirPlaceInTwips) {
    ui::Label control;
    control.Move(150, 300, 1500, 450);
    QLabel* placed = BindLabel(control, Window(), Placement::Twips);
    EXPECT_EQ(placed->geometry(), QRect(10, 20, 100, 30));
    control.Left(300);
    EXPECT_EQ(placed->geometry(), QRect(20, 20, 100, 30));
    EXPECT_TRUE(placed->isVisible());
    control.Visible(false);
    EXPECT_FALSE(placed->isVisible());
    control.Visible(true);
    EXPECT_TRUE(placed->isVisible());

    // Laid out by Qt: the control's place is not followed, its state is.
    QLabel* laid_out = BindLabel(control, Window(), Placement::Layout);
    laid_out->setGeometry(0, 100, 50, 10);
    control.Left(600);
    EXPECT_EQ(laid_out->geometry(), QRect(0, 100, 50, 10));
    control.Enabled(false);
    EXPECT_FALSE(laid_out->isEnabled());
}

TEST_F(BindingTest, AWidgetMadeWithoutAParentAndPutInALayoutKeepsTheControlsVisibility) {
    ui::CommandButton hidden;
    ui::CommandButton shown;
    hidden.Visible(false);
    QPushButton* hidden_button = BindCommandButton(hidden, nullptr);
    QPushButton* shown_button = BindCommandButton(shown, nullptr);
    EXPECT_FALSE(shown_button->isWindow() && shown_button->isVisible()); // no stray top-level window
    auto* layout = new QVBoxLayout(Window());
    layout->addWidget(hidden_button);
    layout->addWidget(shown_button);
    QApplication::processEvents();
    EXPECT_FALSE(hidden_button->isVisible());
    EXPECT_TRUE(shown_button->isVisible());
    hidden.Visible(true);
    EXPECT_TRUE(hidden_button->isVisible());
}

TEST_F(BindingTest, TheBindingEndsWithTheWidgetWhileTheControlLivesOn) {
    ui::Label control;
    {
        std::unique_ptr<QLabel> label(BindLabel(control, nullptr));
        EXPECT_GT(control.Changed.HandlerCount(), 0U);
    }
    EXPECT_EQ(control.Changed.HandlerCount(), 0U);
    control.Caption("still fine"); // nobody follows; nothing touches the freed widget
}

} // namespace
} // namespace chronova::qtui
