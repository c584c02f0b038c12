#pragma once

namespace chronova {

namespace qtui {
class QtModalDialogService;
} // namespace qtui

namespace desktop {

/// Registers the dialogs of the system's modal forms with the service: the layer configuration dialog, the
/// display options and the date-time picker, each a real QDialog bound to its form's controls.
void AddFormDialogs(qtui::QtModalDialogService& service);

} // namespace desktop
} // namespace chronova
