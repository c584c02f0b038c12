#pragma once

#include "platform/event.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace chronova::platform::ui {

/// How Form::Show shows a form, with the classic numeric values.
enum class FormShow : int32_t {
    Modeless = 0, ///< Show returns at once; the form stays up beside its owner
    Modal = 1,    ///< Show returns only after the form was hidden or unloaded
};

/// The base of the system's forms: the classic life cycle of a window. Load runs Form_Load once, Show makes
/// the form visible (loading it first), Hide only hides it, Unload runs Form_Unload and ends the window; an
/// unloaded form can be loaded again. A modal Show hands the form to the current modal dialog service and
/// waits for it. Destroying a loaded form does not run Form_Unload (the derived form is gone by then):
/// owners unload their forms first.
class Form {
public:
    explicit Form(std::string_view caption = {});
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;
    virtual ~Form() = default;

    /// Loads the form: runs Form_Load unless it is loaded already. When Form_Load throws, the form stays
    /// unloaded and the error goes to the caller.
    void Load();
    /// Unloads the form: runs Form_Unload, then hides it and marks it unloaded, also when Form_Unload throws
    /// (the error then goes to the caller). Does nothing for a form that is not loaded or is unloading.
    void Unload();
    /// Loads the form when needed and shows it. Modal: runs it through the modal dialog service and returns
    /// once it is hidden or unloaded. Errors: 364 when Form_Load unloaded the form again, 400 for a modal
    /// Show of a form that is already visible.
    void Show(FormShow mode = FormShow::Modeless);
    /// Hides the form; it stays loaded, and a modal Show waiting on it returns.
    void Hide();

    bool Visible() const noexcept { return visible_; }
    //! True shows the form modelessly (loading it when needed), false hides it.
    void Visible(bool value);
    bool Loaded() const noexcept { return loaded_; }
    /// True while a modal Show of this form is running.
    bool Modal() const noexcept { return modal_; }

    const std::string& Caption() const noexcept { return caption_; }
    //! The window title; modal dialog services also report dialogs by it.
    void Caption(std::string_view value);
    bool Enabled() const noexcept { return enabled_; }
    //! A disabled form ignores the user.
    void Enabled(bool value);

    /// The form's window handle: nonzero, unique in the process and the same for the form's whole life, so
    /// that the system can make it the owner of messages while it is open.
    int32_t hWnd() const noexcept { return hwnd_; }

    /// Expires when the form is destroyed, so code that runs handlers on it (a modal Show, a dialog service)
    /// can tell whether the form survived them.
    std::weak_ptr<const void> LifeToken() const noexcept { return life_; }

    /// Raised after Caption, Enabled, Visible or Loaded changed, so a window binding can follow the form.
    Event<> Changed;

protected:
    /// Runs when the form is loaded, before it is first shown.
    virtual void Form_Load() {}
    /// Runs when the form is unloaded, while its controls still hold their values.
    virtual void Form_Unload() {}

private:
    void SetVisible(bool value);

    std::string caption_;
    int32_t hwnd_;
    bool loaded_ = false;
    bool unloading_ = false;
    bool visible_ = false;
    bool modal_ = false;
    bool enabled_ = true;
    std::shared_ptr<const char> life_ = std::make_shared<const char>('\0');
};

} // namespace chronova::platform::ui
