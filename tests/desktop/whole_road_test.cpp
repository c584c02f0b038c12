// The whole road a user takes, on the real window with real modal dialogs: open the demo project, configure a
// layer in Select Layers, play to the end, step back, switch the display options to unique points, pick a time
// from the current time label, then hide the slider window (every filter lifted) and show it again.
#include "desktop_fixture.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QDialog>
#include <QDockWidget>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>
#include <functional>

#include "apps/desktop/command_toolbar.h"
#include "apps/desktop/host_docks.h"
#include "apps/desktop/map_canvas.h"
#include "gis/layers/feature_layer.h"
#include "gis/layers/group_layer.h"
#include "gis/map/application.h"
#include "gis/map/map.h"
#include "records/layer_data.h"
#include "registry/chronova_data.h"
#include "slider/frm_slider.h"

namespace chronova::testing {
namespace {

constexpr int kPatienceMs = 60'000;

class WholeRoadTest : public DesktopTest {
protected:
    /// Runs the action on the modal dialog of this object name as soon as it shows; a dialog that never shows
    /// fails the test, and a dialog the action leaves open is cancelled so that the test goes on.
    static void WhenDialogShows(const QString& name, std::function<void(QDialog&)> action) {
        auto* timer = new QTimer;
        auto waited = std::make_shared<QElapsedTimer>();
        waited->start();
        timer->setInterval(10);
        QObject::connect(timer, &QTimer::timeout, [timer, waited, name, action = std::move(action)] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            const bool found = dialog != nullptr && dialog->isVisible() && dialog->objectName() == name;
            if (!found && waited->elapsed() < kPatienceMs) {
                return;
            }
            timer->stop();
            timer->deleteLater();
            if (!found) {
                ADD_FAILURE() << "the dialog " << name.toStdString() << " never showed";
                return;
            }
            // The user works in the active window: fields then get and lose the focus.
            dialog->activateWindow();
            EXPECT_TRUE(QTest::qWaitForWindowActive(dialog));
            action(*dialog);
            if (dialog->isVisible()) {
                dialog->reject();
            }
        });
        timer->start();
    }

    /// Lets the event loop run until the condition holds; false when it never did.
    static bool WaitFor(const std::function<bool()>& condition) {
        QElapsedTimer waited;
        waited.start();
        while (!condition()) {
            if (waited.elapsed() > kPatienceMs) {
                return false;
            }
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        }
        return true;
    }

    template <typename Widget>
    static Widget* Find(QWidget& parent, const QString& text) {
        for (auto* widget : parent.findChildren<Widget*>()) {
            if (widget->text() == text && widget->isVisible()) {
                return widget;
            }
        }
        return nullptr;
    }

    static void ClickTool(QWidget& view, const char* key) {
        auto* bar = view.findChild<QToolBar*>();
        ASSERT_NE(bar, nullptr);
        auto* action = bar->findChild<QAction*>(key);
        ASSERT_NE(action, nullptr) << key;
        QTest::mouseClick(bar->widgetForAction(action), Qt::LeftButton);
    }

    /// The buoys, in the "Drifting buoys" group.
    static std::shared_ptr<gis::FeatureLayer> BuoysLayer() {
        const auto map = g_pApp->Document()->FocusMap();
        for (int32_t i = 0; i < map->LayerCount(); ++i) {
            if (const auto group = std::dynamic_pointer_cast<gis::GroupLayer>(map->Layer(i))) {
                for (int32_t k = 0; k < group->Count(); ++k) {
                    if (group->Layer(k)->Name().starts_with("Buoys")) {
                        return std::dynamic_pointer_cast<gis::FeatureLayer>(group->Layer(k));
                    }
                }
            }
        }
        return nullptr;
    }

    static std::shared_ptr<gis::FeatureLayer> LayerNamed(const std::string& prefix) {
        const auto map = g_pApp->Document()->FocusMap();
        for (int32_t i = 0; i < map->LayerCount(); ++i) {
            if (map->Layer(i)->Name().starts_with(prefix)) {
                return std::dynamic_pointer_cast<gis::FeatureLayer>(map->Layer(i));
            }
        }
        return nullptr;
    }
};

TEST_F(WholeRoadTest, ConfigurePlayStepBackChangeOptionsPickATimeHideAndShow) {
    desktop::MainWindow window(desktop::DialogServices::Qt);
    window.RememberRecentFiles(false);
    window.resize(1280, 800);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    ASSERT_TRUE(window.OpenProject(DemoProject()));
    QDockWidget* dock = window.Docks().DockOf(gis::UID(kProgID_TimeToolbar));
    ASSERT_NE(dock, nullptr);
    ASSERT_TRUE(dock->isVisible());
    QWidget* view = dock->findChild<QWidget*>("SliderWindowView");
    ASSERT_NE(view, nullptr);
    frmSlider& slider = *g_pChronovaData->Slider();
    const auto buoys = BuoysLayer();
    ASSERT_NE(buoys, nullptr);
    std::shared_ptr<LayerData> buoy_record;
    ASSERT_TRUE(g_pChronovaData->FindByLayer(buoys, &buoy_record));
    ASSERT_TRUE(buoy_record->IncludePreviousSteps);
    ASSERT_NE(buoys->DefinitionExpression().find("<="), std::string::npos) << buoys->DefinitionExpression();

    // Select Layers: the buoys stop showing their previous steps; Done registers them so.
    WhenDialogShows("TimedLayersDialog", [&](QDialog& dialog) {
        auto* tree = dialog.findChild<QTreeWidget*>();
        ASSERT_NE(tree, nullptr);
        const auto items = tree->findItems("Buoys", Qt::MatchStartsWith | Qt::MatchRecursive);
        ASSERT_EQ(items.size(), 1);
        tree->scrollToItem(items.front());
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(items.front()).center());
        EXPECT_EQ(items.front()->checkState(0), Qt::Checked);
        auto* previous = Find<QCheckBox>(dialog, "Show Previous Time Steps");
        ASSERT_NE(previous, nullptr);
        EXPECT_TRUE(previous->isEnabled());
        QTest::mouseClick(previous, Qt::LeftButton);
        EXPECT_FALSE(previous->isChecked());
        QTest::mouseClick(Find<QPushButton>(dialog, "Done"), Qt::LeftButton);
    });
    QTest::mouseClick(Find<QPushButton>(*view, "Select Layers..."), Qt::LeftButton);
    ASSERT_TRUE(g_pChronovaData->FindByLayer(buoys, &buoy_record));
    EXPECT_FALSE(buoy_record->IncludePreviousSteps);
    EXPECT_EQ(buoys->DefinitionExpression().find("<="), std::string::npos) << buoys->DefinitionExpression();

    // Play to the end: the playback timer runs on Qt's event loop and stops at the last position.
    ClickTool(*view, "ID_REWIND");
    ASSERT_EQ(slider.Slider1.Value(), 0);
    const int draws = window.Canvas()->DrawCount();
    ClickTool(*view, "ID_PLAY");
    ASSERT_TRUE(WaitFor([&] { return slider.Slider1.Value() == slider.Slider1.Max() && !slider.Timer1.Enabled(); }))
        << "playback stopped at " << slider.Slider1.Value() << " of " << slider.Slider1.Max();
    EXPECT_GE(window.Canvas()->DrawCount() - draws, slider.Slider1.Max()) << "every step is drawn";
    const std::string last = slider.lblTime[2].Caption();

    // Step back one position.
    ClickTool(*view, "ID_STEPBACK");
    EXPECT_EQ(slider.Slider1.Value(), slider.Slider1.Max() - 1);
    EXPECT_NE(slider.lblTime[2].Caption(), last);
    EXPECT_EQ(view->findChild<QLabel*>("lblTime2")->text().toStdString(), slider.lblTime[2].Caption());

    // Display options: unique data points.
    WhenDialogShows("DisplayOptionsDialog", [&](QDialog& dialog) {
        auto* unique = Find<QRadioButton>(dialog, "Show All Unique Data Points");
        ASSERT_NE(unique, nullptr);
        QTest::mouseClick(unique, Qt::LeftButton, {}, QPoint(6, unique->height() / 2));
        QTest::mouseClick(Find<QPushButton>(dialog, "Done"), Qt::LeftButton);
    });
    QTest::mouseClick(Find<QPushButton>(*view, "Display Options..."), Qt::LeftButton);
    EXPECT_EQ(g_iDisplayType, 1);
    EXPECT_EQ(view->findChild<QLabel*>("Label1_2")->text(), QStringLiteral("Unique Data Points"));

    // The current time label opens the picker; the first of March at noon moves the slider there.
    WhenDialogShows("DateTimePickerDialog", [&](QDialog& dialog) {
        auto* calendar = dialog.findChild<QCalendarWidget*>();
        ASSERT_NE(calendar, nullptr);
        calendar->setSelectedDate(QDate(2008, 3, 1));
        auto* hour = dialog.findChild<QSpinBox*>("HourControl");
        ASSERT_NE(hour, nullptr);
        hour->setFocus();
        hour->selectAll();
        QTest::keyClicks(hour, "12");
        QTest::keyClick(hour, Qt::Key_Tab); // leaving the field hands the typed hour over
        QTest::mouseClick(Find<QPushButton>(dialog, "OK"), Qt::LeftButton);
    });
    const int32_t before_pick = slider.Slider1.Value();
    QTest::mouseClick(view->findChild<QLabel*>("lblTime2"), Qt::LeftButton);
    EXPECT_NE(slider.Slider1.Value(), before_pick);
    const platform::DateParts picked = slider.CurrentTime().Parts();
    EXPECT_EQ(picked.month, 3);
    EXPECT_EQ(picked.day, 1);
    EXPECT_EQ(picked.hour, 12);

    // Hiding the window lifts every filter; showing it again applies the current time once more.
    auto* storm = LayerNamed("Storm track").get();
    ASSERT_NE(storm, nullptr);
    ASSERT_FALSE(storm->DefinitionExpression().empty());
    QAction* command = window.Commands()->ActionOf(gis::UID(kProgID_TimeToolbar));
    ASSERT_NE(command, nullptr);
    command->trigger();
    EXPECT_FALSE(dock->isVisible());
    EXPECT_TRUE(storm->DefinitionExpression().empty());
    EXPECT_TRUE(buoys->DefinitionExpression().empty());
    command->trigger();
    EXPECT_TRUE(dock->isVisible());
    EXPECT_FALSE(storm->DefinitionExpression().empty());
}

} // namespace
} // namespace chronova::testing
