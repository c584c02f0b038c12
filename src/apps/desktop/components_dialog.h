#pragma once

#include <QDialog>

class QCheckBox;
class QLabel;

namespace chronova::desktop {

/// Whether the host's categories name Chronova's components: the extension among the extensions, the time
/// toolbar among the commands and among the dockable windows.
struct ComponentRegistration {
    bool extension = false;
    bool command = false;
    bool window = false;

    bool Complete() const noexcept { return extension && command && window; }
    bool None() const noexcept { return !extension && !command && !window; }
};

/// Reads the registration from the classes hive of the settings store.
ComponentRegistration ReadComponentRegistration();

/// Registers Chronova's components in the host's categories (or takes them out), as `chronova register` and
/// `chronova unregister` do. Raises an AutomationError when the classes hive cannot be written.
void RegisterComponents(bool install);

/// Tools > Components: shows what the categories hold and registers or unregisters Chronova's components. The host
/// loads components only when it starts, so the dialog says that a restart takes the change into use.
class ComponentsDialog : public QDialog {
public:
    explicit ComponentsDialog(QWidget* parent = nullptr);

    /// Checked: Chronova is to be registered.
    QCheckBox* Registered() const noexcept { return registered_; }
    /// What the dialog tells the user about the registration and the restart.
    QString StatusText() const;

    /// Registers or unregisters as the box says; the dialog stays open with the outcome.
    void Apply();

private:
    void ShowState();

    QCheckBox* registered_ = nullptr;
    QLabel* state_ = nullptr;
    QLabel* outcome_ = nullptr;
};

} // namespace chronova::desktop
