#include "platform/ui/list_box.h"

#include "platform/automation_error.h"

#include <algorithm>

namespace chronova::platform::ui {

size_t ListBox::CheckedIndex(int32_t index) const {
    if (index < 0 || index >= ListCount()) {
        RaiseError(error::kInvalidProcedureCall);
    }
    return static_cast<size_t>(index);
}

void ListBox::AddItem(std::string_view text, int32_t index) {
    if (index < -1 || index > ListCount()) {
        RaiseError(error::kInvalidProcedureCall);
    }
    const int32_t at = index == -1 ? ListCount() : index;
    items_.insert(items_.begin() + at, Item{std::string(text), 0, false});
    if (list_index_ >= at) {
        ++list_index_;
    }
    Changed.Fire();
}

void ListBox::RemoveItem(int32_t index) {
    items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(CheckedIndex(index)));
    if (list_index_ == index) {
        list_index_ = -1;
    } else if (list_index_ > index) {
        --list_index_;
    }
    Changed.Fire();
}

void ListBox::Clear() {
    if (items_.empty()) {
        return;
    }
    items_.clear();
    list_index_ = -1;
    Changed.Fire();
}

const std::string& ListBox::List(int32_t index) const {
    return items_[CheckedIndex(index)].text;
}

int32_t ListBox::ItemData(int32_t index) const {
    return items_[CheckedIndex(index)].data;
}

void ListBox::ItemData(int32_t index, int32_t value) {
    items_[CheckedIndex(index)].data = value;
}

bool ListBox::Selected(int32_t index) const {
    return items_[CheckedIndex(index)].selected;
}

void ListBox::Selected(int32_t index, bool value) {
    Item& item = items_[CheckedIndex(index)];
    if (item.selected == value) {
        return;
    }
    item.selected = value;
    Changed.Fire();
    Click.Fire();
}

int32_t ListBox::SelCount() const noexcept {
    return static_cast<int32_t>(std::count_if(items_.begin(), items_.end(), [](const Item& i) { return i.selected; }));
}

void ListBox::ListIndex(int32_t index) {
    if (index < -1 || index >= ListCount()) {
        RaiseError(380, "Invalid property value");
    }
    if (index == list_index_) {
        return;
    }
    list_index_ = index;
    Changed.Fire();
    Click.Fire();
}

} // namespace chronova::platform::ui
