// Tree view: placement of added nodes, keys and indexes, which actions raise which notifications, and handles
// that stay safe while handlers remove nodes or destroy the tree.
#include "platform/ui/tree_view.h"

#include "platform/automation_error.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace chronova::platform::ui {
namespace {

using Rel = TreeRelationship;

// Writes siblings as "A(B C) D", checking on the way that every link agrees with its counterpart.
std::string Render(const TreeNodePtr& first, const TreeNodePtr& parent) {
    std::string out;
    int32_t count = 0;
    for (TreeNodePtr node = first; node != nullptr; node = node->Next(), ++count) {
        EXPECT_EQ(node->Parent(), parent) << node->Key();
        EXPECT_EQ(node->FirstSibling(), first) << node->Key();
        if (node->Next() != nullptr) {
            EXPECT_EQ(node->Next()->Previous(), node) << node->Key();
        }
        out += (out.empty() ? "" : " ") + node->Key();
        if (node->Child() != nullptr) {
            out += "(" + Render(node->Child(), node) + ")";
        }
    }
    if (parent != nullptr) {
        EXPECT_EQ(parent->Children(), count) << parent->Key();
    }
    return out;
}

std::string Shape(const TreeView& tree) {
    return tree.Nodes().Count() == 0 ? "" : Render(tree.Nodes().Item(1)->Root()->FirstSibling(), nullptr);
}

void ExpectError(int32_t number, const std::function<void()>& action) {
    try {
        action();
        ADD_FAILURE() << "no error, expected " << number;
    } catch (const AutomationError& e) {
        EXPECT_EQ(e.Number(), number) << e.Description();
    }
}

// A(B C), then one node X placed relative to another.
void ExpectPlacement(std::string_view relative, Rel relationship, const std::string& expected) {
    TreeView tree;
    tree.Nodes().Add("", Rel::Last, "A", "a");
    tree.Nodes().Add("A", Rel::Child, "B", "b");
    tree.Nodes().Add("A", Rel::Child, "C", "c");
    tree.Nodes().Add(relative, relationship, "X", "x");
    EXPECT_EQ(Shape(tree), expected) << "relative " << relative << ", relationship " << static_cast<int>(relationship);
}

TEST(TreeViewTest, AddPlacesNodesByRelationship) {
    ExpectPlacement("B", Rel::First, "A(X B C)");
    ExpectPlacement("B", Rel::Last, "A(B C X)");
    ExpectPlacement("B", Rel::Next, "A(B X C)");
    ExpectPlacement("C", Rel::Next, "A(B C X)");
    ExpectPlacement("B", Rel::Previous, "A(X B C)");
    ExpectPlacement("C", Rel::Previous, "A(B X C)");
    ExpectPlacement("B", Rel::Child, "A(B(X) C)");
    ExpectPlacement("A", Rel::Next, "A(B C) X");
    ExpectPlacement("A", Rel::First, "X A(B C)");
    ExpectPlacement("", Rel::Child, "A(B C) X"); // no relative: last root
}

TEST(TreeViewTest, TemporaryRootBuildsTopLevelNodesInOrderAndLeaves) {
    // A placeholder root to chain "next" placements from, removed at the end.
    TreeView tree;
    TreeNodes& nodes = tree.Nodes();
    nodes.Add("", Rel::Last, "Temporary", "Layers");
    nodes.Add("Temporary", Rel::Next, "L1", "Roads*");
    nodes.Add("L1", Rel::Next, "L2", "Group")->Expanded(true);
    nodes.Add("L2", Rel::Child, "L3", "Wells*");
    nodes.Add("L3", Rel::Next, "L4", "Rain");
    nodes.Add("L2", Rel::Next, "L5", "Roads*"); // same text, its own key
    nodes.Remove("Temporary");
    EXPECT_EQ(Shape(tree), "L1 L2(L3 L4) L5");
    EXPECT_EQ(nodes.Count(), 5);
    EXPECT_EQ(nodes.Item(1)->Key(), "L1");
    EXPECT_EQ(nodes.Item("L4")->Index(), 4);
    EXPECT_EQ(nodes.Item("L4")->Root()->Key(), "L2");
    EXPECT_EQ(nodes.Item("L3")->LastSibling()->Key(), "L4");
    EXPECT_EQ(nodes.Find("Temporary"), nullptr);
}

TEST(TreeViewTest, KeysAndIndexesAreCheckedWithClassicErrors) {
    TreeView tree;
    TreeNodes& nodes = tree.Nodes();
    nodes.Add("", Rel::Last, "A", "a");
    nodes.Add("", Rel::Last, "", "no key");
    nodes.Add("", Rel::Last, "", "no key either");
    ExpectError(error::kKeyAlreadyAssociated, [&] { nodes.Add("", Rel::Last, "A", "again"); });
    ExpectError(error::kSubscriptOutOfRange, [&] { nodes.Add("missing", Rel::Child, "B", "b"); });
    ExpectError(error::kSubscriptOutOfRange, [&] { nodes.Item("missing"); });
    ExpectError(error::kSubscriptOutOfRange, [&] { nodes.Item(0); });
    ExpectError(error::kSubscriptOutOfRange, [&] { nodes.Item(4); });
    ExpectError(error::kInvalidProcedureCall, [&] { nodes.Add("A", static_cast<Rel>(5), "B", "b"); });
    EXPECT_EQ(nodes.Count(), 3);
    nodes.Remove(1);
    EXPECT_EQ(nodes.Item(1)->Text(), "no key");
    EXPECT_EQ(nodes.Item(2)->Index(), 2);
    nodes.Add("", Rel::Last, "A", "free again");
}

struct Recorder {
    explicit Recorder(TreeView& tree) {
        auto record = [this](const char* what) {
            return [this, what](const TreeNodePtr& node) { log.push_back(std::string(what) + ":" + Name(node)); };
        };
        connections.emplace_back(tree.NodeCheck.Connect(record("check")));
        connections.emplace_back(tree.NodeClick.Connect(record("click")));
        connections.emplace_back(tree.Expand.Connect(record("expand")));
        connections.emplace_back(tree.Collapse.Connect(record("collapse")));
        connections.emplace_back(tree.Changed.Connect([this] { log.emplace_back("changed"); }));
    }
    static std::string Name(const TreeNodePtr& node) {
        return node == nullptr ? "-" : node->Alive() ? node->Key() : "dead";
    }
    std::vector<std::string> Take() { return std::exchange(log, {}); }

    std::vector<std::string> log;
    std::vector<ScopedConnection> connections;
};

using Log = std::vector<std::string>;

TEST(TreeViewTest, CodeChangesRaiseNoCheckOrClickButUserActionsDo) {
    TreeView tree;
    tree.Checkboxes(true);
    const TreeNodePtr a = tree.Nodes().Add("", Rel::Last, "A", "a");
    Recorder rec(tree);

    a->Checked(true);
    a->Checked(true);
    tree.SelectedItem(a);
    a->Text("a");
    EXPECT_EQ(rec.Take(), (Log{"changed", "changed"}));

    tree.UserCheck(a);
    tree.UserClick(a);
    tree.UserClick(a); // every click is reported, also on the selected node
    a->Selected(false);
    EXPECT_EQ(rec.Take(), (Log{"changed", "check:A", "click:A", "click:A", "changed"}));
    EXPECT_FALSE(a->Checked());
    EXPECT_EQ(tree.SelectedItem(), nullptr);

    tree.Enabled(false);
    tree.UserCheck(a);
    tree.UserClick(a);
    tree.Enabled(true);
    tree.Checkboxes(false);
    tree.UserCheck(a);
    // The tree's own state changed three times; no node changed and the user was ignored.
    EXPECT_EQ(rec.Take(), (Log{"changed", "changed", "changed"}));
}

TEST(TreeViewTest, ExpandAndCollapseComeFromCodeAndUserOnRealChangesOnly) {
    TreeView tree;
    const TreeNodePtr a = tree.Nodes().Add("", Rel::Last, "A", "a");
    Recorder rec(tree);
    a->Expanded(true);
    a->Expanded(true);
    tree.UserExpand(a, false);
    EXPECT_EQ(rec.Take(), (Log{"changed", "expand:A", "changed", "collapse:A"}));

    // A tree that cannot be collapsed: the handler opens the node again.
    a->Expanded(true);
    rec.Take();
    ScopedConnection reopen = tree.Collapse.Connect([](const TreeNodePtr& node) { node->Expanded(true); });
    tree.UserExpand(a, false);
    EXPECT_TRUE(a->Expanded());
    EXPECT_EQ(rec.Take(), (Log{"changed", "collapse:A", "changed", "expand:A"}));
}

TEST(TreeViewTest, CheckHandlerCascadesOneLevelBecauseCodeChecksRaiseNothing) {
    TreeView tree;
    tree.Checkboxes(true);
    TreeNodes& nodes = tree.Nodes();
    const TreeNodePtr group = nodes.Add("", Rel::Last, "G", "group");
    nodes.Add("G", Rel::Child, "G1", "one");
    nodes.Add("G", Rel::Child, "G2", "two");
    nodes.Add("G2", Rel::Child, "G21", "grandchild");
    int calls = 0;
    ScopedConnection cascade = tree.NodeCheck.Connect([&](const TreeNodePtr& node) {
        ++calls;
        for (TreeNodePtr child = node->Child(); child != nullptr; child = child->Next()) {
            child->Checked(node->Checked());
        }
        tree.SelectedItem(node);
    });
    tree.UserCheck(group);
    EXPECT_EQ(calls, 1);
    EXPECT_TRUE(nodes.Item("G1")->Checked());
    EXPECT_TRUE(nodes.Item("G2")->Checked());
    EXPECT_FALSE(nodes.Item("G21")->Checked());
    EXPECT_EQ(tree.SelectedItem(), group);
}

TEST(TreeViewTest, RemovingASubtreeKillsItsHandlesAndDropsTheSelection) {
    TreeView tree;
    TreeView other;
    TreeNodes& nodes = tree.Nodes();
    nodes.Add("", Rel::Last, "A", "a");
    const TreeNodePtr b = nodes.Add("A", Rel::Child, "B", "b");
    nodes.Add("", Rel::Last, "C", "c");
    tree.SelectedItem(b);
    nodes.Remove("A");
    EXPECT_EQ(Shape(tree), "C");
    EXPECT_EQ(tree.SelectedItem(), nullptr);
    EXPECT_FALSE(b->Alive());
    ExpectError(kNodeDeletedError, [&] { (void)b->Text(); });
    ExpectError(kNodeDeletedError, [&] { b->Checked(true); });
    ExpectError(kNodeDeletedError, [&] { tree.SelectedItem(b); });
    ExpectError(error::kInvalidProcedureCall, [&] { other.SelectedItem(nodes.Item("C")); });
    ExpectError(error::kObjectNotSet, [&] { tree.UserClick(nullptr); });
    nodes.Add("", Rel::Last, "B", "key free again");
}

TEST(TreeViewTest, HandlersMayClearTheTreeWhileANotificationRuns) {
    TreeView tree;
    tree.Checkboxes(true);
    const TreeNodePtr a = tree.Nodes().Add("", Rel::Last, "A", "a");
    tree.Nodes().Add("A", Rel::Child, "B", "b");
    ScopedConnection clear = tree.NodeCheck.Connect([&](const TreeNodePtr&) { tree.Nodes().Clear(); });
    Recorder later(tree); // connected after the clearing handler: sees the node already dead
    tree.UserCheck(a);
    EXPECT_EQ(later.Take(), (Log{"changed", "changed", "check:dead"})); // the check, then the clearing
    EXPECT_EQ(tree.Nodes().Count(), 0);
    EXPECT_EQ(Shape(tree), "");
}

TEST(TreeViewTest, HandlesOutliveATreeDestroyedInsideItsOwnNotification) {
    auto tree = std::make_unique<TreeView>();
    const TreeNodePtr a = tree->Nodes().Add("", Rel::Last, "A", "a");
    const TreeNodePtr b = tree->Nodes().Add("A", Rel::Child, "B", "b");
    bool clicked = false;
    tree->Changed.Connect([&] { tree.reset(); });
    tree->NodeClick.Connect([&](const TreeNodePtr&) { clicked = true; });
    tree->UserClick(b);
    EXPECT_EQ(tree, nullptr);
    EXPECT_FALSE(clicked);
    EXPECT_FALSE(a->Alive());
    ExpectError(kNodeDeletedError, [&] { (void)b->Parent(); });
}

} // namespace
} // namespace chronova::platform::ui
