#pragma once

class QLineEdit;
class QSpinBox;

namespace chronova::platform::ui {
class NumericEdit;
class TextEdit;
} // namespace chronova::platform::ui

namespace chronova::desktop {

// Forms validate a field when the user leaves it (LostFocus) and remember which field the user was in
// (GotFocus). These tell a focusable control when the keyboard focus enters or leaves its widget; leaving first
// hands the control what is in the widget, so the form checks what the user typed, and it happens before a
// button pressed with the mouse raises its click, as on the classic desktop.

void TrackFocus(QSpinBox& box, platform::ui::NumericEdit& control);
void TrackFocus(QLineEdit& edit, platform::ui::TextEdit& control);

} // namespace chronova::desktop
