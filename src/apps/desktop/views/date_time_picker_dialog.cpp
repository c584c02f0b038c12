#include "apps/desktop/views/date_time_picker_dialog.h"

#include "apps/desktop/views/focus_tracking.h"
#include "apps/desktop/views/form_geometry.h"
#include "datetime/calendar_form.h"
#include "qtui/bindings.h"

#include <QCalendarWidget>
#include <QDialog>
#include <QEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

namespace chronova::desktop {

using qtui::Placement;

namespace {

// Tells the form when its dialog stops being the active window.
class DeactivationWatch final : public QObject {
public:
    DeactivationWatch(QDialog& dialog, Calendarform& form) : QObject(&dialog), form_(form) {
        dialog.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::WindowDeactivate) {
            form_.Form_Deactivate();
        }
        return QObject::eventFilter(watched, event);
    }

private:
    Calendarform& form_;
};

// The form's own spin buttons step the fields, so the boxes show only the number, which then fits their width.
QSpinBox* BindBareNumber(platform::ui::NumericEdit& control, QWidget* parent) {
    QSpinBox* box = qtui::BindNumberBox(control, parent, Placement::Twips);
    box->setButtonSymbols(QAbstractSpinBox::NoButtons);
    box->setAlignment(Qt::AlignRight);
    TrackFocus(*box, control);
    return box;
}

} // namespace

std::unique_ptr<QDialog> MakeDateTimePickerDialog(Calendarform& form, QWidget* owner) {
    auto dialog = std::make_unique<QDialog>(owner);
    QDialog* const parent = dialog.get();
    dialog->setObjectName("DateTimePickerDialog");
    dialog->setWindowTitle(QString::fromStdString(form.Caption()));
    dialog->setFont(FormDesignFont(dialog->font()));

    qtui::BindComboBox(form.MonthCombo, parent, Placement::Twips);
    BindBareNumber(form.yearfld, parent)->setObjectName("yearfld");
    qtui::BindSpinButton(form.YearSpin, parent, Placement::Twips);
    // The month list and the year field above the calendar take the place of its own navigation bar.
    QCalendarWidget* calendar = qtui::BindMonthCalendar(form.Calendar, parent, Placement::Twips);
    calendar->setNavigationBarVisible(false);
    calendar->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    calendar->setHorizontalHeaderFormat(QCalendarWidget::ShortDayNames);
    BindBareNumber(form.HourControl, parent)->setObjectName("HourControl");
    BindBareNumber(form.MinuteControl, parent)->setObjectName("MinuteControl");
    QLineEdit* ampm = qtui::BindTextBox(form.ampmfld, parent, Placement::Twips);
    ampm->setObjectName("ampmfld");
    TrackFocus(*ampm, form.ampmfld);
    qtui::BindSpinButton(form.Minspin, parent, Placement::Twips);
    qtui::BindCommandButton(form.today, parent, Placement::Twips)->setAutoDefault(false);
    QPushButton* ok = qtui::BindCommandButton(form.Ok, parent, Placement::Twips);
    ok->setDefault(true);
    qtui::BindCommandButton(form.Cancel, parent, Placement::Twips)->setAutoDefault(false);
    new DeactivationWatch(*dialog, form);

    PlaceFixedDialog(*dialog, form.Window);
    return dialog;
}

} // namespace chronova::desktop
