#include "apps/desktop/extensions_dialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QVBoxLayout>

#include "gis/map/application.h"
#include "gis/map/extension.h"
#include "platform/automation_error.h"

namespace chronova::desktop {

namespace {

std::shared_ptr<gis::IExtensionConfig> ConfigOf(const gis::Application& application, const std::string& name) {
    return std::dynamic_pointer_cast<gis::IExtensionConfig>(application.FindExtensionByName(name));
}

} // namespace

ExtensionsDialog::ExtensionsDialog(gis::Application& application, std::vector<std::string> names, QWidget* parent)
    : QDialog(parent), application_(application), names_(std::move(names)) {
    setWindowTitle(QStringLiteral("Extensions"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Select the extensions you want to use."), this));
    list_ = new QListWidget(this);
    for (const std::string& name : names_) {
        const auto config = ConfigOf(application_, name);
        auto* item = new QListWidgetItem(QString::fromStdString(config ? config->ProductName() : name), list_);
        item->setFlags(config ? Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable
                              : Qt::ItemIsSelectable);
        const bool enabled = config && config->State() == static_cast<int32_t>(gis::ExtensionState::Enabled);
        item->setCheckState(enabled ? Qt::Checked : Qt::Unchecked);
    }
    layout->addWidget(list_);
    description_ = new QLabel(this);
    description_->setWordWrap(true);
    description_->setMinimumHeight(80);
    description_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    layout->addWidget(description_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addWidget(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    QObject::connect(list_, &QListWidget::currentRowChanged, this, [this](int row) { ShowDescription(row); });
    if (list_->count() > 0) {
        list_->setCurrentRow(0);
    } else {
        description_->setText(QStringLiteral("No extension is loaded."));
    }
    resize(420, 320);
}

void ExtensionsDialog::ShowDescription(int row) {
    if (row < 0 || row >= static_cast<int>(names_.size())) {
        description_->clear();
        return;
    }
    const auto config = ConfigOf(application_, names_[static_cast<size_t>(row)]);
    description_->setText(config ? QString::fromStdString(config->Description())
                                 : QStringLiteral("This extension cannot be switched on or off."));
}

void ExtensionsDialog::accept() {
    for (int row = 0; row < list_->count(); ++row) {
        const std::string& name = names_[static_cast<size_t>(row)];
        const auto config = ConfigOf(application_, name);
        if (!config) {
            continue;
        }
        const bool wanted = list_->item(row)->checkState() == Qt::Checked;
        const bool enabled = config->State() == static_cast<int32_t>(gis::ExtensionState::Enabled);
        if (wanted == enabled) {
            continue;
        }
        try {
            application_.EnableExtension(name, wanted);
        } catch (const platform::AutomationError& e) {
            QMessageBox::warning(this, windowTitle(), QString::fromStdString(e.Description()));
        }
    }
    QDialog::accept();
}

} // namespace chronova::desktop
