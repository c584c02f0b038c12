// Combo boxes, list boxes, trees and the month calendar: entries and selections each way.
#include <gtest/gtest.h>

#include <QCalendarWidget>
#include <QComboBox>
#include <QListWidget>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTest>
#include <QTreeWidget>
#include <memory>
#include <string>
#include <vector>

#include "platform/ui/combo_box.h"
#include "platform/ui/list_box.h"
#include "platform/ui/month_calendar.h"
#include "platform/ui/tree_view.h"
#include "qtui/bindings.h"
#include "qtui/shown_window.h"

namespace chronova::qtui {
namespace {

namespace ui = platform::ui;
using Rel = ui::TreeRelationship;

using ListBindingTest = ShownWindowTest;

QStringList Entries(const QComboBox& combo) {
    QStringList entries;
    for (int i = 0; i < combo.count(); ++i) {
        entries << combo.itemText(i);
    }
    return entries;
}

TEST_F(ListBindingTest, AComboShowsTheEntriesAndTheUsersChoiceRaisesClick) {
    ui::ComboBox control;
    control.AddItem("rain");
    control.AddItem("wind");
    int clicks = 0;
    control.Click.Connect([&] { ++clicks; });
    QComboBox* combo = BindComboBox(control, Window());
    EXPECT_EQ(Entries(*combo), (QStringList{"rain", "wind"}));
    EXPECT_EQ(combo->currentIndex(), -1);

    combo->setFocus();
    QTest::keyClick(combo, Qt::Key_Down); // a closed combo steps to the next entry
    EXPECT_EQ(control.ListIndex(), 0);
    EXPECT_EQ(clicks, 1);

    control.AddItem("snow", 0); // the selection stays on "rain"
    EXPECT_EQ(Entries(*combo), (QStringList{"snow", "rain", "wind"}));
    EXPECT_EQ(combo->currentIndex(), 1);
    control.ListIndex(2);
    EXPECT_EQ(combo->currentText(), "wind");
    control.Text("no such layer");
    EXPECT_EQ(combo->currentIndex(), -1);
    EXPECT_EQ(combo->placeholderText(), "no such layer");
    control.Clear();
    EXPECT_EQ(combo->count(), 0);
    EXPECT_EQ(clicks, 2); // only the ListIndex from code; following the control raised nothing
}

TEST_F(ListBindingTest, AListBoxSelectsSeveralEntriesEachWay) {
    ui::ListBox control;
    for (const char* text : {"a", "b", "c"}) {
        control.AddItem(text);
    }
    control.Selected(2, true);
    QListWidget* list = BindListBox(control, Window());
    list->resize(100, 100);
    ASSERT_EQ(list->count(), 3);
    EXPECT_TRUE(list->item(2)->isSelected());

    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(0)).center());
    EXPECT_TRUE(control.Selected(0));
    EXPECT_TRUE(control.Selected(2)); // a multi-select list keeps the others
    EXPECT_EQ(control.ListIndex(), 0);

    control.Selected(2, false);
    control.RemoveItem(1);
    EXPECT_EQ(list->count(), 2);
    EXPECT_TRUE(list->item(0)->isSelected());
    EXPECT_FALSE(list->item(1)->isSelected());
}

// The tree of a layer dialog: two layers under a group.
struct LayerTree {
    LayerTree() {
        tree.Checkboxes(true);
        tree.Nodes().Add("", Rel::Last, "G", "Group");
        tree.Nodes().Add("G", Rel::Child, "A", "Rain");
        tree.Nodes().Add("G", Rel::Child, "B", "Wind");
        tree.Nodes().Item("G")->Expanded(true);
    }
    ui::TreeView tree;
};

QTreeWidgetItem* ItemWithKey(QTreeWidget& widget, const char* key) {
    for (QTreeWidgetItemIterator it(&widget); *it != nullptr; ++it) {
        if ((*it)->data(0, Qt::UserRole).toString() == key) {
            return *it;
        }
    }
    return nullptr;
}

// Where the check box of an item is drawn, found the way the view's delegate finds it.
QPoint CheckBoxCentre(QTreeWidget& widget, QTreeWidgetItem* item) {
    const QModelIndex index = widget.indexFromItem(item);
    QStyleOptionViewItem option;
    option.initFrom(&widget);
    option.rect = widget.visualRect(index);
    option.features |= QStyleOptionViewItem::HasCheckIndicator;
    return widget.style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, &widget).center();
}

TEST_F(ListBindingTest, ATreeMirrorsTheNodesAndFollowsChangesFromCode) {
    LayerTree layers;
    QTreeWidget* widget = BindTreeView(layers.tree, Window());
    ASSERT_EQ(widget->topLevelItemCount(), 1);
    QTreeWidgetItem* group = widget->topLevelItem(0);
    ASSERT_EQ(group->childCount(), 2);
    EXPECT_EQ(group->child(1)->text(0), "Wind");
    EXPECT_TRUE(group->isExpanded());
    EXPECT_EQ(group->checkState(0), Qt::Unchecked);

    layers.tree.Nodes().Item("B")->Checked(true);
    layers.tree.Nodes().Item("A")->Text("Rainfall");
    layers.tree.SelectedItem(layers.tree.Nodes().Item("A"));
    EXPECT_EQ(ItemWithKey(*widget, "B")->checkState(0), Qt::Checked);
    EXPECT_EQ(ItemWithKey(*widget, "A")->text(0), "Rainfall");
    EXPECT_EQ(widget->currentItem(), ItemWithKey(*widget, "A"));

    layers.tree.Nodes().Add("A", Rel::Previous, "C", "Snow");
    layers.tree.Nodes().Remove("B");
    ASSERT_EQ(widget->topLevelItem(0)->childCount(), 2);
    EXPECT_EQ(widget->topLevelItem(0)->child(0)->text(0), "Snow");
    EXPECT_EQ(widget->currentItem(), ItemWithKey(*widget, "A")); // the selection survives the rebuild

    layers.tree.Checkboxes(false);
    EXPECT_FALSE(ItemWithKey(*widget, "A")->data(0, Qt::CheckStateRole).isValid());
    layers.tree.Nodes().Clear();
    EXPECT_EQ(widget->topLevelItemCount(), 0);
}

TEST_F(ListBindingTest, TheUsersClicksChecksAndExpansionsReachTheTree) {
    LayerTree layers;
    std::vector<std::string> log;
    layers.tree.NodeClick.Connect([&](const ui::TreeNodePtr& node) { log.push_back("click " + node->Key()); });
    layers.tree.NodeCheck.Connect([&](const ui::TreeNodePtr& node) { log.push_back("check " + node->Key()); });
    layers.tree.Collapse.Connect([&](const ui::TreeNodePtr& node) { log.push_back("collapse " + node->Key()); });
    // A check cascades one level down from code, as the layer dialog does.
    layers.tree.NodeCheck.Connect([&](const ui::TreeNodePtr& node) {
        for (ui::TreeNodePtr child = node->Child(); child != nullptr; child = child->Next()) {
            child->Checked(node->Checked());
        }
    });
    QTreeWidget* widget = BindTreeView(layers.tree, Window());
    widget->resize(300, 200);
    QTreeWidgetItem* rain = ItemWithKey(*widget, "A");

    QTest::mouseClick(widget->viewport(), Qt::LeftButton, {}, widget->visualItemRect(rain).center());
    EXPECT_EQ(layers.tree.SelectedItem(), layers.tree.Nodes().Item("A"));

    QTreeWidgetItem* group = ItemWithKey(*widget, "G");
    QTest::mouseClick(widget->viewport(), Qt::LeftButton, {}, CheckBoxCentre(*widget, group));
    EXPECT_TRUE(layers.tree.Nodes().Item("G")->Checked());
    EXPECT_EQ(ItemWithKey(*widget, "B")->checkState(0), Qt::Checked); // the cascade shows
    // Checking a node is no click on it: the selection stays on the layer.
    EXPECT_EQ(layers.tree.SelectedItem(), layers.tree.Nodes().Item("A"));

    widget->setFocus();
    QTest::keyClick(widget, Qt::Key_Down); // the keyboard moves the selection, as a click would
    EXPECT_EQ(layers.tree.SelectedItem(), layers.tree.Nodes().Item("B"));

    widget->collapseItem(group); // the user closes the group (what a click on its sign does)
    EXPECT_FALSE(layers.tree.Nodes().Item("G")->Expanded());
    EXPECT_EQ(log, (std::vector<std::string>{"click A", "check G", "click B", "collapse G"}));
}

TEST_F(ListBindingTest, AMonthCalendarFollowsTheDayAndTheFirstWeekday) {
    ui::MonthCalendar control;
    control.SetDate(2024, 2, 29);
    control.FirstDayOfWeek(ui::MonthCalendar::kMonday);
    int changes = 0;
    control.Change.Connect([&] { ++changes; });
    QCalendarWidget* calendar = BindMonthCalendar(control, Window());
    EXPECT_EQ(calendar->selectedDate(), QDate(2024, 2, 29));
    EXPECT_EQ(calendar->firstDayOfWeek(), Qt::Monday);

    control.Year(2023);
    EXPECT_EQ(calendar->selectedDate(), QDate(2023, 2, 28));
    control.FirstDayOfWeek(ui::MonthCalendar::kSunday);
    EXPECT_EQ(calendar->firstDayOfWeek(), Qt::Sunday);

    calendar->setSelectedDate(QDate(2023, 3, 5)); // what the user's pick does in the widget
    EXPECT_EQ(control.Value(), platform::Date::FromParts(2023, 3, 5));
    EXPECT_EQ(changes, 2);

    control.Enabled(false); // a disabled calendar keeps its day
    calendar->setSelectedDate(QDate(2023, 3, 6));
    EXPECT_EQ(control.Day(), 5);
    EXPECT_EQ(calendar->selectedDate(), QDate(2023, 3, 5));
}

} // namespace
} // namespace chronova::qtui
