// The layer configuration dialog as the user sees it: the tree of the map's layers, the panel of the selected
// layer, and "Done" handing the checked layers to the registry.
#include "views_fixture.h"

#include "apps/desktop/views/slider_window_view.h"
#include "gis/layers/raster_layer.h"
#include "layerconfig/frm_timed_layers.h"
#include "records/layer_data.h"
#include "timeapply/test_layers.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QTreeWidget>

namespace chronova::testing {
namespace {

class TimedLayersDialogTest : public ViewsTest {
protected:
    static QTreeWidgetItem* Item(QTreeWidget& tree, const QString& text) {
        const auto found = tree.findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
        return found.isEmpty() ? nullptr : found.front();
    }
    /// The user clicks a node's text.
    static void ClickItem(QTreeWidget& tree, QTreeWidgetItem& item) {
        QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, tree.visualItemRect(&item).center());
    }
    /// The user ticks the node that has the keyboard focus with the space bar.
    static void ToggleCheck(QTreeWidget& tree) { QTest::keyClick(tree.viewport(), Qt::Key_Space); }
    static QGroupBox* Panel(QDialog& dialog, const QString& title) {
        for (auto* panel : dialog.findChildren<QGroupBox*>()) {
            if (panel->title() == title) {
                return panel;
            }
        }
        return nullptr;
    }
    static bool ShowsText(QWidget& parent, const QString& text) {
        for (auto* label : parent.findChildren<QLabel*>()) {
            if (label->isVisible() && label->text() == text) {
                return true;
            }
        }
        return false;
    }
};

TEST_F(TimedLayersDialogTest, CheckingAShapefileAndPressingDoneMakesItATimeLayer) {
    auto ships = OpenShips();
    FocusMap().AddLayer(std::make_shared<gis::RasterLayer>(
        std::make_shared<BandNumberRaster>(3, (folder_ / "rain.tif").string()), "Rain"));
    WhenDialogShows("TimedLayersDialog", [&](QDialog& dialog) {
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Select Map Layers For Timeline"));
        EXPECT_GE(dialog.width(), 760);
        EXPECT_GE(dialog.height(), 520);
        auto* tree = dialog.findChild<QTreeWidget*>();
        ASSERT_NE(tree, nullptr);
        ASSERT_EQ(tree->topLevelItemCount(), 2);
        QTreeWidgetItem* item = Item(*tree, "ships*");
        ASSERT_NE(item, nullptr);
        EXPECT_NE(Item(*tree, "Rain"), nullptr);
        EXPECT_TRUE(ShowsText(dialog, "No Layer Selected."));
        Shoot(dialog, "layers_opened");

        // The raster's panel replaces the field panel.
        ClickItem(*tree, *Item(*tree, "Rain"));
        EXPECT_TRUE(ShowsText(dialog, "This Is A Raster Layer."));
        EXPECT_FALSE(Panel(dialog, "Layer Settings")->isVisible());
        EXPECT_TRUE(Panel(dialog, "Raster Settings")->isVisible());
        Shoot(dialog, "layers_raster");

        ClickItem(*tree, *item);
        EXPECT_TRUE(ShowsText(dialog, "This Is A Shape File."));
        QGroupBox* fields = Panel(dialog, "Layer Settings");
        ASSERT_NE(fields, nullptr);
        EXPECT_TRUE(fields->isVisible());
        EXPECT_FALSE(Panel(dialog, "Raster Settings")->isVisible());
        // The layer's time field is proposed; the table side stays empty and grey for a shapefile.
        auto* time_field = fields->findChild<QComboBox*>("cboField0");
        ASSERT_NE(time_field, nullptr);
        EXPECT_TRUE(time_field->isEnabled());
        EXPECT_EQ(time_field->currentText(), QStringLiteral("DTG"));
        for (const char* table_side : {"cboTable", "cboField3", "cboField4", "cboField5", "cboField6"}) {
            auto* list = fields->findChild<QComboBox*>(table_side);
            ASSERT_NE(list, nullptr) << table_side;
            EXPECT_FALSE(list->isEnabled()) << table_side;
            EXPECT_EQ(list->count(), 0) << table_side;
        }

        ToggleCheck(*tree);
        EXPECT_EQ(item->checkState(0), Qt::Checked);
        Shoot(dialog, "layers_shapefile_checked");
        QTest::mouseClick(FindButton(dialog, "Done"), Qt::LeftButton);
    });
    desktop::SliderWindowView view(Slider());
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    QTest::mouseClick(FindButton(view, "Select Layers..."), Qt::LeftButton);

    EXPECT_TRUE(messages_.MessageBoxes().empty());
    ASSERT_EQ(RegisteredCount(), 1);
    std::shared_ptr<LayerData> record;
    ASSERT_TRUE(g_pChronovaData->FindByLayer(ships, &record));
    EXPECT_EQ(record->TimeStepField, "DTG");
    // The slider's axis now runs over the ships' days, and its window shows it.
    QApplication::processEvents();
    EXPECT_EQ(view.findChild<QLabel*>("lblTime0")->text(), QStringLiteral("010600Z MAR 2008"));
    EXPECT_EQ(view.findChild<QLabel*>("lblTime1")->text(), QStringLiteral("030600Z MAR 2008"));
}

TEST_F(TimedLayersDialogTest, DoneWithAnUnconfiguredCheckedLayerKeepsTheDialogOpenUntilCancelled) {
    // Buoys carry no field that looks like a time, so none is proposed and the layer stays unconfigured.
    FixtureLayer buoys{"buoys", wkbPoint, {{"NAME", OFTString, OFSTNone, 10}, {"DEPTH", OFTReal}}, {}};
    buoys.rows.push_back(PointRow(1, 1, {std::string("buoy"), 12.5}));
    WriteShapefile(folder_.Path(), buoys);
    FocusMap().AddLayer(gis::OpenFeatureLayer(folder_.Path().string(), "buoys"));
    bool still_open = false;
    WhenDialogShows("TimedLayersDialog", [&](QDialog& dialog) {
        auto* tree = dialog.findChild<QTreeWidget*>();
        QTreeWidgetItem* item = Item(*tree, "buoys*");
        ASSERT_NE(item, nullptr);
        ClickItem(*tree, *item);
        ToggleCheck(*tree);
        QTest::mouseClick(FindButton(dialog, "Done"), Qt::LeftButton);
        still_open = dialogs_.Current() == &dialog && dialog.isVisible();
        EXPECT_EQ(item->text(0), QStringLiteral("buoys*"));
        QTest::mouseClick(FindButton(dialog, "Cancel"), Qt::LeftButton);
    });
    OpenLayerDialog();
    EXPECT_TRUE(still_open);
    ASSERT_EQ(messages_.MessageBoxes().size(), 1U);
    EXPECT_EQ(messages_.MessageBoxes().front().text, "Please Setup All Unconfigured Checked Layers Marked With An *");
    EXPECT_EQ(RegisteredCount(), 0);
}

TEST_F(TimedLayersDialogTest, ClosingTheWindowKeepsTheRegisteredLayersAsTheyWere) {
    auto ships = RegisterShips();
    WhenDialogShows("TimedLayersDialog", [&](QDialog& dialog) {
        auto* tree = dialog.findChild<QTreeWidget*>();
        // A registered layer opens checked and without the mark.
        QTreeWidgetItem* item = Item(*tree, "ships");
        ASSERT_NE(item, nullptr);
        EXPECT_EQ(item->checkState(0), Qt::Checked);
        ClickItem(*tree, *item);
        ToggleCheck(*tree);
        EXPECT_EQ(item->checkState(0), Qt::Unchecked);
        QTest::keyClick(&dialog, Qt::Key_Escape);
    });
    OpenLayerDialog();
    EXPECT_EQ(dialogs_.Current(), nullptr);
    EXPECT_EQ(RegisteredCount(), 1);
    EXPECT_TRUE(g_pChronovaData->FindByLayer(ships, nullptr));
}

TEST_F(TimedLayersDialogTest, ClickingTheRasterStartTimeOpensThePickerOverTheDialog) {
    FocusMap().AddLayer(std::make_shared<gis::RasterLayer>(
        std::make_shared<BandNumberRaster>(3, (folder_ / "rain.tif").string()), "Rain"));
    frmTimedLayers form;
    std::string picked;
    WhenDialogShows("TimedLayersDialog", [&](QDialog& dialog) {
        auto* tree = dialog.findChild<QTreeWidget*>();
        ClickItem(*tree, *Item(*tree, "Rain"));
        auto* start = dialog.findChild<QLabel*>("lblTime");
        ASSERT_NE(start, nullptr);
        ASSERT_TRUE(start->isVisible());
        WhenDialogShows("DateTimePickerDialog", [&](QDialog& picker) {
            ClickDay(*picker.findChild<QCalendarWidget*>(), 20);
            QTest::mouseClick(FindButton(picker, "OK"), Qt::LeftButton);
        });
        QTest::mouseClick(start, Qt::LeftButton);
        // Back in the layer dialog, which shows the picked time.
        EXPECT_EQ(dialogs_.Current(), &dialog);
        picked = form.lblTime.Caption();
        EXPECT_EQ(start->text().toStdString(), picked);
        QTest::mouseClick(FindButton(dialog, "Cancel"), Qt::LeftButton);
    });
    form.Show(platform::ui::FormShow::Modal);
    int16_t year = 0, month = 0, day = 0, hour = 0, minute = 0;
    modDateTime::MinutesToParts(modDateTime::TextToMinutes(picked), year, month, day, hour, minute);
    EXPECT_EQ(day, 20);
}

} // namespace
} // namespace chronova::testing
