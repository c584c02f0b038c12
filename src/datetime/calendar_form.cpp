#include "datetime/calendar_form.h"

#include "datetime/date_time_picker.h"
#include "platform/automation_error.h"
#include "platform/locale.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <ctime>
#include <limits>

namespace chronova {

using modDateTime::Picker;
using platform::ui::MonthCalendar;

namespace {

// Where the spin button stands on a 24-hour clock, where it takes the place of the AM/PM field.
constexpr int32_t kSpinLeft24Hour = 1665;
constexpr int32_t kSpinLeft12Hour = 2190;
constexpr int32_t kLastHour12 = 12;
constexpr int32_t kLastHour24 = 23;
constexpr int32_t kLastMinute = 59;
// Years the year field hands to the calendar; others are taken for typing in progress and ignored.
constexpr int32_t kYearAbove = 100;
constexpr int32_t kYearUpTo = 3000;

// Runs one statement of a handler that ignores errors: a control that cannot be set keeps its value.
template <typename Statement>
void Try(Statement&& statement) {
    try {
        statement();
    } catch (const platform::AutomationError&) {
    }
}

// value + step without wrapping at the ends of a Long.
int32_t Stepped(int32_t value, int32_t step) {
    const int64_t sum = int64_t{value} + step;
    return static_cast<int32_t>(
        std::clamp<int64_t>(sum, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

} // namespace

Calendarform::Calendarform(MainWindow main_window, Clock clock)
    : Form("Select Date and Time"), main_window_(std::move(main_window)), clock_(std::move(clock)) {
    DesignWindow();
    ConnectControls();
}

Calendarform::~Calendarform() = default;

platform::DateParts Calendarform::LocalNow() {
    const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    std::tm local{};
    localtime_r(&now, &local);
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec};
}

// The dialog's layout in twips; only the spin button's place on a 24-hour clock matters to the behaviour.
void Calendarform::DesignWindow() {
    Window.Move(0, 0, 3510, 4065);
    MonthCombo.Move(120, 120, 2040, 315);
    yearfld.Move(2280, 120, 855, 315);
    YearSpin.Move(3135, 120, 255, 315);
    Calendar.Move(120, 540, 3270, 2355);
    HourControl.Move(600, 3015, 480, 315);
    MinuteControl.Move(1125, 3015, 480, 315);
    ampmfld.Move(kSpinLeft24Hour, 3015, 480, 315);
    Minspin.Move(kSpinLeft12Hour, 3015, 255, 315);
    today.Move(2520, 3015, 870, 315);
    Ok.Move(1320, 3555, 975, 375);
    Cancel.Move(2415, 3555, 975, 375);
    today.Caption("Today");
    Ok.Caption("OK");
    Cancel.Caption("Cancel");
}

void Calendarform::ConnectControls() {
    connections_.emplace_back(Calendar.Change.Connect([this] { Calendar_Change(); }));
    connections_.emplace_back(MonthCombo.Click.Connect([this] { MonthCombo_Click(); }));
    connections_.emplace_back(yearfld.Change.Connect([this] { yearfld_Change(); }));
    connections_.emplace_back(YearSpin.SpinUp.Connect([this] { YearSpin_SpinUp(); }));
    connections_.emplace_back(YearSpin.SpinDown.Connect([this] { YearSpin_SpinDown(); }));
    connections_.emplace_back(HourControl.GotFocus.Connect([this] { iLastField = TimeField::Hour; }));
    connections_.emplace_back(MinuteControl.GotFocus.Connect([this] { iLastField = TimeField::Minute; }));
    connections_.emplace_back(ampmfld.GotFocus.Connect([this] { iLastField = TimeField::AmPm; }));
    connections_.emplace_back(HourControl.LostFocus.Connect([this] { HourControl_LostFocus(); }));
    connections_.emplace_back(MinuteControl.LostFocus.Connect([this] { MinuteControl_LostFocus(); }));
    connections_.emplace_back(Minspin.SpinUp.Connect([this] { Minspin_SpinUp(); }));
    connections_.emplace_back(Minspin.SpinDown.Connect([this] { Minspin_SpinDown(); }));
    connections_.emplace_back(ampmfld.Change.Connect([this] { ampmfld_Change(); }));
    connections_.emplace_back(today.Click.Connect([this] { today_Click(); }));
    connections_.emplace_back(Ok.Click.Connect([this] { Ok_Click(); }));
    connections_.emplace_back(Cancel.Click.Connect([this] { Cancel_Click(); }));
}

// ---- Opening ----

void Calendarform::ReadLocaleFormats() {
    const platform::Locale& locale = platform::CurrentLocale();
    sShortDateFormat = locale.short_date_pattern;
    sTimeFormat = locale.time_pattern;
    bFormatsLoaded = true;
}

void Calendarform::Form_Load() {
    // Closing the dialog in any way but "OK" cancels.
    Picker().bCancelled = true;
    // The formats are read once and kept with the dialog, which serves every later pick.
    if (!bFormatsLoaded) {
        ReadLocaleFormats();
    }
    // Dates written day or year first come from places whose weeks start on Monday.
    if (sShortDateFormat.empty() || std::toupper(static_cast<unsigned char>(sShortDateFormat.front())) != 'M') {
        Try([&] { Calendar.FirstDayOfWeek(MonthCalendar::kMonday); });
    }
    MonthCombo.Clear();
    for (const std::string& name : platform::CurrentLocale().month_names) {
        MonthCombo.AddItem(name);
    }
    Window.CenterOnScreen();
    Window.OwnerWindow(main_window_ ? main_window_() : 0);

    const modDateTime::PickerValues& values = Picker();
    Try([&] { Calendar.SetDate(values.iYear, values.iMonth, values.iDay); });
    // The list was refilled, so the month is selected again even when the calendar kept its month.
    iShownMonth = Calendar.Month();
    iShownYear = Calendar.Year();
    MonthCombo.ListIndex(iShownMonth - 1);
    yearfld.Value(iShownYear);

    bTwelveHour = !sTimeFormat.empty() && sTimeFormat.back() == 't';
    ampmfld.Visible(bTwelveHour);
    Minspin.Left(bTwelveHour ? kSpinLeft12Hour : kSpinLeft24Hour);
    ShowHour(values.iHour);
    MinuteControl.Value(values.iMinute);
    iLastField = TimeField::Hour;
    opening_ = {Calendar.Year(),     Calendar.Month(),      Calendar.Day(),
                HourControl.Value(), MinuteControl.Value(), ampmfld.Text()};
}

void Calendarform::ShowHour(int32_t hour) {
    if (bTwelveHour) {
        ampmfld.Text(hour < 12 ? "AM" : "PM");
        if (hour > 12) {
            hour -= 12;
        } else if (hour == 0) {
            // A 12-hour clock has no hour 0: the hour after midnight reads 12 AM, which closing turns back to 0.
            hour = 12;
        }
    }
    HourControl.Value(hour);
}

// ---- Editing ----

void Calendarform::Calendar_Change() {
    if (Calendar.Month() != iShownMonth) {
        iShownMonth = Calendar.Month();
        Try([&] { MonthCombo.ListIndex(iShownMonth - 1); });
    }
    if (Calendar.Year() != iShownYear) {
        iShownYear = Calendar.Year();
        yearfld.Value(iShownYear);
    }
}

void Calendarform::MonthCombo_Click() {
    const int32_t index = MonthCombo.ListIndex();
    if (index >= 0) {
        Try([&] { Calendar.Month(index + 1); });
    }
}

void Calendarform::yearfld_Change() {
    const int32_t year = yearfld.Value();
    if (year > kYearAbove && year <= kYearUpTo) {
        Try([&] { Calendar.Year(year); });
    }
}

void Calendarform::YearSpin_SpinUp() {
    yearfld.Value(Stepped(yearfld.Value(), 1));
}

void Calendarform::YearSpin_SpinDown() {
    yearfld.Value(Stepped(yearfld.Value(), -1));
}

void Calendarform::ClampHour() {
    const int32_t last = bTwelveHour ? kLastHour12 : kLastHour24;
    HourControl.Value(std::clamp(HourControl.Value(), 0, last));
}

void Calendarform::ClampMinute() {
    MinuteControl.Value(std::clamp(MinuteControl.Value(), 0, kLastMinute));
}

void Calendarform::HourControl_LostFocus() {
    ClampHour();
}

void Calendarform::MinuteControl_LostFocus() {
    ClampMinute();
}

void Calendarform::SpinTimeField(int32_t step) {
    switch (iLastField) {
    case TimeField::Hour:
        HourControl.Value(Stepped(HourControl.Value(), step));
        ClampHour();
        break;
    case TimeField::Minute:
        MinuteControl.Value(Stepped(MinuteControl.Value(), step));
        ClampMinute();
        break;
    case TimeField::AmPm:
        ampmfld.Text(step > 0 ? "PM" : "AM");
        break;
    }
}

void Calendarform::Minspin_SpinUp() {
    SpinTimeField(1);
}

void Calendarform::Minspin_SpinDown() {
    SpinTimeField(-1);
}

void Calendarform::ampmfld_Change() {
    const std::string& text = ampmfld.Text();
    const bool pm = !text.empty() && (text.front() == 'p' || text.front() == 'P');
    // Setting the same text again raises no change, so this ends after one round.
    ampmfld.Text(pm ? "PM" : "AM");
}

void Calendarform::today_Click() {
    const platform::DateParts now = clock_();
    Try([&] { Calendar.SetDate(now.year, now.month, now.day); });
    ShowHour(now.hour);
    MinuteControl.Value(0);
}

void Calendarform::Form_Deactivate() {
    iShownMonth = 0;
    iShownYear = 0;
}

// ---- Closing ----

void Calendarform::Ok_Click() {
    Picker().bCancelled = false;
    Unload();
}

void Calendarform::Cancel_Click() {
    Picker().bCancelled = true;
    Unload();
}

void Calendarform::Form_Unload() {
    // Closing moves the focus out of the dialog, which checks the field the user was typing in.
    HourControl.UserLeave();
    MinuteControl.UserLeave();
    ampmfld.UserLeave();
    if (Picker().bCancelled) {
        Try([&] { Calendar.SetDate(opening_.year, opening_.month, opening_.day); });
        HourControl.Value(opening_.hour);
        MinuteControl.Value(opening_.minute);
        ampmfld.Text(opening_.ampm);
    }
    TakePickerValues();
}

int32_t Calendarform::ChosenHour() const {
    int32_t hour = HourControl.Value();
    if (bTwelveHour) {
        const bool pm = ampmfld.Text() == "PM";
        if (!pm && hour == 12) {
            hour = 0;
        } else if (pm && hour < 12) {
            hour += 12;
        }
    }
    return hour;
}

void Calendarform::TakePickerValues() {
    // A value typed but never checked (the field was filled in from code) is held to the field's limits here.
    ClampHour();
    ClampMinute();
    modDateTime::PickerValues& values = Picker();
    values.iYear = static_cast<int16_t>(Calendar.Year());
    values.iMonth = static_cast<int16_t>(Calendar.Month());
    values.iDay = static_cast<int16_t>(Calendar.Day());
    values.iHour = static_cast<int16_t>(ChosenHour());
    values.iMinute = static_cast<int16_t>(MinuteControl.Value());
}

} // namespace chronova
