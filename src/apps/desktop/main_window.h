#pragma once

#include <QMainWindow>
#include <filesystem>
#include <memory>
#include <vector>

#include "apps/desktop/desktop_host.h"
#include "platform/event.h"

class QActionGroup;
class QDockWidget;
class QLabel;
class QMenu;

namespace chronova::desktop {

class CommandToolBar;
class HostDocks;
class LayerTree;
class MapCanvas;
class MapDocument;

/// The desktop window: the map in the middle, the table of contents on the left, the host's command bar and the
/// navigation tools on top, the host's dockable windows (the time slider) at the bottom and the host's status
/// message at the foot. File, View and Tools menus open and save projects, add data, navigate, and switch and
/// register extensions. The window starts the host and ends it when it closes.
class MainWindow : public QMainWindow {
public:
    /// Raises 5 when a host is already running in the process.
    explicit MainWindow(DialogServices services = DialogServices::Qt, QWidget* parent = nullptr);
    ~MainWindow() override;

    DesktopHost& Host() noexcept { return *host_; }
    MapDocument& Document() noexcept { return *document_; }
    MapCanvas* Canvas() const noexcept { return canvas_; }
    LayerTree* Layers() const noexcept { return layers_; }
    QDockWidget* LayersDock() const noexcept { return layers_dock_; }
    CommandToolBar* Commands() const noexcept { return commands_; }
    HostDocks& Docks() noexcept { return *docks_; }
    /// The host's status message (pane 0).
    QLabel* StatusMessage() const noexcept { return status_message_; }
    QMenu* RecentMenu() const noexcept { return recent_menu_; }

    /// Opens a project file into the host. When it cannot be opened the user is told why in a message box and
    /// false is returned; the window stays (with an empty map when its data failed).
    bool OpenProject(const std::filesystem::path& file);
    /// Saves the map as a project file, which becomes the window's file; false (after a message box) on failure.
    bool SaveProjectTo(const std::filesystem::path& file);
    /// Adds a data file's layer on top of the map: a shapefile, a feature class of a GeoPackage (dataset names
    /// it; empty takes the only one or asks the user to choose) or a raster. False after a message box on failure.
    bool AddData(const std::filesystem::path& file, const std::string& dataset = {});

    /// Whether opened and saved projects go on the recent files list (on by default; a one-off run leaves the
    /// user's list alone).
    void RememberRecentFiles(bool remember) noexcept { remember_recent_ = remember; }

    /// Asks the map to redraw, which is also when the time command notices a window shown or hidden by the user.
    void RequestRefresh();

private:
    void BuildMenus();
    void BuildNavigation();
    void FollowDocument();
    void BindFocusMap(bool force);
    void UpdateTitle();
    void RebuildRecentMenu();
    void ShowError(const std::string& title, const std::string& text);
    void AddToRecentFiles(const std::filesystem::path& file);

    // Menu actions that ask the user first.
    void ChooseProjectToOpen();
    void ChooseDataToAdd();
    void SaveProject();
    void ChooseFileToSaveAs();
    void ShowExtensions();
    void ShowComponents();

    // The host first: the document's session and the views end before it.
    std::unique_ptr<DesktopHost> host_;
    std::unique_ptr<MapDocument> document_;
    MapCanvas* canvas_ = nullptr;
    LayerTree* layers_ = nullptr;
    QDockWidget* layers_dock_ = nullptr;
    CommandToolBar* commands_ = nullptr;
    std::unique_ptr<HostDocks> docks_;
    QLabel* status_message_ = nullptr;
    QMenu* view_menu_ = nullptr;
    QMenu* recent_menu_ = nullptr;
    QActionGroup* tools_ = nullptr;
    bool remember_recent_ = true;
    std::vector<platform::ScopedConnection> connections_;
};

} // namespace chronova::desktop
