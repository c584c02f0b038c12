// Combo boxes and list boxes: entries the system fills and the user picks from.
#include "qtui/bindings.h"
#include "qtui/control_link.h"

#include <QComboBox>
#include <QListWidget>
#include <QSignalBlocker>
#include <QStringList>
#include <vector>

#include "platform/ui/combo_box.h"
#include "platform/ui/list_box.h"

namespace chronova::qtui {
namespace {

using detail::Follow;
using detail::RunUserAction;
using detail::ToQString;

template <typename ListControl>
QStringList EntriesOf(const ListControl& control) {
    QStringList entries;
    entries.reserve(control.ListCount());
    for (int32_t i = 0; i < control.ListCount(); ++i) {
        entries.push_back(ToQString(control.List(i)));
    }
    return entries;
}

QStringList EntriesOf(const QComboBox& combo) {
    QStringList entries;
    for (int i = 0; i < combo.count(); ++i) {
        entries.push_back(combo.itemText(i));
    }
    return entries;
}

QStringList EntriesOf(const QListWidget& list) {
    QStringList entries;
    for (int i = 0; i < list.count(); ++i) {
        entries.push_back(list.item(i)->text());
    }
    return entries;
}

} // namespace

QComboBox* BindComboBox(platform::ui::ComboBox& control, QWidget* parent, Placement placement) {
    auto* combo = new QComboBox(parent);
    auto sync = [combo, &control] {
        const QSignalBlocker blocker(combo);
        const QStringList entries = EntriesOf(control);
        if (EntriesOf(*combo) != entries) {
            combo->clear();
            combo->addItems(entries);
        }
        combo->setCurrentIndex(control.ListIndex());
        // A text that matches no entry shows while nothing is selected.
        combo->setPlaceholderText(control.ListIndex() == -1 ? ToQString(control.Text()) : QString());
    };
    sync();
    Follow(*combo, control.Changed, sync);
    QObject::connect(combo, &QComboBox::activated, combo, [&control, sync](int index) {
        if (control.Enabled() && control.Visible()) {
            RunUserAction("choosing from a list", [&] { control.ListIndex(index); });
        }
        sync();
    });
    FollowControl(*combo, control, placement);
    return combo;
}

QListWidget* BindListBox(platform::ui::ListBox& control, QWidget* parent, Placement placement) {
    auto* list = new QListWidget(parent);
    list->setSelectionMode(QAbstractItemView::MultiSelection);
    auto sync = [list, &control] {
        const QSignalBlocker blocker(list);
        const QStringList entries = EntriesOf(control);
        if (EntriesOf(*list) != entries) {
            list->clear();
            list->addItems(entries);
        }
        for (int32_t i = 0; i < control.ListCount(); ++i) {
            list->item(i)->setSelected(control.Selected(i));
        }
        // The current row moves without touching the selection, which the loop above set.
        list->setCurrentRow(control.ListIndex(), QItemSelectionModel::NoUpdate);
    };
    sync();
    Follow(*list, control.Changed, sync);
    QObject::connect(list, &QListWidget::itemSelectionChanged, list, [list, &control, sync] {
        if (control.Enabled() && control.Visible()) {
            // Read first: each change the control takes makes the widget follow the control again.
            std::vector<bool> wanted;
            wanted.reserve(static_cast<size_t>(list->count()));
            for (int i = 0; i < list->count(); ++i) {
                wanted.push_back(list->item(i)->isSelected());
            }
            RunUserAction("selecting in a list", [&] {
                // Entries may change under a Click handler; the rows count only while they exist.
                for (int32_t i = 0; i < control.ListCount() && i < static_cast<int32_t>(wanted.size()); ++i) {
                    control.Selected(i, wanted[static_cast<size_t>(i)]);
                }
            });
        }
        sync();
    });
    QObject::connect(list, &QListWidget::currentRowChanged, list, [&control, sync](int row) {
        if (control.Enabled() && control.Visible() && row < control.ListCount()) {
            RunUserAction("moving in a list", [&] { control.ListIndex(row); });
        }
        sync();
    });
    FollowControl(*list, control, placement);
    return list;
}

} // namespace chronova::qtui
