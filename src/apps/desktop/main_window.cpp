#include "apps/desktop/main_window.h"

#include <QAction>
#include <QActionGroup>
#include <QDockWidget>
#include <QFileDialog>
#include <QInputDialog>
#include <QLabel>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>

#include "apps/desktop/command_toolbar.h"
#include "apps/desktop/components_dialog.h"
#include "apps/desktop/extensions_dialog.h"
#include "apps/desktop/host_docks.h"
#include "apps/desktop/layer_tree.h"
#include "apps/desktop/map_canvas.h"
#include "apps/desktop/map_document.h"
#include "apps/desktop/recent_files.h"
#include "gis/drawing/qt_symbols.h"
#include "gis/map/application.h"
#include "gis/map/document.h"
#include "gis/map/map.h"
#include "platform/automation_error.h"
#include "platform/ui/message_service.h"
#include "project/project_file.h"
#include "qtui/event_loop_driver.h"

namespace chronova::desktop {

namespace {

namespace fs = std::filesystem;
using platform::ui::MsgBoxStyle;

constexpr int kDefaultWidth = 1280;
constexpr int kDefaultHeight = 800;
constexpr auto kProjectFilter = "Chronova projects (*.json);;All files (*)";
constexpr auto kDataFilter =
    "Map data (*.shp *.gpkg *.geojson *.json *.fgb *.gpx *.kml *.tif *.tiff *.img *.asc *.vrt);;All files (*)";

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

fs::path PathOf(const QString& file) {
    return fs::path(file.toStdString());
}

// Why something failed, as the exception says it.
std::string Reason(const std::exception& error) {
    if (const auto* automation = dynamic_cast<const platform::AutomationError*>(&error)) {
        return automation->Description();
    }
    return error.what();
}

} // namespace

MainWindow::MainWindow(DialogServices services, QWidget* parent) : QMainWindow(parent) {
    host_ = std::make_unique<DesktopHost>(this, services);
    document_ = std::make_unique<MapDocument>(host_->App());

    canvas_ = new MapCanvas(this);
    setCentralWidget(canvas_);

    layers_ = new LayerTree(this);
    layers_dock_ = new QDockWidget(QStringLiteral("Table Of Contents"), this);
    layers_dock_->setObjectName("table of contents");
    layers_dock_->setWidget(layers_);
    addDockWidget(Qt::LeftDockWidgetArea, layers_dock_);

    commands_ = new CommandToolBar(host_->App(), this);
    // A command may start the forms' timers; the driver looks for the next tick at once instead of at its poll.
    commands_->OnClicked([this] { host_->Driver().Reschedule(); });
    addToolBar(commands_);
    BuildNavigation();

    docks_ = std::make_unique<HostDocks>(*this, host_->DockableWindows(), [this] { RequestRefresh(); });
    resizeDocks({layers_dock_}, {240}, Qt::Horizontal);

    status_message_ = new QLabel(this);
    status_message_->setText(Text(host_->App().StatusBar().Message(0)));
    statusBar()->addWidget(status_message_, 1);
    connections_.emplace_back(
        host_->App().StatusBar().MessageChanged.Connect([this](int32_t pane, const std::string& text) {
            if (pane == 0) {
                status_message_->setText(Text(text));
            }
        }));

    BuildMenus();
    FollowDocument();
    BindFocusMap(true);
    UpdateTitle();
    resize(kDefaultWidth, kDefaultHeight);
}

MainWindow::~MainWindow() {
    // The views show the host's forms and follow its map, so they go before the host ends.
    connections_.clear();
    docks_.reset();
    canvas_->Bind(nullptr);
    layers_->Bind(nullptr);
    delete commands_;
    commands_ = nullptr;
    document_.reset();
    host_.reset();
}

void MainWindow::BuildNavigation() {
    auto* navigation = addToolBar(QStringLiteral("Tools"));
    navigation->setObjectName("navigation");
    tools_ = new QActionGroup(this);
    tools_->setExclusive(true);

    QAction* full = navigation->addAction(QStringLiteral("Full Extent"));
    QObject::connect(full, &QAction::triggered, this, [this] { canvas_->FullExtent(); });
    full->setObjectName("full extent");
    full->setStatusTip(QStringLiteral("Show every layer of the map"));

    QAction* zoom = navigation->addAction(QStringLiteral("Zoom In"));
    zoom->setObjectName("zoom in");
    zoom->setCheckable(true);
    zoom->setStatusTip(QStringLiteral("Drag a box to zoom into, or click to zoom in around a point"));
    QObject::connect(zoom, &QAction::triggered, this, [this] { canvas_->SetTool(MapCanvas::Tool::ZoomIn); });
    tools_->addAction(zoom);

    QAction* pan = navigation->addAction(QStringLiteral("Pan"));
    pan->setObjectName("pan");
    pan->setCheckable(true);
    pan->setChecked(true);
    pan->setStatusTip(QStringLiteral("Drag the map; the wheel zooms at the pointer"));
    QObject::connect(pan, &QAction::triggered, this, [this] { canvas_->SetTool(MapCanvas::Tool::Pan); });
    tools_->addAction(pan);
}

void MainWindow::BuildMenus() {
    const auto item = [this](QMenu* menu, const QString& text, const QKeySequence& shortcut, auto handler) {
        QAction* action = menu->addAction(text);
        action->setShortcut(shortcut);
        QObject::connect(action, &QAction::triggered, this, handler);
        return action;
    };
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    item(file, QStringLiteral("&Open Project..."), QKeySequence::Open, [this] { ChooseProjectToOpen(); });
    item(file, QStringLiteral("&Add Data..."), QKeySequence(), [this] { ChooseDataToAdd(); });
    file->addSeparator();
    item(file, QStringLiteral("&Save Project"), QKeySequence::Save, [this] { SaveProject(); });
    item(file, QStringLiteral("Save Project &As..."), QKeySequence::SaveAs, [this] { ChooseFileToSaveAs(); });
    file->addSeparator();
    recent_menu_ = file->addMenu(QStringLiteral("Recent &Files"));
    RebuildRecentMenu();
    file->addSeparator();
    item(file, QStringLiteral("E&xit"), QKeySequence::Quit, [this] { close(); });

    view_menu_ = menuBar()->addMenu(QStringLiteral("&View"));
    for (QAction* tool : findChild<QToolBar*>("navigation")->actions()) {
        view_menu_->addAction(tool);
    }
    view_menu_->addSeparator();
    view_menu_->addAction(layers_dock_->toggleViewAction());
    for (QDockWidget* dock : docks_->Docks()) {
        view_menu_->addAction(dock->toggleViewAction());
    }

    QMenu* tools = menuBar()->addMenu(QStringLiteral("&Tools"));
    item(tools, QStringLiteral("&Extensions..."), QKeySequence(), [this] { ShowExtensions(); });
    item(tools, QStringLiteral("&Components..."), QKeySequence(), [this] { ShowComponents(); });
}

void MainWindow::FollowDocument() {
    gis::DocumentEvents& events = host_->App().Document()->Events();
    const auto follow = [this] { BindFocusMap(false); };
    connections_.emplace_back(events.MapsChanged.Connect(follow));
    connections_.emplace_back(events.NewDocument.Connect(follow));
    connections_.emplace_back(events.OpenDocument.Connect(follow));
}

void MainWindow::BindFocusMap(bool force) {
    const std::shared_ptr<gis::Map>& map = host_->App().Document()->FocusMap();
    if (!force && map == canvas_->BoundMap()) {
        return;
    }
    canvas_->Bind(map, gis::ToQColor(document_->Background()));
    layers_->Bind(map);
}

void MainWindow::RequestRefresh() {
    if (const std::shared_ptr<gis::Map>& map = host_->App().Document()->FocusMap()) {
        map->PartialRefresh(gis::view_phase::kGeography, nullptr, std::nullopt);
    }
    commands_->Refresh();
}

void MainWindow::UpdateTitle() {
    const fs::path& file = document_->FilePath();
    const QString name = file.empty() ? QStringLiteral("Untitled") : Text(file.filename().string());
    setWindowTitle(name + QStringLiteral(" - Chronova Desktop"));
}

void MainWindow::ShowError(const std::string& title, const std::string& text) {
    platform::ui::MsgBox(text, MsgBoxStyle::Critical, title);
}

bool MainWindow::OpenProject(const fs::path& file) {
    std::string failure;
    canvas_->Suspend(true);
    try {
        document_->Open(file);
    } catch (const project::ProjectError& e) {
        failure = e.what();
    } catch (const std::exception& e) {
        failure = Reason(e);
    }
    BindFocusMap(true);
    canvas_->Suspend(false);
    UpdateTitle();
    commands_->Refresh();
    if (!failure.empty()) {
        ShowError("Open Project", "The project " + file.string() + " cannot be opened.\n\n" + failure);
        return false;
    }
    AddToRecentFiles(file);
    std::string opened = "Opened " + document_->FilePath().string();
    if (!document_->TimeLayersRegistered()) {
        opened += ", without its time layers: they need Chronova registered under Tools > Components";
    }
    host_->App().StatusBar().Message(0, opened);
    return true;
}

bool MainWindow::SaveProjectTo(const fs::path& file) {
    try {
        document_->Save(file);
    } catch (const std::exception& e) {
        ShowError("Save Project", "The project cannot be saved to " + file.string() + ".\n\n" + Reason(e));
        return false;
    }
    AddToRecentFiles(file);
    UpdateTitle();
    host_->App().StatusBar().Message(0, "Saved " + document_->FilePath().string());
    return true;
}

bool MainWindow::AddData(const fs::path& file, const std::string& dataset) {
    try {
        const DataFileContents contents = InspectDataFile(file);
        if (contents.Kind == project::LayerKind::Raster) {
            document_->AddRaster(contents.Source);
            return true;
        }
        std::string chosen = dataset;
        if (chosen.empty() && contents.Datasets.size() == 1) {
            chosen = contents.Datasets.front();
        } else if (chosen.empty()) {
            QStringList names;
            for (const std::string& name : contents.Datasets) {
                names << Text(name);
            }
            bool picked = false;
            const QString name = QInputDialog::getItem(
                this, QStringLiteral("Add Data"),
                QStringLiteral("Feature class of %1:").arg(Text(file.filename().string())), names, 0, false, &picked);
            if (!picked) {
                return false;
            }
            chosen = name.toStdString();
        }
        document_->AddFeatureClass(contents.Source, chosen);
        commands_->Refresh();
        return true;
    } catch (const std::exception& e) {
        ShowError("Add Data", Reason(e));
        return false;
    }
}

void MainWindow::AddToRecentFiles(const fs::path& file) {
    if (remember_recent_) {
        RecentFiles::Add(file);
        RebuildRecentMenu();
    }
}

void MainWindow::RebuildRecentMenu() {
    recent_menu_->clear();
    const std::vector<fs::path> files = RecentFiles::Load();
    if (files.empty()) {
        recent_menu_->addAction(QStringLiteral("(none)"))->setEnabled(false);
        return;
    }
    int number = 1;
    for (const fs::path& file : files) {
        QAction* action =
            recent_menu_->addAction(QStringLiteral("&%1 %2").arg(number++).arg(Text(file.filename().string())));
        QObject::connect(action, &QAction::triggered, this, [this, file] {
            std::error_code error;
            if (!fs::exists(file, error)) {
                ShowError("Recent Files", file.string() + " no longer exists; it is taken off the list.");
                RecentFiles::Remove(file);
                RebuildRecentMenu();
                return;
            }
            OpenProject(file);
        });
        action->setToolTip(Text(file.string()));
        action->setStatusTip(Text(file.string()));
    }
}

void MainWindow::ChooseProjectToOpen() {
    const QString file = QFileDialog::getOpenFileName(this, QStringLiteral("Open Project"), QString(),
                                                      QString::fromLatin1(kProjectFilter));
    if (!file.isEmpty()) {
        OpenProject(PathOf(file));
    }
}

void MainWindow::ChooseDataToAdd() {
    const QString file =
        QFileDialog::getOpenFileName(this, QStringLiteral("Add Data"), QString(), QString::fromLatin1(kDataFilter));
    if (!file.isEmpty()) {
        AddData(PathOf(file));
    }
}

void MainWindow::SaveProject() {
    if (document_->FilePath().empty()) {
        ChooseFileToSaveAs();
    } else {
        SaveProjectTo(document_->FilePath());
    }
}

void MainWindow::ChooseFileToSaveAs() {
    const QString start =
        document_->FilePath().empty() ? QStringLiteral("untitled.chronova.json") : Text(document_->FilePath().string());
    const QString file = QFileDialog::getSaveFileName(this, QStringLiteral("Save Project As"), start,
                                                      QString::fromLatin1(kProjectFilter));
    if (!file.isEmpty()) {
        SaveProjectTo(PathOf(file));
    }
}

void MainWindow::ShowExtensions() {
    ExtensionsDialog dialog(host_->App(), host_->ExtensionNames(), this);
    dialog.exec();
    RequestRefresh();
}

void MainWindow::ShowComponents() {
    ComponentsDialog dialog(this);
    dialog.exec();
}

} // namespace chronova::desktop
