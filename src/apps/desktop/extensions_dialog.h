#pragma once

#include <QDialog>
#include <string>
#include <vector>

class QLabel;
class QListWidget;

namespace chronova::gis {
class Application;
} // namespace chronova::gis

namespace chronova::desktop {

/// Tools > Extensions: the loaded extensions with a check box each, as the user left them. OK switches each one
/// whose box changed through Application::EnableExtension, which also remembers the choice for the next start.
class ExtensionsDialog : public QDialog {
public:
    ExtensionsDialog(gis::Application& application, std::vector<std::string> names, QWidget* parent = nullptr);

    /// The list, one checkable row per extension in the order given.
    QListWidget* List() const noexcept { return list_; }

    void accept() override;

private:
    void ShowDescription(int row);

    gis::Application& application_;
    std::vector<std::string> names_;
    QListWidget* list_ = nullptr;
    QLabel* description_ = nullptr;
};

} // namespace chronova::desktop
