#pragma once

#include <memory>

class QDialog;
class QWidget;

namespace chronova {

class Calendarform;

namespace desktop {

/// The date-time picker dialog: the form's calendar, month list, year and time fields at their twip places in
/// a fixed-size dialog; the fields tell the form when the user enters or leaves them, and the dialog tells it
/// when it loses the activation.
std::unique_ptr<QDialog> MakeDateTimePickerDialog(Calendarform& form, QWidget* owner);

} // namespace desktop
} // namespace chronova
