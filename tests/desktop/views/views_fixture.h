#pragma once

// A host application with the registry and its slider, a real shapefile of ships in the focus map, and the
// Qt dialogs of the forms installed, so that tests drive the real widgets as a user would.

#include <gtest/gtest.h>

#include <QAbstractItemModel>
#include <QApplication>
#include <QCalendarWidget>
#include <QDialog>
#include <QElapsedTimer>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "apps/desktop/views/form_dialogs.h"
#include "datetime/calendar_picker.h"
#include "datetime/mod_date_time.h"
#include "gis/layers/feature_layer.h"
#include "gis/layers/open_layers.h"
#include "gis/map/application.h"
#include "gis/map/document.h"
#include "gis/map/extension.h"
#include "gis/map/map.h"
#include "layerconfig/layer_dialog.h"
#include "platform/locale.h"
#include "platform/ui/event_loop.h"
#include "platform/ui/message_service.h"
#include "platform/ui/modal_dialog_service.h"
#include "qtui/modal_dialogs.h"
#include "records/i_time_layer.h"
#include "records/layer_data_collection.h"
#include "records/process_state.h"
#include "registry/chronova_data.h"
#include "registry/globals.h"
#include "slider/frm_slider.h"
#include "slider/layer_dialog_service.h"
#include "support/gdal_fixtures.h"
#include "support/scratch_folder.h"

namespace chronova::testing {

class ViewsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetGlobals();
        RegisterTimeLayerInterface();
        g_pApp = gis::Application::Create();
        g_pApp->AddExtension(std::make_shared<gis::Extension>("Chronova.ChronovaExt"));
        g_pChronovaData = std::make_shared<ChronovaData>(loop_);
        desktop::AddFormDialogs(dialogs_);
        modDateTime::InstallCalendarPicker();
        layerconfig::InstallLayerDialog();
    }

    void TearDown() override {
        SetLayerDialogOpener(nullptr);
        modDateTime::ResetDateTimePicker();
        ResetGlobals();
    }

    frmSlider& Slider() { return *g_pChronovaData->Slider(); }
    gis::Map& FocusMap() { return *g_pApp->Document()->FocusMap(); }
    static int32_t RegisteredCount() { return g_Layers ? g_Layers->Count() : 0; }

    /// Three ships at 06:00 on 1, 2 and 3 March 2008 (date-time group text in DTG), as a shapefile in the
    /// focus map, not yet a time layer.
    std::shared_ptr<gis::FeatureLayer> OpenShips() {
        FixtureLayer ships{"ships",
                           wkbPoint,
                           {{"NAME", OFTString, OFSTNone, 10}, {"DTG", OFTString, OFSTNone, 20}, {"SPEED", OFTReal}},
                           {}};
        for (int day = 1; day <= 3; ++day) {
            const platform::Date time = platform::Date::FromParts(2008, 3, day, 6, 0);
            ships.rows.push_back(PointRow(
                day, day, {std::string("ship") + std::to_string(day), modDateTime::DateToDTG(time), 5.0 * day}));
        }
        WriteShapefile(folder_.Path(), ships);
        auto layer = gis::OpenFeatureLayer(folder_.Path().string(), "ships");
        FocusMap().AddLayer(layer);
        return layer;
    }

    /// The ships as a registered time layer: the slider's axis runs over their three days.
    std::shared_ptr<gis::FeatureLayer> RegisterShips() {
        auto ships = OpenShips();
        EXPECT_TRUE(g_pChronovaData->AddShapefileLayer(ships, "DTG"));
        g_pChronovaData->Update();
        return ships;
    }

    /// The features a layer draws at the current filter.
    static std::vector<uint32_t> Drawn(const gis::FeatureLayer& layer) { return *layer.VisibleFeatures(); }

    /// The push button with the caption, or null.
    static QPushButton* FindButton(QWidget& parent, const QString& caption) {
        for (auto* button : parent.findChildren<QPushButton*>()) {
            if (button->text() == caption) {
                return button;
            }
        }
        return nullptr;
    }
    static QRadioButton* FindRadio(QWidget& parent, const QString& caption) {
        for (auto* option : parent.findChildren<QRadioButton*>()) {
            if (option->text() == caption) {
                return option;
            }
        }
        return nullptr;
    }

    /// The user clicks a day of the month the calendar shows. The grid also shows the end of the month before
    /// (days from 22 on) and the start of the month after (days up to 14), so a small day is its first cell
    /// with that number and a large day its last.
    static void ClickDay(QCalendarWidget& calendar, int day) {
        auto* grid = calendar.findChild<QTableView*>();
        ASSERT_NE(grid, nullptr);
        const QAbstractItemModel* cells = grid->model();
        QModelIndex found;
        for (int row = 0; row < cells->rowCount(); ++row) {
            for (int column = 0; column < cells->columnCount(); ++column) {
                const QModelIndex cell = cells->index(row, column);
                if (cells->data(cell).toString() == QString::number(day) && (!found.isValid() || day >= 15)) {
                    found = cell;
                }
            }
        }
        ASSERT_TRUE(found.isValid()) << "no cell for day " << day;
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(found).center());
    }

    /// Runs the action on the dialog of the given object name once the service shows it; the action runs inside
    /// the dialog's own event loop, as the user's actions would. Call before whatever opens the dialog.
    void WhenDialogShows(const QString& name, std::function<void(QDialog&)> action) {
        auto* timer = new QTimer;
        auto waited = std::make_shared<QElapsedTimer>();
        waited->start();
        timer->setInterval(10);
        QObject::connect(timer, &QTimer::timeout, [this, timer, waited, name, action = std::move(action)] {
            QDialog* dialog = dialogs_.Current();
            if (dialog != nullptr && dialog->isVisible() && dialog->objectName() == name) {
                timer->stop();
                timer->deleteLater();
                // The user works in the active window: fields then get and lose the focus.
                dialog->activateWindow();
                EXPECT_TRUE(QTest::qWaitForWindowActive(dialog));
                action(*dialog);
            } else if (waited->elapsed() > kDialogPatienceMs) {
                timer->stop();
                timer->deleteLater();
                ADD_FAILURE() << "the dialog " << name.toStdString() << " never showed";
                if (dialog != nullptr) {
                    dialog->reject();
                }
            }
        });
        timer->start();
    }

    /// Keeps a picture of a widget as the user sees it when CHRONOVA_VIEW_SHOTS names a folder.
    static void Shoot(QWidget& widget, const std::string& name) {
        const char* folder = std::getenv("CHRONOVA_VIEW_SHOTS");
        if (folder == nullptr) {
            return;
        }
        std::filesystem::create_directories(folder);
        // Layouts settle in posted events; the picture shows the widgets where they end up.
        QApplication::sendPostedEvents();
        const QImage image = widget.grab().toImage();
        EXPECT_TRUE(image.save(QString::fromStdString((std::filesystem::path(folder) / (name + ".png")).string())));
    }

    static constexpr int kDialogPatienceMs = 10000;

    platform::ScopedLocale us_{"en-US"};
    ScratchFolder folder_;
    ScopedEnvironment user_env_{"CHRONOVA_USER_SETTINGS", (folder_ / "user.jsonl").string()};
    ScopedEnvironment machine_env_{"CHRONOVA_MACHINE_SETTINGS", (folder_ / "machine.jsonl").string()};
    platform::ui::RecordingMessageService messages_;
    platform::ui::ScopedMessageService message_scope_{messages_};
    platform::ui::EventLoop loop_;
    qtui::QtModalDialogService dialogs_;
    platform::ui::ScopedModalDialogService dialog_scope_{dialogs_};
};

} // namespace chronova::testing
