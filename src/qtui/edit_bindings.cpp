// Text boxes, number boxes and the month calendar: fields whose value the user edits.
#include "qtui/bindings.h"
#include "qtui/control_link.h"

#include <QCalendarWidget>
#include <QDate>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QSpinBox>

#include "platform/ole_date.h"
#include "platform/ui/month_calendar.h"
#include "platform/ui/number_box.h"
#include "platform/ui/text_box.h"

namespace chronova::qtui {
namespace {

using detail::Follow;
using detail::RunUserAction;
using detail::ToQString;
using detail::ToStdString;

/// The classic weekday numbers (1 Sunday .. 7 Saturday) in Qt's (1 Monday .. 7 Sunday).
Qt::DayOfWeek ToQtWeekday(int32_t classic) {
    return static_cast<Qt::DayOfWeek>((classic + 5) % 7 + 1);
}

} // namespace

QLineEdit* BindTextBox(platform::ui::TextBox& control, QWidget* parent, Placement placement) {
    auto* edit = new QLineEdit(parent);
    auto sync = [edit, &control] {
        const QSignalBlocker blocker(edit);
        const QString text = ToQString(control.Text());
        // Only a real difference is written, so the cursor stays where the user types.
        if (edit->text() != text) {
            edit->setText(text);
        }
        edit->setReadOnly(control.Locked());
    };
    sync();
    Follow(*edit, control.Changed, sync);
    QObject::connect(edit, &QLineEdit::textEdited, edit, [&control, sync](const QString& text) {
        RunUserAction("typing in a text box", [&] { control.UserType(ToStdString(text)); });
        sync();
    });
    FollowControl(*edit, control, placement);
    return edit;
}

QSpinBox* BindNumberBox(platform::ui::NumberBox& control, QWidget* parent, Placement placement) {
    auto* spin = new QSpinBox(parent);
    // The number reaches the control when the user finishes it or steps it, not at each keystroke, as a
    // field that checks its entry on leaving expects.
    spin->setKeyboardTracking(false);
    auto sync = [spin, &control] {
        const QSignalBlocker blocker(spin);
        spin->setRange(control.Min(), control.Max());
        spin->setValue(control.Value());
    };
    sync();
    Follow(*spin, control.Changed, sync);
    QObject::connect(spin, &QSpinBox::valueChanged, spin, [&control, sync](int value) {
        RunUserAction("entering a number", [&] { control.UserEnter(value); });
        sync();
    });
    FollowControl(*spin, control, placement);
    return spin;
}

QCalendarWidget* BindMonthCalendar(platform::ui::MonthCalendar& control, QWidget* parent, Placement placement) {
    auto* calendar = new QCalendarWidget(parent);
    calendar->setDateRange(QDate(platform::Date::kMinYear, 1, 1), QDate(platform::Date::kMaxYear, 12, 31));
    calendar->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    auto sync = [calendar, &control] {
        const QSignalBlocker blocker(calendar);
        calendar->setFirstDayOfWeek(ToQtWeekday(control.FirstDayOfWeek()));
        calendar->setSelectedDate(QDate(control.Year(), control.Month(), control.Day()));
    };
    sync();
    Follow(*calendar, control.Changed, sync);
    QObject::connect(calendar, &QCalendarWidget::selectionChanged, calendar, [calendar, &control, sync] {
        const QDate picked = calendar->selectedDate();
        RunUserAction("picking a day", [&] { control.UserSelect(picked.year(), picked.month(), picked.day()); });
        sync();
    });
    FollowControl(*calendar, control, placement);
    return calendar;
}

} // namespace chronova::qtui
