#pragma once

#include <QFont>

class QDialog;
class QGroupBox;

namespace chronova::platform::ui {
class DialogWindow;
} // namespace chronova::platform::ui

namespace chronova::desktop {

/// The font the forms' twip layouts were drawn for: the classic 8-point dialog font is 11 pixels high, so
/// captions fit the heights (13 to 17 pixels) the forms give their labels, check boxes and buttons.
QFont FormDesignFont(QFont base);

/// Draws a frame placed in twips as the classic frame: its caption on its top border line, so the controls the
/// form places just below the caption stay inside the border.
void ClassicFrameLook(QGroupBox& frame);

/// Gives a dialog the size its form's window control holds, as its client area, and puts it where the control
/// says (the form centres the control on the dialog screen when it loads). The dialog keeps that size: the
/// controls inside follow fixed twip places.
void PlaceFixedDialog(QDialog& dialog, const platform::ui::DialogWindow& window);

/// Gives a dialog laid out by Qt at least the given size and centres it where its form's window control is
/// centred, so it opens where the form put it even when it is larger than the form's design size.
void PlaceLaidOutDialog(QDialog& dialog, const platform::ui::DialogWindow& window, QSize preferred);

} // namespace chronova::desktop
