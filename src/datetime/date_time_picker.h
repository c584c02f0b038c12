#pragma once

#include <cstdint>
#include <functional>
#include <memory>

namespace chronova::modDateTime {

/// The values the date-time picker dialog reads when it opens and writes when it closes.
struct PickerValues {
    int16_t iYear = 0;
    int16_t iMonth = 0;
    int16_t iDay = 0;
    int16_t iHour = 0;
    int16_t iMinute = 0;
    bool bCancelled = false;
};

/// The picker exchange values shared by the time module and the dialog.
PickerValues& Picker();

/// A modal date-time picker: shows itself, edits Picker() and returns when the user confirms or cancels.
class IDateTimePicker {
public:
    virtual ~IDateTimePicker() = default;
    virtual void ShowModal() = 0;
};

using DateTimePickerFactory = std::function<std::unique_ptr<IDateTimePicker>()>;

/// Installs what creates the picker dialog on first use; the user interface (or a test) provides it.
void SetDateTimePickerFactory(DateTimePickerFactory factory);
/// Drops the dialog instance and the factory, and clears the exchange values.
void ResetDateTimePicker();

} // namespace chronova::modDateTime
