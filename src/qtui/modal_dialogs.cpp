#include "qtui/modal_dialogs.h"

#include <QApplication>
#include <QDebug>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <utility>

#include "platform/ui/form.h"

namespace chronova::qtui {
namespace {

using platform::ui::Form;
using platform::ui::MsgBoxResult;
using platform::ui::MsgBoxStyle;

QString ToQString(const std::string& text) {
    return QString::fromStdString(text);
}

// Closes a dialog the way its window's close box does; a dialog already hidden or unloaded stays as it is.
void CloseAsCancelled(Form& form) {
    if (form.Loaded() && form.Visible()) {
        form.Unload();
    }
}

QMessageBox::StandardButton ToStandardButton(MsgBoxResult result) {
    switch (result) {
    case MsgBoxResult::OK:
        return QMessageBox::Ok;
    case MsgBoxResult::Cancel:
        return QMessageBox::Cancel;
    case MsgBoxResult::Abort:
        return QMessageBox::Abort;
    case MsgBoxResult::Retry:
        return QMessageBox::Retry;
    case MsgBoxResult::Ignore:
        return QMessageBox::Ignore;
    case MsgBoxResult::Yes:
        return QMessageBox::Yes;
    case MsgBoxResult::No:
        return QMessageBox::No;
    }
    return QMessageBox::Ok;
}

QMessageBox::Icon ToIcon(MsgBoxStyle style) {
    switch (platform::ui::IconOf(style)) {
    case MsgBoxStyle::Critical:
        return QMessageBox::Critical;
    case MsgBoxStyle::Question:
        return QMessageBox::Question;
    case MsgBoxStyle::Exclamation:
        return QMessageBox::Warning;
    case MsgBoxStyle::Information:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

bool Has(MsgBoxStyle style, MsgBoxStyle flag) {
    return (style & flag) == flag;
}

} // namespace

QtModalDialogService::QtModalDialogService(QWidget* owner) : owner_(owner) {}

void QtModalDialogService::Add(Factory factory) {
    factories_.push_back(std::move(factory));
}

void QtModalDialogService::RunModal(Form& form) {
    const std::weak_ptr<const void> alive = form.LifeToken();
    std::unique_ptr<QDialog> dialog;
    for (const Factory& factory : factories_) {
        dialog = factory(form, owner_);
        if (dialog != nullptr || alive.expired()) {
            break;
        }
    }
    if (alive.expired()) {
        return;
    }
    if (dialog == nullptr) {
        qDebug().noquote() << "No dialog shows the form" << ToQString(form.Caption()) << "; it is closed";
        CloseAsCancelled(form);
        return;
    }

    QDialog* shown = dialog.get();
    shown->setWindowTitle(ToQString(form.Caption()));
    shown->setWindowModality(Qt::ApplicationModal);
    shown->setEnabled(form.Enabled());
    // The form ends the dialog by hiding or unloading itself; the dialog follows its caption and state.
    bool finished = false;
    const platform::ScopedConnection follow = form.Changed.Connect([&form, shown, &finished] {
        if (!form.Loaded() || !form.Visible()) {
            if (!std::exchange(finished, true)) {
                shown->done(QDialog::Accepted);
            }
            return;
        }
        shown->setWindowTitle(ToQString(form.Caption()));
        shown->setEnabled(form.Enabled());
    });
    // The user's close box or Escape cancels, as the form's own window would: the form is unloaded.
    QObject::connect(shown, &QDialog::rejected, shown, [&form, &finished, alive] {
        if (!std::exchange(finished, true) && !alive.expired()) {
            try {
                CloseAsCancelled(form);
            } catch (const std::exception& error) {
                qWarning().noquote() << "Closing a dialog failed:" << error.what();
            }
        }
    });

    QDialog* const previous = std::exchange(current_, shown);
    if (form.Loaded() && form.Visible()) {
        shown->exec();
    }
    current_ = previous;
    // The dialog's widgets go before the form can: they are bound to its controls.
    dialog.reset();
}

MsgBoxResult QtMessageService::ShowMessageBox(const platform::ui::MessageBoxRequest& request) {
    const MsgBoxStyle style = request.style;
    const QString title =
        ToQString(request.title.empty() ? std::string(platform::ui::kDefaultMessageTitle) : request.title);
    QMessageBox box(ToIcon(style), title, ToQString(request.text), QMessageBox::NoButton, owner_);
    box.setWindowModality(Qt::ApplicationModal);
    if (Has(style, MsgBoxStyle::SystemModal) || Has(style, MsgBoxStyle::SetForeground)) {
        box.setWindowFlag(Qt::WindowStaysOnTopHint);
    }
    const std::vector<MsgBoxResult> shown = platform::ui::ButtonsShown(style);
    for (const MsgBoxResult result : shown) {
        box.addButton(ToStandardButton(result));
    }
    box.setDefaultButton(ToStandardButton(platform::ui::DefaultAnswer(style)));
    box.exec();

    const QAbstractButton* clicked = box.clickedButton();
    for (const MsgBoxResult result : shown) {
        if (clicked != nullptr && clicked == box.button(ToStandardButton(result))) {
            return result;
        }
    }
    // Closed without a button (a box without Cancel cannot be escaped by Qt): its Cancel if it has one, else the
    // default answer, as nobody picked anything else.
    for (const MsgBoxResult result : shown) {
        if (result == MsgBoxResult::Cancel) {
            return result;
        }
    }
    return platform::ui::DefaultAnswer(style);
}

void QtMessageService::Beep() {
    QApplication::beep();
}

} // namespace chronova::qtui
