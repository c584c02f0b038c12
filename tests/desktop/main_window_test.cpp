// The desktop window driven as a user drives it: projects opened into the host, the table of contents, the time
// command and the slider dock, the status bar, saving, recent files and the Tools dialogs.

#include <QAction>
#include <QCheckBox>
#include <QDockWidget>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QProcess>
#include <QTreeWidget>
#include <map>

#include "apps/desktop/command_toolbar.h"
#include "apps/desktop/components_dialog.h"
#include "apps/desktop/extensions_dialog.h"
#include "apps/desktop/host_docks.h"
#include "apps/desktop/layer_tree.h"
#include "apps/desktop/map_canvas.h"
#include "apps/desktop/map_document.h"
#include "apps/desktop/recent_files.h"
#include "desktop/desktop_fixture.h"
#include "gis/layers/feature_layer.h"
#include "gis/map/application.h"
#include "gis/map/document.h"
#include "gis/map/map.h"
#include "project/project_file.h"
#include "registry/chronova_data.h"
#include "slider/frm_slider.h"

namespace chronova::desktop {
namespace {

namespace fs = std::filesystem;
using testing::DesktopTest;

class MainWindowTest : public DesktopTest {
protected:
    std::shared_ptr<gis::Map> FocusMap() { return window_->Host().App().Document()->FocusMap(); }
    QAction* TimeCommand() { return window_->Commands()->ActionOf(gis::UID(kCLSID_TimeToolbar)); }
    QDockWidget* SliderDock() { return window_->Docks().DockOf(gis::UID(kCLSID_TimeToolbar)); }
    std::shared_ptr<gis::FeatureLayer> Dots() {
        return std::dynamic_pointer_cast<gis::FeatureLayer>(FocusMap()->Layer(0));
    }

    // What `chronova info --json` reports for a project: each time layer's field and step count by name.
    static std::map<std::string, std::pair<std::string, int>> TimeLayersReported(const fs::path& project) {
        QProcess info;
        info.start(QString::fromStdString(Tool("chronova").string()),
                   {QStringLiteral("info"), QStringLiteral("--json"), QString::fromStdString(project.string())});
        EXPECT_TRUE(info.waitForFinished(60000));
        EXPECT_EQ(info.exitCode(), 0) << info.readAllStandardError().toStdString();
        std::map<std::string, std::pair<std::string, int>> layers;
        for (const QJsonValue layer : QJsonDocument::fromJson(info.readAllStandardOutput())["layers"].toArray()) {
            if (layer["time_layer"].toBool()) {
                layers[layer["name"].toString().toStdString()] = {layer["time_field"].toString().toStdString(),
                                                                  layer["steps"].toInt()};
            }
        }
        return layers;
    }
};

TEST_F(MainWindowTest, OpensAProjectIntoTheHostAndListsItsLayersAsTheyAreNamed) {
    MainWindow& window = OpenWindow();
    ASSERT_TRUE(window.OpenProject(DemoProject()));

    const auto map = FocusMap();
    LayerTree& tree = *window.Layers();
    ASSERT_EQ(tree.topLevelItemCount(), map->LayerCount());
    for (const auto& layer : map->Layers(nullptr, true)) {
        const QTreeWidgetItem* item = tree.ItemOf(*layer);
        ASSERT_NE(item, nullptr) << layer->Name();
        EXPECT_EQ(item->text(0).toStdString(), layer->Name());
        EXPECT_EQ(item->checkState(0), layer->Visible() ? Qt::Checked : Qt::Unchecked);
    }
    const QTreeWidgetItem* group = tree.ItemOf(*map->Layer(1));
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(group->childCount(), 2);
    EXPECT_EQ(window.Document().ProjectName(*map->Layer(0)), "Storm track");
    EXPECT_NE(map->Layer(0)->Name(), "Storm track"); // the step shown is written into the name

    // A step renames the layers; the tree follows.
    const std::string before = tree.ItemOf(*map->Layer(0))->text(0).toStdString();
    g_pChronovaData->GoToPosition(5);
    EXPECT_EQ(tree.ItemOf(*map->Layer(0))->text(0).toStdString(), map->Layer(0)->Name());
    EXPECT_NE(tree.ItemOf(*map->Layer(0))->text(0).toStdString(), before);

    EXPECT_TRUE(window.windowTitle().startsWith(QStringLiteral("demo.chronova.json")));
    EXPECT_EQ(window.StatusMessage()->text().toStdString(), "Opened " + DemoProject().string());
    EXPECT_FALSE(window.Canvas()->Frame().isNull());
    EXPECT_EQ(window.Canvas()->Frame().size(), window.Canvas()->size());
}

TEST_F(MainWindowTest, UncheckingALayerHidesItAndCheckingShowsItAgain) {
    MainWindow& window = OpenWindow();
    ASSERT_TRUE(window.OpenProject(WriteDotsProject()));
    QTreeWidgetItem* item = window.Layers()->ItemOf(*Dots());
    ASSERT_NE(item, nullptr);
    EXPECT_GT(RedPixels(window.Canvas()->Frame()), 0);

    item->setCheckState(0, Qt::Unchecked);
    EXPECT_FALSE(Dots()->Visible());
    EXPECT_EQ(RedPixels(window.Canvas()->Frame()), 0);

    item->setCheckState(0, Qt::Checked);
    EXPECT_TRUE(Dots()->Visible());
    EXPECT_GT(RedPixels(window.Canvas()->Frame()), 0);
}

TEST_F(MainWindowTest, TheTimeCommandAndTheDockCloseButtonShowAndHideTheSliderWithItsFilters) {
    MainWindow& window = OpenWindow();
    ASSERT_TRUE(window.OpenProject(WriteDotsProject()));
    QAction* command = TimeCommand();
    QDockWidget* dock = SliderDock();
    ASSERT_NE(command, nullptr);
    ASSERT_NE(dock, nullptr);
    EXPECT_FALSE(command->icon().isNull());
    EXPECT_EQ(command->toolTip(), QStringLiteral("Time Toolbar"));
    EXPECT_TRUE(command->isEnabled());
    EXPECT_TRUE(command->isChecked());
    EXPECT_TRUE(dock->isVisible());
    const int one_step = RedPixels(window.Canvas()->Frame());
    EXPECT_FALSE(Dots()->DefinitionExpression().empty());

    command->trigger(); // hides the window: every dot shows
    EXPECT_FALSE(dock->isVisible());
    EXPECT_FALSE(command->isChecked());
    EXPECT_TRUE(Dots()->DefinitionExpression().empty());
    EXPECT_EQ(RedPixels(window.Canvas()->Frame()), 3 * one_step);

    command->trigger(); // shows it again: one step
    EXPECT_TRUE(dock->isVisible());
    EXPECT_TRUE(command->isChecked());
    EXPECT_EQ(RedPixels(window.Canvas()->Frame()), one_step);

    dock->close(); // the dock's own close button lifts the filters too
    EXPECT_FALSE(window.Host().DockableWindows().front()->IsVisible());
    EXPECT_TRUE(Dots()->DefinitionExpression().empty());
    EXPECT_FALSE(command->isChecked());
    dock->toggleViewAction()->trigger(); // and the View menu brings it back
    EXPECT_TRUE(window.Host().DockableWindows().front()->IsVisible());
    EXPECT_FALSE(Dots()->DefinitionExpression().empty());
}

TEST_F(MainWindowTest, PlaybackStepsOnceTheCanvasHasDrawnEachStep) {
    MainWindow& window = OpenWindow();
    ASSERT_TRUE(window.OpenProject(WriteDotsProject()));
    frmSlider& slider = *g_pChronovaData->Slider();
    const int32_t first = slider.Slider1.Value();
    const int draws = window.Canvas()->DrawCount();
    slider.tb1_Click("ID_PLAY", 0, 0, true);
    // The playback timer ticks every 100 ms; each tick's step is drawn before the next tick.
    window.Host().Loop().AdvanceBy(100);
    EXPECT_EQ(slider.Slider1.Value(), first + 1);
    EXPECT_EQ(window.Canvas()->DrawCount(), draws + 1);
    window.Host().Loop().AdvanceBy(100);
    EXPECT_EQ(slider.Slider1.Value(), first + 2);
    EXPECT_EQ(window.Canvas()->DrawCount(), draws + 2);
    slider.tb1_Click("ID_PLAY", 0, 0, true);
}

TEST_F(MainWindowTest, TheStatusBarShowsTheHostMessagePane) {
    MainWindow& window = OpenWindow();
    window.Host().App().StatusBar().Message(0, "Drawing the storm");
    EXPECT_EQ(window.StatusMessage()->text(), QStringLiteral("Drawing the storm"));
    window.Host().App().StatusBar().Message(2, "another pane");
    EXPECT_EQ(window.StatusMessage()->text(), QStringLiteral("Drawing the storm"));
}

TEST_F(MainWindowTest, ASavedProjectOpensInTheCommandLineWithTheSameTimeLayers) {
    MainWindow& window = OpenWindow();
    ASSERT_TRUE(window.OpenProject(DemoProject()));
    window.Layers()->ItemOf(*FocusMap()->Layer(FocusMap()->LayerCount() - 1))->setCheckState(0, Qt::Unchecked);

    const fs::path saved = folder_ / "saved.chronova.json";
    ASSERT_TRUE(window.SaveProjectTo(saved));
    EXPECT_TRUE(window.windowTitle().startsWith(QStringLiteral("saved.chronova.json")));

    const auto original = TimeLayersReported(DemoProject());
    EXPECT_GE(original.size(), 6u);
    EXPECT_EQ(TimeLayersReported(saved), original);
    const project::Project reread = project::LoadProject(saved);
    EXPECT_FALSE(reread.FindLayer("Coast")->Visible);
    EXPECT_TRUE(reread.FindLayer("Weather radar")->Time.has_value());
    EXPECT_EQ(reread.Time.RangeLayer, std::optional<std::string>("Storm track"));
}

TEST_F(MainWindowTest, RecentFilesOutlastTheWindowAndForgetFilesThatAreGone) {
    const fs::path dots = WriteDotsProject();
    {
        MainWindow& window = OpenWindow();
        ASSERT_TRUE(window.OpenProject(DemoProject()));
        ASSERT_TRUE(window.OpenProject(dots));
    }
    window_.reset();
    ASSERT_EQ(RecentFiles::Load(), (std::vector<fs::path>{dots, DemoProject()}));

    MainWindow& window = OpenWindow();
    const QList<QAction*> entries = window.RecentMenu()->actions();
    ASSERT_EQ(entries.size(), 2);
    EXPECT_EQ(entries[0]->statusTip().toStdString(), dots.string());

    fs::remove(dots);
    entries[0]->trigger();
    EXPECT_EQ(RecentFiles::Load(), std::vector<fs::path>{DemoProject()});
    EXPECT_EQ(window.RecentMenu()->actions().size(), 1);
    ASSERT_FALSE(messages_.MessageBoxes().empty());
    EXPECT_NE(messages_.MessageBoxes().back().text.find("no longer exists"), std::string::npos);
}

TEST_F(MainWindowTest, TheExtensionsDialogSwitchesTheExtensionOffForGood) {
    MainWindow& window = OpenWindow();
    ASSERT_TRUE(window.OpenProject(WriteDotsProject()));
    ExtensionsDialog dialog(window.Host().App(), window.Host().ExtensionNames(), &window);
    ASSERT_EQ(dialog.List()->count(), 1);
    EXPECT_EQ(dialog.List()->item(0)->text(), QStringLiteral("Chronova Extension"));
    EXPECT_EQ(dialog.List()->item(0)->checkState(), Qt::Checked);

    dialog.List()->item(0)->setCheckState(Qt::Unchecked);
    dialog.accept();
    window.RequestRefresh();
    EXPECT_FALSE(window.Host().ChronovaEnabled());
    EXPECT_EQ(gis::RememberedExtensionState(kProgID_ChronovaExt), gis::ExtensionState::Disabled);
    EXPECT_EQ(TimeCommand(), nullptr); // the extension takes its command off the toolbar
    EXPECT_FALSE(SliderDock()->isVisible());
}

TEST_F(MainWindowTest, AProjectThatCannotBeOpenedIsReportedAndTheWindowStays) {
    MainWindow& window = OpenWindow();
    const fs::path broken = folder_ / "broken.chronova.json";
    std::ofstream(broken) << "{ \"chronova_project\": 1, ";
    EXPECT_FALSE(window.OpenProject(broken));

    const fs::path missing_data = folder_ / "missing.chronova.json";
    std::ofstream(missing_data) << R"({ "chronova_project": 1, "layers": [ { "name": "Ghost", "kind": "feature",
        "source": { "workspace": "nowhere", "dataset": "ghost" } } ] })";
    EXPECT_FALSE(window.OpenProject(missing_data));

    const std::vector<std::string> texts = MessageTexts();
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_NE(texts[0].find("Open Project: The project " + broken.string()), std::string::npos);
    EXPECT_NE(texts[1].find("'Ghost'"), std::string::npos) << texts[1];
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(FocusMap()->LayerCount(), 0);
    EXPECT_EQ(window.Layers()->topLevelItemCount(), 0);
    EXPECT_TRUE(RecentFiles::Load().empty());
}

TEST_F(MainWindowTest, AddDataPutsShapefilesGeoPackageLayersAndRastersOnTop) {
    MainWindow& window = OpenWindow();
    ASSERT_TRUE(window.AddData(SampleFile("storms.gpkg"), "buoys")) << ::testing::PrintToString(MessageTexts());
    ASSERT_TRUE(window.AddData(SampleFile("ships/ship_tracks.shp")));
    ASSERT_TRUE(window.AddData(SampleFile("rain.tif")));
    EXPECT_FALSE(window.AddData(SampleFile("buoys.csv")));
    EXPECT_EQ(messages_.MessageBoxes().size(), 1u);

    const auto map = FocusMap();
    ASSERT_EQ(map->LayerCount(), 3);
    EXPECT_EQ(window.Layers()->topLevelItem(0)->text(0).toStdString(), map->Layer(0)->Name());
    EXPECT_EQ(window.Layers()->topLevelItem(2)->text(0), QStringLiteral("buoys"));
    // The new layers make a project that reads back.
    const fs::path saved = folder_ / "added.chronova.json";
    ASSERT_TRUE(window.SaveProjectTo(saved));
    EXPECT_EQ(project::LoadProject(saved).Layers.size(), 3u);
}

TEST_F(MainWindowTest, WithoutRegistrationTheWindowOpensWithoutTimeAndTheComponentsDialogRegisters) {
    Register(false);
    MainWindow& window = OpenWindow();
    EXPECT_EQ(TimeCommand(), nullptr);
    EXPECT_TRUE(window.Docks().Docks().empty());
    EXPECT_NE(window.StatusMessage()->text().indexOf(QStringLiteral("Tools > Components")), -1);
    ASSERT_TRUE(window.OpenProject(WriteDotsProject()));
    EXPECT_TRUE(Dots()->DefinitionExpression().empty()); // no registry: every dot shows
    EXPECT_NE(window.StatusMessage()->text().indexOf(QStringLiteral("without its time layers")), -1);

    ComponentsDialog dialog(&window);
    EXPECT_FALSE(dialog.Registered()->isChecked());
    dialog.Registered()->setChecked(true);
    dialog.Apply();
    EXPECT_TRUE(ReadComponentRegistration().Complete());
    EXPECT_NE(dialog.StatusText().indexOf(QStringLiteral("Restart")), -1);
    dialog.Registered()->setChecked(false);
    dialog.Apply();
    EXPECT_TRUE(ReadComponentRegistration().None());
}

} // namespace
} // namespace chronova::desktop
