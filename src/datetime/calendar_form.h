#pragma once

#include "platform/event.h"
#include "platform/ole_date.h"
#include "platform/ui/combo_box.h"
#include "platform/ui/command_button.h"
#include "platform/ui/dialog_window.h"
#include "platform/ui/edit_fields.h"
#include "platform/ui/form.h"
#include "platform/ui/month_calendar.h"
#include "platform/ui/spin_button.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace chronova {

/// The date-time picker dialog: a month calendar with a month list and a year field for the date, and hour and
/// minute fields (with an AM/PM field on a 12-hour clock) for the time of day. It opens on the picker values of
/// modDateTime and writes the chosen parts back when it closes; only "OK" confirms, any other way of closing
/// counts as cancelled. The form is headless; the desktop window shows its controls through widgets.
class Calendarform : public platform::ui::Form {
public:
    /// The host's main window handle, which owns the dialog; 0 when there is none.
    using MainWindow = std::function<int32_t()>;
    /// The local date and time, for "Today".
    using Clock = std::function<platform::DateParts()>;

    /// The field the spin button acts on: the one that last had the focus.
    enum class TimeField : int16_t { Hour = 0, Minute = 1, AmPm = 2 };

    explicit Calendarform(MainWindow main_window = {}, Clock clock = LocalNow);
    Calendarform(const Calendarform&) = delete;
    Calendarform& operator=(const Calendarform&) = delete;
    ~Calendarform() override;

    /// The computer's local date and time.
    static platform::DateParts LocalNow();

    // Controls, named as the form names them.
    platform::ui::DialogWindow Window;
    platform::ui::MonthCalendar Calendar;
    platform::ui::ComboBox MonthCombo;
    platform::ui::NumericEdit yearfld;
    platform::ui::SpinButton YearSpin;
    platform::ui::NumericEdit HourControl;
    platform::ui::NumericEdit MinuteControl;
    /// "AM" or "PM"; shown only on a 12-hour clock.
    platform::ui::TextEdit ampmfld;
    /// Up and down for the time field that last had the focus.
    platform::ui::SpinButton Minspin;
    platform::ui::CommandButton today;
    platform::ui::CommandButton Ok;
    platform::ui::CommandButton Cancel;

    /// True when the locale's time format ends in an AM/PM designator.
    bool TwelveHour() const noexcept { return bTwelveHour; }
    TimeField LastTimeField() const noexcept { return iLastField; }

    // Handlers. The controls' events run them; Form_Deactivate is for the desktop window, which alone knows when
    // the dialog loses the activation.
    void Calendar_Change();
    void MonthCombo_Click();
    void yearfld_Change();
    void YearSpin_SpinUp();
    void YearSpin_SpinDown();
    void HourControl_LostFocus();
    void MinuteControl_LostFocus();
    void Minspin_SpinUp();
    void Minspin_SpinDown();
    void ampmfld_Change();
    void today_Click();
    void Ok_Click();
    void Cancel_Click();
    /// The dialog lost the activation: the month and year shown are forgotten, so the next change of the
    /// calendar puts both into their fields again.
    void Form_Deactivate();

protected:
    void Form_Load() override;
    void Form_Unload() override;

private:
    // What the dialog showed when it opened, put back when it is cancelled.
    struct Shown {
        int32_t year = 0;
        int32_t month = 0;
        int32_t day = 0;
        int32_t hour = 0;
        int32_t minute = 0;
        std::string ampm;
    };

    void DesignWindow();
    void ConnectControls();
    void ReadLocaleFormats();
    /// Shows a 24-hour clock hour in the hour field and, on a 12-hour clock, the AM/PM field.
    void ShowHour(int32_t hour);
    /// The hour field's value on a 24-hour clock.
    int32_t ChosenHour() const;
    void ClampHour();
    void ClampMinute();
    /// Steps the field that last had the focus: +1 up, -1 down.
    void SpinTimeField(int32_t step);
    void TakePickerValues();

    MainWindow main_window_;
    Clock clock_;
    bool bFormatsLoaded = false;
    std::string sShortDateFormat;
    std::string sTimeFormat;
    bool bTwelveHour = false;
    TimeField iLastField = TimeField::Hour;
    int32_t iShownMonth = 0;
    int32_t iShownYear = 0;
    Shown opening_;
    std::vector<platform::ScopedConnection> connections_;
};

} // namespace chronova
