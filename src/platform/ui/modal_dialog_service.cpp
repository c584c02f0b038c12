#include "platform/ui/modal_dialog_service.h"

#include "platform/ui/form.h"

#include <atomic>
#include <memory>
#include <utility>

namespace chronova::platform::ui {
namespace {

std::atomic<ModalDialogService*> g_current_service{nullptr};

// Closes a dialog the way its window's close box does; a dialog already hidden or unloaded stays as it is.
void CloseAsCancelled(Form& form) {
    if (form.Loaded() && form.Visible()) {
        form.Unload();
    }
}

} // namespace

void HeadlessModalDialogService::RunModal(Form& form) {
    CloseAsCancelled(form);
}

void ScriptedModalDialogService::RunModal(Form& form) {
    shown_.push_back(form.Caption());
    const std::weak_ptr<const void> alive = form.LifeToken();
    if (!script_.empty()) {
        Action action = std::move(script_.front());
        script_.pop_front();
        try {
            action(form);
        } catch (...) {
            if (!alive.expired()) {
                CloseAsCancelled(form);
            }
            throw;
        }
        if (alive.expired()) {
            return;
        }
    }
    CloseAsCancelled(form);
}

void ScriptedModalDialogService::Then(Action action) {
    script_.push_back(std::move(action));
}

void ScriptedModalDialogService::ThenCancel() {
    script_.push_back([](Form&) {});
}

void ScriptedModalDialogService::Clear() {
    script_.clear();
    shown_.clear();
}

std::string ScriptedModalDialogService::DialogCaption(const Form& form) {
    return form.Caption();
}

ModalDialogService& CurrentModalDialogService() {
    if (ModalDialogService* service = g_current_service.load()) {
        return *service;
    }
    static HeadlessModalDialogService headless_service;
    return headless_service;
}

ModalDialogService* SetModalDialogService(ModalDialogService* service) {
    return g_current_service.exchange(service);
}

ScopedModalDialogService::ScopedModalDialogService(ModalDialogService& service)
    : previous_(SetModalDialogService(&service)) {}

ScopedModalDialogService::~ScopedModalDialogService() {
    SetModalDialogService(previous_);
}

} // namespace chronova::platform::ui
