#pragma once

// Qt widgets that mirror the headless controls, both ways: a user's change in the widget raises the control's
// notification through its user-action entry point (UserClick, Press, UserDrag...), and a change the system makes
// in code (caption, value, list, enabled, visible...) shows in the widget at once, through the control's Changed
// notification. No Qt type reaches the system: the control never knows the widget.
//
// Each Bind function makes the widget, binds it and returns it; the binding belongs to the widget (a QObject
// child) and ends with it. The control must outlive the widget. Updating a widget from its control never raises
// the control's notifications again (signals are blocked while the widget follows). After a user's action the
// widget shows what the control made of it (a check box clicked while grayed, a tool the form sets back).
// An error a form's handler leaves unhandled after a user's action is reported on Qt's warning output rather
// than thrown through Qt's event loop.
//
// The parent may be null for a widget the caller puts in a layout at once: a parentless widget is never shown as
// a window of its own, and takes the control's visibility when it gets its parent.
//
// Geometry: with Placement::Twips the widget also follows the control's Left/Top/Width/Height (twips, 15 per
// pixel) inside its parent, as forms with an absolute layout (the slider window) need; with Placement::Layout the
// caller puts the widget in a Qt layout and only the rest follows. The picture box and the slider, which draw at
// their control's size, then hand the widget's size back to it (Move, in twips).

#include <QWidget>

class QCalendarWidget;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QToolBar;
class QTreeWidget;

namespace chronova::platform::ui {
class CheckBox;
class ComboBox;
class CommandButton;
class Control;
class Frame;
class Label;
class ListBox;
class MonthCalendar;
class NumberBox;
class OptionButton;
class PictureBox;
class Slider;
class SpinButton;
class TextBox;
class Toolbar;
class TreeView;
} // namespace chronova::platform::ui

namespace chronova::qtui {

enum class Placement {
    Layout, ///< the caller lays the widget out; geometry is not followed
    Twips,  ///< the widget follows the control's place and size
};

/// Makes any widget follow a control's enabled and visible state (and with Placement::Twips its place and size).
void FollowControl(QWidget& widget, platform::ui::Control& control, Placement placement);

QPushButton* BindCommandButton(platform::ui::CommandButton& control, QWidget* parent,
                               Placement placement = Placement::Layout);
/// A label whose clicks reach the control (UserClick); it shows the tool tip text too.
QLabel* BindLabel(platform::ui::Label& control, QWidget* parent, Placement placement = Placement::Layout);
QCheckBox* BindCheckBox(platform::ui::CheckBox& control, QWidget* parent, Placement placement = Placement::Layout);
QRadioButton* BindOptionButton(platform::ui::OptionButton& control, QWidget* parent,
                               Placement placement = Placement::Layout);
/// A line edit; the user's typing reaches the control as UserType, a locked box is read-only.
QLineEdit* BindTextBox(platform::ui::TextBox& control, QWidget* parent, Placement placement = Placement::Layout);
/// A spin box with the control's range; the user's entry reaches it as UserEnter.
QSpinBox* BindNumberBox(platform::ui::NumberBox& control, QWidget* parent, Placement placement = Placement::Layout);
/// A drop-down list with the control's entries; the user's choice sets ListIndex (raising Click).
QComboBox* BindComboBox(platform::ui::ComboBox& control, QWidget* parent, Placement placement = Placement::Layout);
/// A multi-selection list with the control's entries and selection; the user's selection sets Selected and the
/// current row ListIndex.
QListWidget* BindListBox(platform::ui::ListBox& control, QWidget* parent, Placement placement = Placement::Layout);
/// A tree with the control's nodes, check boxes, expansion and selection (each item keeps its node's key as
/// Qt::UserRole data); the user's clicks (and keyboard moves), checks and expansions reach it through UserClick,
/// UserCheck and UserExpand. A click on a check box checks the node without clicking it.
QTreeWidget* BindTreeView(platform::ui::TreeView& control, QWidget* parent, Placement placement = Placement::Layout);
/// A titled group box; children are added by the caller.
QGroupBox* BindFrame(platform::ui::Frame& control, QWidget* parent, Placement placement = Placement::Layout);
/// A tool bar with one checkable tool per button key (a drawn playback glyph, see PlaybackIcon, or the key as
/// text when none fits; the QAction's objectName is the key), its tip, enabled, visible and pressed states
/// followed; a press calls the control's Press and the tool then shows pressed only if the button's Value says so.
QToolBar* BindToolbar(platform::ui::Toolbar& control, QWidget* parent, Placement placement = Placement::Layout);
/// A month calendar; the user's choice reaches it as UserSelect.
QCalendarWidget* BindMonthCalendar(platform::ui::MonthCalendar& control, QWidget* parent,
                                   Placement placement = Placement::Layout);
/// Two small arrow buttons raising UserSpinUp / UserSpinDown.
QWidget* BindSpinButton(platform::ui::SpinButton& control, QWidget* parent, Placement placement = Placement::Layout);
/// A widget that shows what the picture box draws (gis::RenderPicture), repaints when the box is drawn on or
/// refreshed, passes its own size back to the box when laid out by Qt (which raises Resize) and its clicks as
/// UserClick.
QWidget* BindPictureBox(platform::ui::PictureBox& control, QWidget* parent, Placement placement = Placement::Layout);
/// A widget that shows the slider as it draws itself (gis::RenderSlider, with its container's custom drawing,
/// repainted also when the container is drawn on or refreshed) and turns the user's input into the slider's:
/// a press on the thumb and moves are UserDrag, letting go UserRelease (with a tip showing the value while
/// dragging if PositionTip); a click beside the thumb steps LargeChange towards the click; Left/Up and Right/Down
/// step SmallChange towards Min and Max, Page Up/Down LargeChange, Home/End jump to the ends, as the classic
/// track bar. It takes the focus by tab and click.
QWidget* BindSlider(platform::ui::Slider& control, QWidget* parent, Placement placement = Placement::Layout);

} // namespace chronova::qtui
