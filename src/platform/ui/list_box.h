#pragma once

#include "platform/event.h"
#include "platform/ui/control.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace chronova::platform::ui {

/// A headless multi-select list box: entries with ItemData, a selected flag per entry and the current entry.
class ListBox : public Control {
public:
    ListBox() = default;
    ListBox(const ListBox&) = delete;
    ListBox& operator=(const ListBox&) = delete;

    /// Adds an unselected entry at the end or before index; the current entry stays the same. Error 5 for an
    /// index beyond the end.
    void AddItem(std::string_view text, int32_t index = -1);
    /// Removes an entry; removing the current one leaves no current entry. Error 5 for a bad index.
    void RemoveItem(int32_t index);
    /// Removes every entry; no Click.
    void Clear();

    int32_t ListCount() const noexcept { return static_cast<int32_t>(items_.size()); }
    /// The text of an entry; error 5 for a bad index.
    const std::string& List(int32_t index) const;
    int32_t ItemData(int32_t index) const;
    //! Attaches a number to an entry; error 5 for a bad index.
    void ItemData(int32_t index, int32_t value);

    bool Selected(int32_t index) const;
    //! Selects or deselects an entry; raises Click when it really changes, also from code. Error 5 for a bad
    //! index.
    void Selected(int32_t index, bool value);
    /// The number of selected entries.
    int32_t SelCount() const noexcept;

    int32_t ListIndex() const noexcept { return list_index_; }
    //! Makes an entry current (-1 for none); raises Click when it really changes. Error 380 outside
    //! -1..ListCount-1.
    void ListIndex(int32_t index);

    /// Raised after the selection or the current entry changed.
    Event<> Click;

private:
    struct Item {
        std::string text;
        int32_t data = 0;
        bool selected = false;
    };
    size_t CheckedIndex(int32_t index) const;

    std::vector<Item> items_;
    int32_t list_index_ = -1;
};

} // namespace chronova::platform::ui
