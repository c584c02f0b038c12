#pragma once

#include "platform/event.h"
#include "platform/ui/control.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace chronova::platform::ui {

/// A headless drop-down combo box: a list of texts, each with a number the form keeps with it (ItemData),
/// and the selected entry.
class ComboBox : public Control {
public:
    ComboBox() = default;
    ComboBox(const ComboBox&) = delete;
    ComboBox& operator=(const ComboBox&) = delete;

    /// Adds an entry at the end or before index; the selection stays on the same entry. Error 5 for an index
    /// beyond the end.
    void AddItem(std::string_view text, int32_t index = -1);
    /// Removes an entry; removing the selected one leaves nothing selected. Error 5 for a bad index.
    void RemoveItem(int32_t index);
    /// Removes every entry and the text; no Click.
    void Clear();

    int32_t ListCount() const noexcept { return static_cast<int32_t>(items_.size()); }
    /// The text of an entry; error 5 for a bad index.
    const std::string& List(int32_t index) const;
    int32_t ItemData(int32_t index) const;
    //! Attaches a number to an entry (forms keep an id there); error 5 for a bad index.
    void ItemData(int32_t index, int32_t value);

    int32_t ListIndex() const noexcept { return list_index_; }
    //! Selects an entry (-1 for none) and shows its text; raises Click when the selection really changes,
    //! also from code. Error 380 outside -1..ListCount-1.
    void ListIndex(int32_t index);

    const std::string& Text() const noexcept { return text_; }
    //! Shows a text; the first entry with exactly that text becomes selected (raising Click), or none.
    void Text(std::string_view value);

    /// Raised after the selected entry changed.
    Event<> Click;

private:
    struct Item {
        std::string text;
        int32_t data = 0;
    };
    size_t CheckedIndex(int32_t index) const;

    std::vector<Item> items_;
    int32_t list_index_ = -1;
    std::string text_;
};

} // namespace chronova::platform::ui
