#include "platform/ui/form.h"

#include "platform/automation_error.h"
#include "platform/ui/modal_dialog_service.h"
#include "platform/ui/window_handle.h"

#include <exception>

namespace chronova::platform::ui {

Form::Form(std::string_view caption) : caption_(caption), hwnd_(NewWindowHandle()) {}

void Form::Load() {
    if (loaded_) {
        return;
    }
    loaded_ = true;
    const std::weak_ptr<const void> alive = life_;
    try {
        Form_Load();
    } catch (...) {
        if (!alive.expired()) {
            loaded_ = false;
            visible_ = false;
        }
        throw;
    }
    // Form_Load may have unloaded the form again (Unload told the listeners then) or destroyed it.
    if (!alive.expired() && loaded_) {
        Changed.Fire();
    }
}

void Form::Unload() {
    if (!loaded_ || unloading_) {
        return;
    }
    unloading_ = true;
    const std::weak_ptr<const void> alive = life_;
    std::exception_ptr failure;
    try {
        Form_Unload();
    } catch (...) {
        failure = std::current_exception();
    }
    if (!alive.expired()) {
        // The window ends whatever Form_Unload did, so that a failing handler cannot leave a half-closed form.
        unloading_ = false;
        loaded_ = false;
        visible_ = false;
        Changed.Fire();
    }
    if (failure) {
        std::rethrow_exception(failure);
    }
}

void Form::Show(FormShow mode) {
    if (mode == FormShow::Modal && visible_) {
        RaiseError(400, "Form already displayed; can't show modally");
    }
    const std::weak_ptr<const void> alive = life_;
    Load();
    if (alive.expired()) {
        return;
    }
    if (!loaded_) {
        RaiseError(364, "Object was unloaded");
    }
    if (mode == FormShow::Modeless) {
        SetVisible(true);
        return;
    }
    modal_ = true;
    try {
        SetVisible(true);
        if (!alive.expired() && visible_) {
            CurrentModalDialogService().RunModal(*this);
        }
    } catch (...) {
        if (!alive.expired()) {
            modal_ = false;
            SetVisible(false);
        }
        throw;
    }
    if (alive.expired()) {
        return;
    }
    modal_ = false;
    // A service that gave up early still must not leave a modal dialog standing with nobody waiting on it.
    SetVisible(false);
}

void Form::Hide() {
    SetVisible(false);
}

void Form::Visible(bool value) {
    if (value) {
        Show(FormShow::Modeless);
    } else {
        Hide();
    }
}

void Form::Caption(std::string_view value) {
    if (value == caption_) {
        return;
    }
    caption_ = value;
    Changed.Fire();
}

void Form::Enabled(bool value) {
    if (value == enabled_) {
        return;
    }
    enabled_ = value;
    Changed.Fire();
}

void Form::SetVisible(bool value) {
    if (value == visible_) {
        return;
    }
    visible_ = value;
    Changed.Fire();
}

} // namespace chronova::platform::ui
