#pragma once

#include "platform/event.h"
#include "platform/ui/control.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace chronova::platform::ui {

class TreeView;
class TreeNode;

/// A handle to a tree node. It stays safe to hold after the node is removed or the tree is gone: the node
/// then reports error 35605 ("Control has been deleted") instead of touching freed memory.
using TreeNodePtr = std::shared_ptr<TreeNode>;

/// Where Nodes().Add places a node relative to an existing one, with the classic numeric values.
enum class TreeRelationship : int16_t {
    First = 0,    ///< first sibling at the relative's level
    Last = 1,     ///< last sibling at the relative's level
    Next = 2,     ///< right after the relative
    Previous = 3, ///< right before the relative
    Child = 4,    ///< last child of the relative
};

/// The error a handle to a removed node raises, with the classic control's number.
inline constexpr int32_t kNodeDeletedError = 35605;

/// One node of a TreeView: a key, a text, a check mark, an expanded state and links to its relatives.
class TreeNode : public std::enable_shared_from_this<TreeNode> {
    struct Token {};

public:
    TreeNode(Token, TreeView* tree, std::string key, std::string text);
    TreeNode(const TreeNode&) = delete;
    TreeNode& operator=(const TreeNode&) = delete;

    /// False once the node was removed or its tree destroyed; every other member then raises 35605.
    bool Alive() const noexcept { return tree_ != nullptr; }

    const std::string& Key() const;
    /// The 1-based position in the tree's Nodes collection (the order nodes were added in).
    int32_t Index() const;

    const std::string& Text() const;
    //! Changes the text shown; raises the tree's Changed when it really changes.
    void Text(std::string_view value);

    bool Checked() const;
    //! Sets the check mark. From code this raises no NodeCheck, as with the classic control: forms that
    //! cascade a check to the children rely on that to stop at one level. Raises the tree's Changed.
    void Checked(bool value);

    bool Expanded() const;
    //! Expands or collapses the node; raises Expand or Collapse when it really changes, from code as from
    //! the user.
    void Expanded(bool value);

    bool Selected() const;
    //! Makes the node the tree's selected node, or leaves no node selected; from code this raises no
    //! NodeClick.
    void Selected(bool value);

    const std::string& Tag() const;
    //! Text the form keeps with the node.
    void Tag(std::string_view value);

    /// The number of direct children.
    int32_t Children() const;
    /// The first child, or null.
    TreeNodePtr Child() const;
    /// The next sibling, or null.
    TreeNodePtr Next() const;
    /// The previous sibling, or null.
    TreeNodePtr Previous() const;
    /// The parent, or null for a root node.
    TreeNodePtr Parent() const;
    /// The root node above this one (the node itself for a root).
    TreeNodePtr Root() const;
    TreeNodePtr FirstSibling() const;
    TreeNodePtr LastSibling() const;

private:
    friend class TreeView;
    friend class TreeNodes;

    void CheckAlive() const;
    TreeView& Tree() const;
    TreeNodePtr Handle() const { return const_cast<TreeNode*>(this)->shared_from_this(); }

    TreeView* tree_;
    std::string key_;
    std::string text_;
    std::string tag_;
    bool checked_ = false;
    bool expanded_ = false;
    int32_t index_ = 0;
    int32_t child_count_ = 0;
    // Links inside the tree; the tree owns every node, so plain pointers are enough and are cleared when a
    // node leaves the tree.
    TreeNode* parent_ = nullptr;
    TreeNode* first_child_ = nullptr;
    TreeNode* last_child_ = nullptr;
    TreeNode* prev_ = nullptr;
    TreeNode* next_ = nullptr;
};

/// The Nodes collection of a TreeView: adds, finds and removes nodes.
class TreeNodes {
public:
    explicit TreeNodes(TreeView& tree) : tree_(tree) {}
    TreeNodes(const TreeNodes&) = delete;
    TreeNodes& operator=(const TreeNodes&) = delete;

    /// Adds a node relative to the node with the relative key; without a relative key the node becomes the
    /// last root. An empty key leaves the node without one. Errors: 457 for a key in use, 9 for an unknown
    /// relative key, 5 for a relationship outside 0..4.
    TreeNodePtr Add(std::string_view relative_key, TreeRelationship relationship, std::string_view key,
                    std::string_view text);
    /// Adds a node relative to a node of this tree (null: last root).
    TreeNodePtr Add(const TreeNodePtr& relative, TreeRelationship relationship, std::string_view key,
                    std::string_view text);

    /// Removes a node with its whole subtree; handles to them become dead. Error 9 for an unknown key.
    void Remove(std::string_view key);
    /// Removes the node at a 1-based index; error 9 outside 1..Count.
    void Remove(int32_t index);
    void Remove(const TreeNodePtr& node);
    /// Removes every node; no node is selected afterwards.
    void Clear();

    int32_t Count() const noexcept;
    /// The node with the key; error 9 when there is none.
    TreeNodePtr Item(std::string_view key) const;
    /// The node at a 1-based index in the order nodes were added; error 9 outside 1..Count.
    TreeNodePtr Item(int32_t index) const;
    /// The node with the key, or null: for code that asks whether a node exists.
    TreeNodePtr Find(std::string_view key) const;

private:
    TreeView& tree_;
};

/// A headless tree view with optional check boxes. Changing a node's check mark or the selection from code
/// raises no NodeCheck or NodeClick, exactly as the classic control behaves; only the user's actions
/// (UserCheck, UserClick) raise them. Expanding or collapsing raises Expand or Collapse either way. The
/// control's Changed follows everything a display shows: nodes added or removed, a node's text, check mark or
/// expansion, the selection, the check boxes, and Refresh.
/// Handlers may add, remove or clear nodes, or destroy the tree, while a notification runs.
class TreeView : public Control {
public:
    TreeView() = default;
    TreeView(const TreeView&) = delete;
    TreeView& operator=(const TreeView&) = delete;
    //! Kills the handles still held elsewhere so that they report 35605 rather than reach a freed tree.
    ~TreeView();

    TreeNodes& Nodes() noexcept { return nodes_; }
    const TreeNodes& Nodes() const noexcept { return nodes_; }

    /// The selected node, or null.
    TreeNodePtr SelectedItem() const;
    //! Selects a node of this tree (null: none) without raising NodeClick. Error 35605 for a removed node,
    //! 5 for a node of another tree.
    void SelectedItem(const TreeNodePtr& node);

    bool Checkboxes() const noexcept { return checkboxes_; }
    //! Shows a check box on every node; without them the user cannot check nodes.
    void Checkboxes(bool value);

    /// Repaints the tree: raises Changed so that a binding redraws every node.
    void Refresh() { Changed.Fire(); }

    /// The user clicks a node: it becomes selected and NodeClick is raised, on every click.
    void UserClick(const TreeNodePtr& node);
    /// The user clicks a node's check box: the check mark toggles and NodeCheck is raised.
    void UserCheck(const TreeNodePtr& node);
    /// The user opens or closes a node with its plus or minus sign.
    void UserExpand(const TreeNodePtr& node, bool expanded);

    /// Raised after the user changed a node's check mark.
    Event<TreeNodePtr> NodeCheck;
    /// Raised when the user clicks a node, after it became selected.
    Event<TreeNodePtr> NodeClick;
    /// Raised after a node was expanded.
    Event<TreeNodePtr> Expand;
    /// Raised after a node was collapsed.
    Event<TreeNodePtr> Collapse;

private:
    friend class TreeNode;
    friend class TreeNodes;

    TreeNode* Resolve(const TreeNodePtr& node) const;
    void Link(TreeNode* node, TreeNode* parent, TreeNode* before) noexcept;
    void Unlink(TreeNode* node) noexcept;
    TreeNodePtr AddNode(TreeNode* relative, TreeRelationship relationship, std::string_view key, std::string_view text);
    void RemoveNode(TreeNodePtr node);
    void ClearNodes();
    void Select(TreeNode* node);
    void Renumber() noexcept;
    // Cuts a node loose: it stops reaching the tree and the other nodes, which may then be freed.
    static void Detach(TreeNode& node) noexcept;

    TreeNodes nodes_{*this};
    std::vector<TreeNodePtr> all_; // every node, in the order added
    std::unordered_map<std::string, TreeNode*> keys_;
    TreeNode* first_root_ = nullptr;
    TreeNode* last_root_ = nullptr;
    TreeNode* selected_ = nullptr;
    bool checkboxes_ = false;
};

} // namespace chronova::platform::ui
