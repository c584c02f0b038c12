#pragma once

#include "datetime/calendar_form.h"
#include "datetime/date_time_picker.h"

namespace chronova::modDateTime {

/// The system's date-time picker: shows Calendarform as a modal dialog through the modal dialog service in use
/// (the desktop's real dialog, a test's script, or the command line's service that cancels at once).
class CalendarPicker final : public IDateTimePicker {
public:
    explicit CalendarPicker(Calendarform::MainWindow main_window = {},
                            Calendarform::Clock clock = Calendarform::LocalNow);
    ~CalendarPicker() override;

    /// Shows the dialog and returns once it is closed. A dialog that the service only hid is unloaded here, so
    /// the picker values are always written, and a dialog not closed with "OK" counts as cancelled.
    void ShowModal() override;

    Calendarform& Form() noexcept { return form_; }

private:
    Calendarform form_;
};

/// Makes PickDateTime use CalendarPicker. main_window tells the host's main window, which owns the dialog; clock
/// tells "Today" the local time.
void InstallCalendarPicker(Calendarform::MainWindow main_window = {},
                           Calendarform::Clock clock = Calendarform::LocalNow);

} // namespace chronova::modDateTime
