// The tree view: a QTreeWidget that mirrors the nodes of a headless tree and hands the user's clicks, checks
// and expansions to it.
#include "qtui/bindings.h"
#include "qtui/control_link.h"

#include <QEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QSignalBlocker>
#include <QTreeWidget>
#include <unordered_map>
#include <vector>

#include "platform/ui/tree_view.h"

namespace chronova::qtui {
namespace {

using detail::RunUserAction;
using detail::ToQString;
using platform::ui::TreeNode;
using platform::ui::TreeNodePtr;
using platform::ui::TreeView;

/// The nodes in display order, each with its parent (null for a root).
struct TreeShape {
    std::vector<TreeNodePtr> nodes;
    std::vector<const TreeNode*> parents;

    bool SameAs(const TreeShape& other) const {
        if (nodes.size() != other.nodes.size() || parents != other.parents) {
            return false;
        }
        for (size_t i = 0; i < nodes.size(); ++i) {
            if (nodes[i] != other.nodes[i]) {
                return false;
            }
        }
        return true;
    }
};

void AddSubtree(TreeShape& shape, TreeNodePtr node, const TreeNode* parent) {
    for (; node != nullptr; node = node->Next()) {
        shape.nodes.push_back(node);
        shape.parents.push_back(parent);
        AddSubtree(shape, node->Child(), node.get());
    }
}

TreeShape ShapeOf(const TreeView& tree) {
    TreeShape shape;
    if (tree.Nodes().Count() > 0) {
        AddSubtree(shape, tree.Nodes().Item(1)->Root()->FirstSibling(), nullptr);
    }
    return shape;
}

class BoundTree final : public QTreeWidget {
public:
    BoundTree(TreeView& control, QWidget* parent) : QTreeWidget(parent), control_(control) {
        setColumnCount(1);
        header()->hide();
        setSelectionMode(QAbstractItemView::SingleSelection);
        connection_ = control.Changed.Connect([this] { Sync(); });
        connect(this, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item) { OnItemChanged(item); });
        connect(this, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) { OnItemClicked(item); });
        connect(this, &QTreeWidget::currentItemChanged, this,
                [this](QTreeWidgetItem* current) { OnCurrentItemChanged(current); });
        connect(this, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* item) { OnExpanded(item, true); });
        connect(this, &QTreeWidget::itemCollapsed, this, [this](QTreeWidgetItem* item) { OnExpanded(item, false); });
        Sync();
    }
    ~BoundTree() override {
        // Qt's teardown below must not reach the handlers above, whose members are gone by then.
        blockSignals(true);
    }
    BoundTree(const BoundTree&) = delete;
    BoundTree& operator=(const BoundTree&) = delete;

    /// Makes the widget show the tree as it is now.
    void Sync() {
        // Inside Qt's own handling of a user event the items must stay put; the event's end syncs.
        if (handling_ > 0) {
            return;
        }
        const QSignalBlocker blocker(this);
        TreeShape shape = ShapeOf(control_);
        if (!shape.SameAs(shape_)) {
            Rebuild(std::move(shape));
        }
        const bool checkboxes = control_.Checkboxes();
        for (const TreeNodePtr& node : shape_.nodes) {
            QTreeWidgetItem* item = items_.at(node.get());
            item->setText(0, ToQString(node->Text()));
            if (checkboxes) {
                item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
                item->setCheckState(0, node->Checked() ? Qt::Checked : Qt::Unchecked);
            } else {
                item->setFlags(item->flags() & ~Qt::ItemIsUserCheckable);
                item->setData(0, Qt::CheckStateRole, QVariant());
            }
            item->setExpanded(node->Expanded());
        }
        const TreeNodePtr selected = control_.SelectedItem();
        if (selected != nullptr) {
            setCurrentItem(items_.at(selected.get()));
        } else {
            setCurrentItem(nullptr);
            clearSelection();
        }
    }

protected:
    bool viewportEvent(QEvent* event) override {
        const QEvent::Type type = event->type();
        const bool input = type == QEvent::MouseButtonPress || type == QEvent::MouseButtonRelease ||
                           type == QEvent::MouseButtonDblClick;
        const HandlingUserEvent handling(*this, input, type == QEvent::MouseButtonPress);
        return QTreeWidget::viewportEvent(event);
    }

    void keyPressEvent(QKeyEvent* event) override {
        const HandlingUserEvent handling(*this, true, false);
        QTreeWidget::keyPressEvent(event);
    }

private:
    /// Marks Qt's handling of a user's input: the items stay as they are until it ends, then follow the tree.
    class HandlingUserEvent {
    public:
        HandlingUserEvent(BoundTree& tree, bool input, bool press) : tree_(tree), input_(input) {
            if (input_ && tree_.handling_++ == 0) {
                tree_.pressing_ = press;
                tree_.checked_in_event_ = false;
            }
        }
        ~HandlingUserEvent() {
            if (input_ && --tree_.handling_ == 0) {
                tree_.Sync();
            }
        }
        HandlingUserEvent(const HandlingUserEvent&) = delete;
        HandlingUserEvent& operator=(const HandlingUserEvent&) = delete;

    private:
        BoundTree& tree_;
        bool input_;
    };

    void Rebuild(TreeShape shape) {
        clear();
        items_.clear();
        nodes_.clear();
        for (size_t i = 0; i < shape.nodes.size(); ++i) {
            const TreeNodePtr& node = shape.nodes[i];
            QTreeWidgetItem* item = shape.parents[i] == nullptr ? new QTreeWidgetItem(this)
                                                                : new QTreeWidgetItem(items_.at(shape.parents[i]));
            item->setData(0, Qt::UserRole, ToQString(node->Key()));
            items_.emplace(node.get(), item);
            nodes_.emplace(item, node);
        }
        shape_ = std::move(shape);
    }

    TreeNodePtr NodeOf(QTreeWidgetItem* item) const {
        const auto found = nodes_.find(item);
        return found != nodes_.end() && found->second->Alive() ? found->second : nullptr;
    }

    void OnItemChanged(QTreeWidgetItem* item) {
        const TreeNodePtr node = NodeOf(item);
        if (node == nullptr || !control_.Checkboxes()) {
            return;
        }
        if ((item->checkState(0) == Qt::Checked) != node->Checked()) {
            checked_in_event_ = true;
            RunUserAction("checking a tree node", [&] { control_.UserCheck(node); });
            Sync();
        }
    }

    void OnItemClicked(QTreeWidgetItem* item) {
        // A click on a node's check box checks it and does not count as a click on the node.
        if (checked_in_event_) {
            return;
        }
        if (const TreeNodePtr node = NodeOf(item)) {
            RunUserAction("a click on a tree node", [&] { control_.UserClick(node); });
            Sync();
        }
    }

    void OnCurrentItemChanged(QTreeWidgetItem* current) {
        // A mouse press moves the current item before Qt knows whether it is a click; the click reports it.
        if (pressing_ || current == nullptr) {
            return;
        }
        if (const TreeNodePtr node = NodeOf(current)) {
            RunUserAction("moving to a tree node", [&] { control_.UserClick(node); });
            Sync();
        }
    }

    void OnExpanded(QTreeWidgetItem* item, bool expanded) {
        if (const TreeNodePtr node = NodeOf(item)) {
            RunUserAction("opening or closing a tree node", [&] { control_.UserExpand(node, expanded); });
            Sync();
        }
    }

    TreeView& control_;
    platform::ScopedConnection connection_;
    TreeShape shape_;
    std::unordered_map<const TreeNode*, QTreeWidgetItem*> items_;
    std::unordered_map<QTreeWidgetItem*, TreeNodePtr> nodes_;
    int handling_ = 0;
    bool pressing_ = false;
    bool checked_in_event_ = false;
};

} // namespace

QTreeWidget* BindTreeView(TreeView& control, QWidget* parent, Placement placement) {
    auto* tree = new BoundTree(control, parent);
    FollowControl(*tree, control, placement);
    return tree;
}

} // namespace chronova::qtui
