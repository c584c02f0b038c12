// The display options and date-time picker dialogs: the form's twip layout and window size as real widgets, and
// the fields that the form checks when the user leaves them.
#include "views_fixture.h"

#include "datetime/calendar_form.h"
#include "datetime/date_time_picker.h"
#include "slider/frm_display_options.h"

#include <QSpinBox>

namespace chronova::testing {
namespace {

using platform::ui::kTwipsPerPixel;

QRect TwipRect(const platform::ui::Control& control) {
    return {control.Left() / kTwipsPerPixel, control.Top() / kTwipsPerPixel, control.Width() / kTwipsPerPixel,
            control.Height() / kTwipsPerPixel};
}

class FormDialogsTest : public ViewsTest {
protected:
    /// Opens the picker on a time as the slider's labels do; returns what PickDateTime returned.
    int32_t Pick(int32_t& minutes) { return modDateTime::PickDateTime(minutes); }

    /// The user replaces what a field shows by typing.
    static void TypeInto(QWidget& field, const QString& text) {
        field.setFocus(Qt::MouseFocusReason);
        QTest::keyClick(&field, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(&field, text);
    }
};

TEST_F(FormDialogsTest, DisplayOptionsStandWhereTheFormPutsThemInAWindowOfTheFormsSize) {
    g_lDisplayInterval = 90;
    frmDisplayOptions form;
    bool shown = false;
    WhenDialogShows("DisplayOptionsDialog", [&](QDialog& dialog) {
        shown = true;
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Display Options"));
        EXPECT_EQ(dialog.size(), QSize(form.Window.Width(), form.Window.Height()) / kTwipsPerPixel);
        EXPECT_EQ(dialog.pos(), QPoint(form.Window.Left(), form.Window.Top()) / kTwipsPerPixel);
        const auto boxes = dialog.findChildren<QLineEdit*>();
        ASSERT_EQ(boxes.size(), 3);
        for (const auto& box : form.txtInterval) {
            EXPECT_TRUE(boxes.contains(dialog.childAt(TwipRect(box).center())));
        }
        EXPECT_EQ(FindButton(dialog, "Done")->geometry(), TwipRect(form.cmdButton[0]));
        EXPECT_EQ(FindButton(dialog, "Cancel")->geometry(), TwipRect(form.cmdButton[1]));
        // Every option's caption fits the place the form gives it.
        for (auto* option : dialog.findChildren<QRadioButton*>()) {
            EXPECT_GE(option->width(), option->sizeHint().width()) << option->text().toStdString();
        }
        Shoot(dialog, "display_options");
        QTest::keyClick(&dialog, Qt::Key_Escape);
    });
    form.Show(platform::ui::FormShow::Modal);
    EXPECT_TRUE(shown);
    // Escape closes the window, which cancels.
    EXPECT_FALSE(form.Loaded());
    EXPECT_EQ(g_lDisplayInterval, 90);
}

TEST_F(FormDialogsTest, ThePickerShowsTheTimeOnATwelveHourClockAndReturnsThePickedOne) {
    WhenDialogShows("DateTimePickerDialog", [&](QDialog& dialog) {
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Select Date and Time"));
        auto* hour = dialog.findChild<QSpinBox*>("HourControl");
        auto* minute = dialog.findChild<QSpinBox*>("MinuteControl");
        auto* ampm = dialog.findChild<QLineEdit*>("ampmfld");
        auto* year = dialog.findChild<QSpinBox*>("yearfld");
        ASSERT_TRUE(hour && minute && ampm && year);
        EXPECT_EQ(hour->value(), 12);
        EXPECT_EQ(minute->value(), 30);
        EXPECT_TRUE(ampm->isVisible());
        EXPECT_EQ(ampm->text(), QStringLiteral("PM"));
        EXPECT_EQ(year->value(), 2008);
        Shoot(dialog, "picker");

        auto* calendar = dialog.findChild<QCalendarWidget*>();
        ClickDay(*calendar, 20);
        TypeInto(*year, "2009");
        TypeInto(*hour, "7");
        TypeInto(*minute, "45");
        TypeInto(*ampm, "a");
        QTest::mouseClick(FindButton(dialog, "OK"), Qt::LeftButton);
    });
    int32_t minutes = modDateTime::PartsToMinutes(2008, 3, 1, 12, 30);
    EXPECT_GT(Pick(minutes), 0);
    EXPECT_EQ(minutes, modDateTime::PartsToMinutes(2009, 3, 20, 7, 45));
}

TEST_F(FormDialogsTest, AnHourTypedBeyondTheClockIsCutBackWhenTheUserLeavesTheField) {
    WhenDialogShows("DateTimePickerDialog", [&](QDialog& dialog) {
        auto* hour = dialog.findChild<QSpinBox*>("HourControl");
        auto* minute = dialog.findChild<QSpinBox*>("MinuteControl");
        ASSERT_TRUE(hour && minute);
        TypeInto(*hour, "25");
        // Into the minute field: the hour field is left and checked against the 12-hour clock.
        minute->setFocus(Qt::TabFocusReason);
        EXPECT_EQ(hour->value(), 12);
        TypeInto(*minute, "75");
        QTest::mouseClick(FindButton(dialog, "OK"), Qt::LeftButton);
    });
    int32_t minutes = modDateTime::PartsToMinutes(2008, 3, 1, 9, 0);
    EXPECT_GT(Pick(minutes), 0);
    // 12 AM is the hour after midnight; the minute was cut back to 59 when OK took the focus.
    EXPECT_EQ(minutes, modDateTime::PartsToMinutes(2008, 3, 1, 0, 59));
}

TEST_F(FormDialogsTest, CancellingThePickerLeavesTheTimeAsItWas) {
    WhenDialogShows("DateTimePickerDialog", [&](QDialog& dialog) {
        ClickDay(*dialog.findChild<QCalendarWidget*>(), 9);
        QTest::mouseClick(FindButton(dialog, "Cancel"), Qt::LeftButton);
    });
    const int32_t opened_on = modDateTime::PartsToMinutes(2008, 3, 1, 9, 0);
    int32_t minutes = opened_on;
    EXPECT_LT(Pick(minutes), 0);
    EXPECT_EQ(minutes, opened_on);
    EXPECT_TRUE(modDateTime::Picker().bCancelled);
}

} // namespace
} // namespace chronova::testing
