#include "datetime/calendar_picker.h"

#include <memory>
#include <utility>

namespace chronova::modDateTime {

CalendarPicker::CalendarPicker(Calendarform::MainWindow main_window, Calendarform::Clock clock)
    : form_(std::move(main_window), std::move(clock)) {}

CalendarPicker::~CalendarPicker() {
    // A form is unloaded by its owner before it goes; a picker dropped while its dialog is open cancels it.
    if (form_.Loaded()) {
        Picker().bCancelled = true;
        form_.Unload();
    }
}

void CalendarPicker::ShowModal() {
    form_.Show(platform::ui::FormShow::Modal);
    if (form_.Loaded()) {
        form_.Unload();
    }
}

void InstallCalendarPicker(Calendarform::MainWindow main_window, Calendarform::Clock clock) {
    SetDateTimePickerFactory(
        [main_window = std::move(main_window), clock = std::move(clock)]() -> std::unique_ptr<IDateTimePicker> {
            return std::make_unique<CalendarPicker>(main_window, clock);
        });
}

} // namespace chronova::modDateTime
