#pragma once

#include <QDialog>
#include <functional>
#include <memory>
#include <vector>

#include "platform/ui/message_service.h"
#include "platform/ui/modal_dialog_service.h"

namespace chronova::qtui {

/// Shows the system's modal forms as real Qt dialogs. A factory per form class builds the dialog's widgets
/// (bound to the form's controls); RunModal runs the dialog's own event loop until the form is hidden or
/// unloaded (Form::Changed), and closing the dialog's window unloads the form, which is how dialogs cancel. A
/// form no factory knows is unloaded at once, as the headless service does, and reported on the debug output.
class QtModalDialogService final : public platform::ui::ModalDialogService {
public:
    /// Builds the dialog of a form, or returns null when the form is not of the factory's class.
    using Factory = std::function<std::unique_ptr<QDialog>(platform::ui::Form& form, QWidget* owner)>;

    /// owner: the main window that dialogs stay above; may be null.
    explicit QtModalDialogService(QWidget* owner = nullptr);

    void Add(Factory factory);
    void RunModal(platform::ui::Form& form) override;

    /// The dialog being shown, null when none; lets tests drive the real widgets.
    QDialog* Current() const noexcept { return current_; }

private:
    QWidget* owner_;
    std::vector<Factory> factories_;
    QDialog* current_ = nullptr;
};

/// Message boxes as QMessageBox, with the buttons, icon, title and default button the request asks for.
class QtMessageService final : public platform::ui::MessageService {
public:
    explicit QtMessageService(QWidget* owner = nullptr) : owner_(owner) {}
    platform::ui::MsgBoxResult ShowMessageBox(const platform::ui::MessageBoxRequest& request) override;
    void Beep() override;

private:
    QWidget* owner_;
};

} // namespace chronova::qtui
