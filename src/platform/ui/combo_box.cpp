#include "platform/ui/combo_box.h"

#include "platform/automation_error.h"

#include <utility>

namespace chronova::platform::ui {

size_t ComboBox::CheckedIndex(int32_t index) const {
    if (index < 0 || index >= ListCount()) {
        RaiseError(error::kInvalidProcedureCall);
    }
    return static_cast<size_t>(index);
}

void ComboBox::AddItem(std::string_view text, int32_t index) {
    if (index < -1 || index > ListCount()) {
        RaiseError(error::kInvalidProcedureCall);
    }
    const int32_t at = index == -1 ? ListCount() : index;
    items_.insert(items_.begin() + at, Item{std::string(text), 0});
    if (list_index_ >= at) {
        ++list_index_;
    }
    Changed.Fire();
}

void ComboBox::RemoveItem(int32_t index) {
    items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(CheckedIndex(index)));
    if (list_index_ == index) {
        list_index_ = -1;
    } else if (list_index_ > index) {
        --list_index_;
    }
    Changed.Fire();
}

void ComboBox::Clear() {
    if (items_.empty() && text_.empty()) {
        return;
    }
    items_.clear();
    list_index_ = -1;
    text_.clear();
    Changed.Fire();
}

const std::string& ComboBox::List(int32_t index) const {
    return items_[CheckedIndex(index)].text;
}

int32_t ComboBox::ItemData(int32_t index) const {
    return items_[CheckedIndex(index)].data;
}

void ComboBox::ItemData(int32_t index, int32_t value) {
    items_[CheckedIndex(index)].data = value;
}

void ComboBox::ListIndex(int32_t index) {
    if (index < -1 || index >= ListCount()) {
        RaiseError(380, "Invalid property value");
    }
    std::string text = index == -1 ? std::string() : items_[static_cast<size_t>(index)].text;
    if (index == list_index_) {
        if (text != text_) {
            text_ = std::move(text);
            Changed.Fire();
        }
        return;
    }
    text_ = std::move(text);
    list_index_ = index;
    Changed.Fire();
    Click.Fire();
}

void ComboBox::Text(std::string_view value) {
    int32_t match = -1;
    for (int32_t i = 0; i < ListCount() && match == -1; ++i) {
        if (items_[static_cast<size_t>(i)].text == value) {
            match = i;
        }
    }
    if (match != -1) {
        ListIndex(match);
        return;
    }
    if (value == text_ && list_index_ == -1) {
        return;
    }
    text_ = value;
    list_index_ = -1;
    Changed.Fire();
}

} // namespace chronova::platform::ui
