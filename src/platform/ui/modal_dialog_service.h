#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/automation_error.h"

namespace chronova::platform::ui {

class Form;

/// Where modal dialogs run: the desktop app shows a real dialog and runs its event loop until the form is
/// hidden or unloaded, tests script the user's actions, the command line closes every dialog at once.
/// Form::Show(FormShow::Modal) calls the current service with a loaded, visible form.
class ModalDialogService {
public:
    virtual ~ModalDialogService() = default;

    /// Runs the form as a modal dialog and returns once it is hidden or unloaded. A service that returns
    /// earlier leaves Show to hide the form.
    virtual void RunModal(Form& form) = 0;
};

/// The headless service of the command line: nobody is there to use a dialog, so each one is closed at once
/// as if the user had closed its window: the form is unloaded, which is how dialogs cancel.
class HeadlessModalDialogService final : public ModalDialogService {
public:
    void RunModal(Form& form) override;
};

/// A service for tests: each modal showing takes the next queued action, a stand-in for what the user does
/// in that dialog (fill in controls, press "Done"). A dialog still open after its action, or shown when the
/// queue is empty, is closed as the user's close box would: unloaded, i.e. cancelled. Dialogs that an
/// action opens take the following actions, so the queue lists actions in the order dialogs appear.
class ScriptedModalDialogService final : public ModalDialogService {
public:
    using Action = std::function<void(Form&)>;

    void RunModal(Form& form) override;

    /// Queues an action for the next modal dialog.
    void Then(Action action);
    /// Queues an action for a dialog of a known form class; the dialog shown instead is unloaded and error 13
    /// raised, so a script that meets an unexpected dialog fails loudly instead of poking the wrong form.
    template <typename FormType, typename Fn>
    void Then(Fn action) {
        Then(Action([action = std::move(action)](Form& form) mutable {
            auto* typed = dynamic_cast<FormType*>(&form);
            if (typed == nullptr) {
                RaiseError(error::kTypeMismatch,
                           "The scripted action is meant for another dialog than \"" + DialogCaption(form) + "\"");
            }
            action(*typed);
        }));
    }
    /// Queues a dialog that the user closes without doing anything.
    void ThenCancel();

    /// The captions of the dialogs shown modally, in order, as they read when shown.
    const std::vector<std::string>& Shown() const noexcept { return shown_; }
    /// The number of queued actions not used yet.
    size_t Pending() const noexcept { return script_.size(); }
    /// Forgets the shown dialogs and the rest of the script.
    void Clear();

private:
    static std::string DialogCaption(const Form& form);

    std::deque<Action> script_;
    std::vector<std::string> shown_;
};

/// The service in use: the one last installed, or a process-wide HeadlessModalDialogService.
ModalDialogService& CurrentModalDialogService();

/// Installs a service that the caller keeps alive while installed; nullptr goes back to the headless service.
/// Returns the service installed before (nullptr for the headless one) so that it can be put back.
ModalDialogService* SetModalDialogService(ModalDialogService* service);

/// Installs a service for the life of a scope and puts the previous one back afterwards.
class ScopedModalDialogService {
public:
    explicit ScopedModalDialogService(ModalDialogService& service);
    ~ScopedModalDialogService();
    ScopedModalDialogService(const ScopedModalDialogService&) = delete;
    ScopedModalDialogService& operator=(const ScopedModalDialogService&) = delete;

private:
    ModalDialogService* previous_;
};

} // namespace chronova::platform::ui
