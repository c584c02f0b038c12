// The date-time picker dialog driven as a user would, through PickDateTime and a scripted modal dialog service:
// the 12- and 24-hour clocks, the field limits and the spin button, the calendar with its month list and year
// field, "Today", and every way of closing it.
#include "datetime/calendar_form.h"
#include "datetime/calendar_picker.h"
#include "datetime/mod_date_time.h"
#include "platform/locale.h"
#include "platform/ui/modal_dialog_service.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace chronova {
namespace {

using platform::ui::MonthCalendar;

constexpr int32_t kMainWindow = 0x77;

int32_t At(int year, int month, int day, int hour, int minute) {
    return modDateTime::DateToMinutes(platform::Date::FromParts(year, month, day, hour, minute));
}

void Enter(platform::ui::NumericEdit& field, int32_t value) {
    field.UserFocus();
    field.UserEnter(value);
}

class CalendarFormTest : public ::testing::Test {
protected:
    void SetUp() override {
        modDateTime::ResetDateTimePicker();
        modDateTime::InstallCalendarPicker([] { return kMainWindow; }, [this] { return now_; });
    }
    void TearDown() override { modDateTime::ResetDateTimePicker(); }

    /// Opens the picker on a time and lets the user act in the dialog; returns the time the caller gets back,
    /// -1 when the dialog was cancelled.
    int32_t Picked(int32_t minutes, std::function<void(Calendarform&)> user) {
        dialogs_.Then<Calendarform>(std::move(user));
        return modDateTime::PickDateTime(minutes) > 0 ? minutes : -1;
    }

    platform::DateParts now_{2010, 7, 4, 15, 42, 10};
    platform::ScopedLocale locale_{"en-US"};
    platform::ui::ScriptedModalDialogService dialogs_;
    platform::ui::ScopedModalDialogService dialog_scope_{dialogs_};
};

TEST_F(CalendarFormTest, TwelveHourClockShowsNoonAsPmAndMidnightAsAmAndReturnsThemUnchanged) {
    const auto shows = [](int32_t hour, const char* ampm) {
        return [hour, ampm](Calendarform& form) {
            EXPECT_TRUE(form.ampmfld.Visible());
            EXPECT_EQ(form.HourControl.Value(), hour);
            EXPECT_EQ(form.ampmfld.Text(), ampm);
            form.Ok.Press();
        };
    };
    EXPECT_EQ(Picked(At(2008, 3, 15, 12, 30), shows(12, "PM")), At(2008, 3, 15, 12, 30));
    EXPECT_EQ(Picked(At(2008, 3, 15, 0, 15), shows(12, "AM")), At(2008, 3, 15, 0, 15));
    EXPECT_EQ(Picked(At(2008, 3, 15, 13, 5), shows(1, "PM")), At(2008, 3, 15, 13, 5));

    // Midnight written the way a clock shows it, 12 AM, is hour 0 as well; 11 PM is 23.
    const auto enter = [](int32_t hour, const char* ampm) {
        return [hour, ampm](Calendarform& form) {
            Enter(form.HourControl, hour);
            form.ampmfld.UserFocus();
            form.ampmfld.UserType(ampm);
            form.Ok.Press();
        };
    };
    EXPECT_EQ(Picked(At(2008, 3, 15, 9, 15), enter(12, "am")), At(2008, 3, 15, 0, 15));
    EXPECT_EQ(Picked(At(2008, 3, 15, 9, 15), enter(11, "p")), At(2008, 3, 15, 23, 15));
    EXPECT_EQ(Picked(At(2008, 3, 15, 9, 15), enter(13, "PM")), At(2008, 3, 15, 12, 15)) << "held to 12";
}

TEST_F(CalendarFormTest, TwentyFourHourClockHidesAmPmMovesTheSpinButtonAndHoldsFieldsToTheirLimits) {
    int32_t spin_left_12 = 0;
    Picked(At(2008, 3, 15, 18, 45), [&](Calendarform& form) {
        spin_left_12 = form.Minspin.Left();
        EXPECT_EQ(form.Calendar.FirstDayOfWeek(), MonthCalendar::kSunday) << "month-first dates leave it";
    });
    EXPECT_NE(spin_left_12, 1665);

    modDateTime::InstallCalendarPicker();
    const platform::ScopedLocale day_first("en-GB");
    EXPECT_EQ(Picked(At(2008, 3, 15, 18, 45),
                     [](Calendarform& form) {
                         EXPECT_FALSE(form.ampmfld.Visible());
                         EXPECT_EQ(form.Minspin.Left(), 1665);
                         EXPECT_EQ(form.HourControl.Value(), 18);
                         EXPECT_EQ(form.Calendar.FirstDayOfWeek(), MonthCalendar::kMonday);
                         Enter(form.HourControl, 30);
                         EXPECT_EQ(form.HourControl.Value(), 30) << "typing is free until the field is left";
                         Enter(form.MinuteControl, 75);
                         EXPECT_EQ(form.HourControl.Value(), 23);
                         Enter(form.HourControl, -4);
                         EXPECT_EQ(form.MinuteControl.Value(), 59);
                         Enter(form.MinuteControl, -1);
                         EXPECT_EQ(form.HourControl.Value(), 0);
                         form.Ok.Press(); // closing leaves the minute field too
                     }),
              At(2008, 3, 15, 0, 0));
}

TEST_F(CalendarFormTest, SpinButtonStepsTheFieldThatLastHadTheFocusWithinItsLimits) {
    EXPECT_EQ(Picked(At(2008, 3, 15, 10, 20),
                     [](Calendarform& form) {
                         form.Minspin.UserSpinUp(); // the hour, before any field had the focus
                         EXPECT_EQ(form.HourControl.Value(), 11);
                         Enter(form.MinuteControl, 59);
                         form.Minspin.UserSpinUp();
                         EXPECT_EQ(form.MinuteControl.Value(), 59) << "no wrap into the next hour";
                         form.Minspin.UserSpinDown();
                         EXPECT_EQ(form.MinuteControl.Value(), 58);

                         form.ampmfld.UserFocus();
                         form.Minspin.UserSpinUp();
                         form.Minspin.UserSpinUp();
                         EXPECT_EQ(form.ampmfld.Text(), "PM");
                         form.Minspin.UserSpinDown();
                         EXPECT_EQ(form.ampmfld.Text(), "AM");
                         form.ampmfld.UserType("P.M.");
                         EXPECT_EQ(form.ampmfld.Text(), "PM");
                         form.ampmfld.UserType("");
                         EXPECT_EQ(form.ampmfld.Text(), "AM") << "anything but p is AM";

                         form.HourControl.UserFocus();
                         form.Minspin.UserSpinUp();
                         form.Minspin.UserSpinUp();
                         EXPECT_EQ(form.HourControl.Value(), 12);
                         form.Ok.Press();
                     }),
              At(2008, 3, 15, 0, 58));
}

TEST_F(CalendarFormTest, CalendarMonthListAndYearFieldStayInStep) {
    EXPECT_EQ(Picked(At(2008, 3, 15, 10, 0),
                     [](Calendarform& form) {
                         ASSERT_EQ(form.MonthCombo.ListCount(), 12);
                         EXPECT_EQ(form.MonthCombo.List(11), "December");
                         EXPECT_EQ(form.MonthCombo.ListIndex(), 2);
                         EXPECT_EQ(form.yearfld.Value(), 2008);
                         form.MonthCombo.ListIndex(4);
                         EXPECT_EQ(form.Calendar.Value(), platform::Date::FromParts(2008, 5, 15));
                         form.Calendar.UserSelect(2009, 1, 31);
                         EXPECT_EQ(form.MonthCombo.ListIndex(), 0);
                         EXPECT_EQ(form.yearfld.Value(), 2009);

                         // Years up to 100 and beyond 3000 are taken as typing in progress.
                         for (const int32_t ignored : {50, 100, 3001}) {
                             form.yearfld.UserEnter(ignored);
                             EXPECT_EQ(form.Calendar.Year(), 2009) << ignored;
                         }
                         form.yearfld.UserEnter(101);
                         EXPECT_EQ(form.Calendar.Year(), 101);
                         form.yearfld.UserEnter(2008);
                         form.YearSpin.UserSpinUp();
                         form.YearSpin.UserSpinUp();
                         form.YearSpin.UserSpinDown();
                         EXPECT_EQ(form.Calendar.Year(), 2009);
                         form.MonthCombo.ListIndex(1);
                         form.Ok.Press();
                     }),
              At(2009, 2, 28, 10, 0));

    Picked(At(2008, 3, 15, 10, 0), [](Calendarform& form) {
        EXPECT_EQ(form.MonthCombo.ListCount(), 12) << "refilled, not added to";
        EXPECT_EQ(form.MonthCombo.ListIndex(), 2) << "selected again although the calendar kept its month";
        // Once the dialog lost the activation, the next change of the calendar shows month and year again.
        form.yearfld.UserEnter(50);
        form.Calendar.UserSelect(2008, 3, 20);
        EXPECT_EQ(form.yearfld.Value(), 50);
        form.Form_Deactivate();
        form.Calendar.UserSelect(2008, 3, 21);
        EXPECT_EQ(form.yearfld.Value(), 2008);
    });
}

TEST_F(CalendarFormTest, EveryCloseButOkCancelsAndLeavesTheCallersTime) {
    const int32_t opened = At(2008, 3, 15, 13, 30);
    const auto change_everything = [](Calendarform& form) {
        form.Calendar.UserSelect(2011, 11, 11);
        Enter(form.HourControl, 4);
        Enter(form.MinuteControl, 44);
        form.ampmfld.UserFocus();
        form.ampmfld.UserType("AM");
    };
    int32_t minutes = opened;
    dialogs_.Then<Calendarform>([&](Calendarform& form) {
        change_everything(form);
        form.Cancel.Press();
    });
    EXPECT_EQ(modDateTime::PickDateTime(minutes), -1);
    EXPECT_EQ(minutes, opened);
    const modDateTime::PickerValues& values = modDateTime::Picker();
    EXPECT_EQ(std::vector<int>({values.iYear, values.iMonth, values.iDay, values.iHour, values.iMinute}),
              std::vector<int>({2008, 3, 15, 13, 30}))
        << "the opening values are put back before they are taken";

    EXPECT_EQ(Picked(opened, change_everything), -1) << "the window's close box";
    EXPECT_EQ(Picked(opened,
                     [&](Calendarform& form) {
                         change_everything(form);
                         form.Hide();
                     }),
              -1)
        << "hidden instead of closed";
}

TEST_F(CalendarFormTest, TodayTakesTheClocksDateAndHourWithMinuteZero) {
    EXPECT_EQ(Picked(At(2008, 3, 15, 10, 20),
                     [](Calendarform& form) {
                         form.today.Press();
                         EXPECT_EQ(form.HourControl.Value(), 3);
                         EXPECT_EQ(form.ampmfld.Text(), "PM");
                         EXPECT_EQ(form.MonthCombo.ListIndex(), 6);
                         form.Ok.Press();
                     }),
              At(2010, 7, 4, 15, 0));
}

TEST_F(CalendarFormTest, OneDialogServesEveryPickCentredAndOwnedByTheHostWindow) {
    const Calendarform* first = nullptr;
    Picked(At(2008, 3, 15, 10, 0), [&](Calendarform& form) {
        first = &form;
        EXPECT_EQ(form.Window.OwnerWindow(), kMainWindow);
        EXPECT_EQ(form.Window.Left(), (platform::ui::DialogScreen().width - form.Window.Width()) / 2);
    });
    // The formats are read once, when the dialog first opens.
    const platform::ScopedLocale day_first("en-GB");
    Picked(At(2008, 3, 15, 10, 0), [&](Calendarform& form) {
        EXPECT_EQ(&form, first);
        EXPECT_TRUE(form.TwelveHour());
    });
    EXPECT_EQ(dialogs_.Shown(), (std::vector<std::string>{"Select Date and Time", "Select Date and Time"}));
}

} // namespace
} // namespace chronova
