#include "apps/desktop/components_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "extension/category_install.h"
#include "extension/class_ids.h"
#include "extension/server.h"
#include "gis/component_categories.h"
#include "platform/automation_error.h"
#include "platform/settings_store.h"

namespace chronova::desktop {

ComponentRegistration ReadComponentRegistration() {
    const gis::ComponentCategoryManager categories;
    const gis::UID extension(kCLSID_ChronovaExt);
    const gis::UID toolbar(kCLSID_TimeToolbar);
    return ComponentRegistration{categories.IsInCategory(extension, gis::UID(gis::catid::kExtensions)),
                                 categories.IsInCategory(toolbar, gis::UID(gis::catid::kCommands)),
                                 categories.IsInCategory(toolbar, gis::UID(gis::catid::kDockableWindows))};
}

void RegisterComponents(bool install) {
    RegisterExtensionProgIds();
    CategoryInstall installer;
    installer.Install(install, "");
}

ComponentsDialog::ComponentsDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Components"));
    auto* layout = new QVBoxLayout(this);
    state_ = new QLabel(this);
    state_->setWordWrap(true);
    layout->addWidget(state_);
    registered_ = new QCheckBox(
        QStringLiteral("Register Chronova with the host (the extension, the time command and the slider window)"),
        this);
    registered_->setChecked(!ReadComponentRegistration().None());
    layout->addWidget(registered_);
    outcome_ = new QLabel(this);
    outcome_->setWordWrap(true);
    layout->addWidget(outcome_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Apply | QDialogButtonBox::Close, this);
    layout->addWidget(buttons);
    QObject::connect(buttons->button(QDialogButtonBox::Apply), &QPushButton::clicked, this, [this] { Apply(); });
    QObject::connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    ShowState();
    resize(520, 220);
}

void ComponentsDialog::ShowState() {
    const ComponentRegistration registration = ReadComponentRegistration();
    const QString file = QString::fromStdString(platform::SettingsStore().FileOf(platform::HKEY_CLASSES_ROOT).string());
    QString text;
    if (registration.Complete()) {
        text = QStringLiteral("Chronova is registered: the host loads its extension, time command and slider "
                              "window when it starts.");
    } else if (registration.None()) {
        text = QStringLiteral("Chronova is not registered: the host starts without its time command and slider.");
    } else {
        text = QStringLiteral("Chronova is registered only in part; register it again to repair it.");
    }
    state_->setText(text + QStringLiteral("\nCategories: ") + file);
}

void ComponentsDialog::Apply() {
    const bool install = registered_->isChecked();
    try {
        RegisterComponents(install);
        outcome_->setText(install ? QStringLiteral("Registered. Restart Chronova Desktop to load the components.")
                                  : QStringLiteral("Unregistered. Restart Chronova Desktop to unload the components."));
    } catch (const platform::AutomationError& e) {
        outcome_->setText(QStringLiteral("The registration could not be changed: ") +
                          QString::fromStdString(e.Description()));
    }
    ShowState();
}

QString ComponentsDialog::StatusText() const {
    return state_->text() + QLatin1Char('\n') + outcome_->text();
}

} // namespace chronova::desktop
