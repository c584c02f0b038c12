#include "platform/ui/tree_view.h"

#include "platform/automation_error.h"

#include <utility>

namespace chronova::platform::ui {
namespace {

[[noreturn]] void RaiseNodeDeleted() {
    RaiseError(kNodeDeletedError, "Control has been deleted");
}

} // namespace

TreeNode::TreeNode(Token, TreeView* tree, std::string key, std::string text)
    : tree_(tree), key_(std::move(key)), text_(std::move(text)) {}

void TreeNode::CheckAlive() const {
    if (tree_ == nullptr) {
        RaiseNodeDeleted();
    }
}

TreeView& TreeNode::Tree() const {
    CheckAlive();
    return *tree_;
}

const std::string& TreeNode::Key() const {
    CheckAlive();
    return key_;
}

int32_t TreeNode::Index() const {
    CheckAlive();
    return index_;
}

const std::string& TreeNode::Text() const {
    CheckAlive();
    return text_;
}

void TreeNode::Text(std::string_view value) {
    TreeView& tree = Tree();
    if (value == text_) {
        return;
    }
    text_ = value;
    tree.Changed.Fire();
}

bool TreeNode::Checked() const {
    CheckAlive();
    return checked_;
}

void TreeNode::Checked(bool value) {
    TreeView& tree = Tree();
    if (value == checked_) {
        return;
    }
    checked_ = value;
    tree.Changed.Fire();
}

bool TreeNode::Expanded() const {
    CheckAlive();
    return expanded_;
}

void TreeNode::Expanded(bool value) {
    CheckAlive();
    if (value == expanded_) {
        return;
    }
    expanded_ = value;
    const TreeNodePtr self = Handle();
    tree_->Changed.Fire();
    // A handler may have removed the node or destroyed the tree; then nobody is left to tell.
    if (tree_ == nullptr) {
        return;
    }
    (value ? tree_->Expand : tree_->Collapse).Fire(self);
}

bool TreeNode::Selected() const {
    return Tree().selected_ == this;
}

void TreeNode::Selected(bool value) {
    TreeView& tree = Tree();
    if (value) {
        tree.Select(this);
    } else if (tree.selected_ == this) {
        tree.Select(nullptr);
    }
}

const std::string& TreeNode::Tag() const {
    CheckAlive();
    return tag_;
}

void TreeNode::Tag(std::string_view value) {
    CheckAlive();
    tag_ = value;
}

int32_t TreeNode::Children() const {
    CheckAlive();
    return child_count_;
}

TreeNodePtr TreeNode::Child() const {
    CheckAlive();
    return first_child_ != nullptr ? first_child_->Handle() : nullptr;
}

TreeNodePtr TreeNode::Next() const {
    CheckAlive();
    return next_ != nullptr ? next_->Handle() : nullptr;
}

TreeNodePtr TreeNode::Previous() const {
    CheckAlive();
    return prev_ != nullptr ? prev_->Handle() : nullptr;
}

TreeNodePtr TreeNode::Parent() const {
    CheckAlive();
    return parent_ != nullptr ? parent_->Handle() : nullptr;
}

TreeNodePtr TreeNode::Root() const {
    CheckAlive();
    const TreeNode* node = this;
    while (node->parent_ != nullptr) {
        node = node->parent_;
    }
    return node->Handle();
}

TreeNodePtr TreeNode::FirstSibling() const {
    const TreeView& tree = Tree();
    return (parent_ != nullptr ? parent_->first_child_ : tree.first_root_)->Handle();
}

TreeNodePtr TreeNode::LastSibling() const {
    const TreeView& tree = Tree();
    return (parent_ != nullptr ? parent_->last_child_ : tree.last_root_)->Handle();
}

TreeNodePtr TreeNodes::Add(std::string_view relative_key, TreeRelationship relationship, std::string_view key,
                           std::string_view text) {
    TreeNode* relative = nullptr;
    if (!relative_key.empty()) {
        const auto found = tree_.keys_.find(std::string(relative_key));
        if (found == tree_.keys_.end()) {
            RaiseError(error::kSubscriptOutOfRange, "Element not found");
        }
        relative = found->second;
    }
    return tree_.AddNode(relative, relationship, key, text);
}

TreeNodePtr TreeNodes::Add(const TreeNodePtr& relative, TreeRelationship relationship, std::string_view key,
                           std::string_view text) {
    return tree_.AddNode(relative != nullptr ? tree_.Resolve(relative) : nullptr, relationship, key, text);
}

void TreeNodes::Remove(std::string_view key) {
    tree_.RemoveNode(Item(key));
}

void TreeNodes::Remove(int32_t index) {
    tree_.RemoveNode(Item(index));
}

void TreeNodes::Remove(const TreeNodePtr& node) {
    tree_.RemoveNode(node);
}

void TreeNodes::Clear() {
    tree_.ClearNodes();
}

int32_t TreeNodes::Count() const noexcept {
    return static_cast<int32_t>(tree_.all_.size());
}

TreeNodePtr TreeNodes::Item(std::string_view key) const {
    TreeNodePtr node = Find(key);
    if (node == nullptr) {
        RaiseError(error::kSubscriptOutOfRange, "Element not found");
    }
    return node;
}

TreeNodePtr TreeNodes::Item(int32_t index) const {
    if (index < 1 || index > Count()) {
        RaiseError(error::kSubscriptOutOfRange, "Index out of bounds");
    }
    return tree_.all_[static_cast<size_t>(index - 1)];
}

TreeNodePtr TreeNodes::Find(std::string_view key) const {
    if (key.empty()) {
        return nullptr;
    }
    const auto found = tree_.keys_.find(std::string(key));
    return found != tree_.keys_.end() ? found->second->Handle() : nullptr;
}

TreeView::~TreeView() {
    for (const TreeNodePtr& node : all_) {
        Detach(*node);
    }
}

void TreeView::Checkboxes(bool value) {
    if (value == checkboxes_) {
        return;
    }
    checkboxes_ = value;
    Changed.Fire();
}

TreeNodePtr TreeView::SelectedItem() const {
    return selected_ != nullptr ? selected_->Handle() : nullptr;
}

void TreeView::SelectedItem(const TreeNodePtr& node) {
    Select(node != nullptr ? Resolve(node) : nullptr);
}

void TreeView::UserClick(const TreeNodePtr& node) {
    TreeNode* target = Resolve(node);
    if (!Enabled() || !Visible()) {
        return;
    }
    // A handler may remove the node and drop the caller's reference; this copy keeps it alive until the end.
    const TreeNodePtr keep = node; // NOLINT(performance-unnecessary-copy-initialization)
    Select(target);
    // The tree may be gone or the node removed by a handler of the selection change.
    if (keep->tree_ != nullptr) {
        keep->tree_->NodeClick.Fire(keep);
    }
}

void TreeView::UserCheck(const TreeNodePtr& node) {
    Resolve(node);
    if (!Enabled() || !Visible() || !checkboxes_) {
        return;
    }
    // A handler may remove the node and drop the caller's reference; this copy keeps it alive until the end.
    const TreeNodePtr keep = node; // NOLINT(performance-unnecessary-copy-initialization)
    keep->Checked(!keep->checked_);
    if (keep->tree_ != nullptr) {
        keep->tree_->NodeCheck.Fire(keep);
    }
}

void TreeView::UserExpand(const TreeNodePtr& node, bool expanded) {
    Resolve(node);
    if (!Enabled() || !Visible()) {
        return;
    }
    // A handler may remove the node and drop the caller's reference; this copy keeps it alive until the end.
    const TreeNodePtr keep = node; // NOLINT(performance-unnecessary-copy-initialization)
    keep->Expanded(expanded);
}

TreeNode* TreeView::Resolve(const TreeNodePtr& node) const {
    if (node == nullptr) {
        RaiseError(error::kObjectNotSet);
    }
    if (node->tree_ == nullptr) {
        RaiseNodeDeleted();
    }
    if (node->tree_ != this) {
        RaiseError(error::kInvalidProcedureCall, "The node belongs to another tree");
    }
    return node.get();
}

void TreeView::Link(TreeNode* node, TreeNode* parent, TreeNode* before) noexcept {
    TreeNode*& first = parent != nullptr ? parent->first_child_ : first_root_;
    TreeNode*& last = parent != nullptr ? parent->last_child_ : last_root_;
    node->parent_ = parent;
    node->next_ = before;
    node->prev_ = before != nullptr ? before->prev_ : last;
    if (node->prev_ != nullptr) {
        node->prev_->next_ = node;
    } else {
        first = node;
    }
    if (before != nullptr) {
        before->prev_ = node;
    } else {
        last = node;
    }
    if (parent != nullptr) {
        ++parent->child_count_;
    }
}

void TreeView::Unlink(TreeNode* node) noexcept {
    TreeNode* parent = node->parent_;
    TreeNode*& first = parent != nullptr ? parent->first_child_ : first_root_;
    TreeNode*& last = parent != nullptr ? parent->last_child_ : last_root_;
    if (node->prev_ != nullptr) {
        node->prev_->next_ = node->next_;
    } else {
        first = node->next_;
    }
    if (node->next_ != nullptr) {
        node->next_->prev_ = node->prev_;
    } else {
        last = node->prev_;
    }
    if (parent != nullptr) {
        --parent->child_count_;
    }
    node->parent_ = node->prev_ = node->next_ = nullptr;
}

TreeNodePtr TreeView::AddNode(TreeNode* relative, TreeRelationship relationship, std::string_view key,
                              std::string_view text) {
    const auto code = static_cast<int16_t>(relationship);
    if (code < static_cast<int16_t>(TreeRelationship::First) || code > static_cast<int16_t>(TreeRelationship::Child)) {
        RaiseError(error::kInvalidProcedureCall, "Invalid relationship");
    }
    if (!key.empty() && keys_.contains(std::string(key))) {
        RaiseError(error::kKeyAlreadyAssociated, "Key is not unique in collection");
    }
    auto node = std::make_shared<TreeNode>(TreeNode::Token{}, this, std::string(key), std::string(text));
    TreeNode* raw = node.get();
    if (relative == nullptr) {
        Link(raw, nullptr, nullptr);
    } else {
        TreeNode* parent = relative->parent_;
        switch (relationship) {
        case TreeRelationship::First:
            Link(raw, parent, parent != nullptr ? parent->first_child_ : first_root_);
            break;
        case TreeRelationship::Last:
            Link(raw, parent, nullptr);
            break;
        case TreeRelationship::Next:
            Link(raw, parent, relative->next_);
            break;
        case TreeRelationship::Previous:
            Link(raw, parent, relative);
            break;
        case TreeRelationship::Child:
            Link(raw, relative, nullptr);
            break;
        }
    }
    all_.push_back(node);
    raw->index_ = static_cast<int32_t>(all_.size());
    if (!key.empty()) {
        keys_.emplace(raw->key_, raw);
    }
    Changed.Fire();
    return node;
}

// By value: the caller's handle may be one the removal itself releases.
void TreeView::RemoveNode(TreeNodePtr node) { // NOLINT(performance-unnecessary-value-param)
    TreeNode* root = Resolve(node);
    std::vector<TreeNode*> doomed{root};
    for (size_t i = 0; i < doomed.size(); ++i) {
        for (TreeNode* child = doomed[i]->first_child_; child != nullptr; child = child->next_) {
            doomed.push_back(child);
        }
    }
    Unlink(root);
    for (TreeNode* gone : doomed) {
        if (!gone->key_.empty()) {
            keys_.erase(gone->key_);
        }
        if (selected_ == gone) {
            selected_ = nullptr;
        }
        Detach(*gone);
    }
    // Descendants nobody else holds are freed here; nothing points at them any more.
    std::erase_if(all_, [](const TreeNodePtr& n) { return n->tree_ == nullptr; });
    Renumber();
    Changed.Fire();
}

void TreeView::ClearNodes() {
    if (all_.empty()) {
        return;
    }
    const std::vector<TreeNodePtr> doomed = std::move(all_);
    all_.clear();
    keys_.clear();
    first_root_ = last_root_ = selected_ = nullptr;
    for (const TreeNodePtr& gone : doomed) {
        Detach(*gone);
    }
    Changed.Fire();
}

void TreeView::Select(TreeNode* node) {
    if (node == selected_) {
        return;
    }
    selected_ = node;
    Changed.Fire();
}

void TreeView::Detach(TreeNode& node) noexcept {
    node.tree_ = nullptr;
    node.parent_ = node.first_child_ = node.last_child_ = node.prev_ = node.next_ = nullptr;
    node.child_count_ = 0;
}

void TreeView::Renumber() noexcept {
    for (size_t i = 0; i < all_.size(); ++i) {
        all_[i]->index_ = static_cast<int32_t>(i + 1);
    }
}

} // namespace chronova::platform::ui
