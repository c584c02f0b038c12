#include "gis/map/command_bars.h"

#include <algorithm>

#include "platform/automation_error.h"

namespace chronova::gis {
namespace {

void CheckIdentifier(const UID& id) {
    if (id.IsEmpty()) {
        platform::RaiseError(platform::error::kInvalidProcedureCall, "A UID without a value names nothing.");
    }
}

} // namespace

std::shared_ptr<CommandItem> CommandBar::Find(const UID& command) const {
    const auto found =
        std::find_if(items_.begin(), items_.end(), [&](const auto& item) { return item->ID() == command; });
    return found != items_.end() ? *found : nullptr;
}

std::shared_ptr<CommandItem> CommandBar::Add(const UID& command, int32_t index) {
    CheckIdentifier(command);
    if (index == -1) {
        index = Count();
    }
    if (index < 0 || index > Count()) {
        platform::RaiseError(platform::error::kSubscriptOutOfRange);
    }
    auto item = std::make_shared<CommandItem>(command);
    items_.insert(items_.begin() + index, item);
    return item;
}

void CommandBar::Delete(const std::shared_ptr<CommandItem>& item) {
    const auto found = std::find(items_.begin(), items_.end(), item);
    if (found != items_.end()) {
        items_.erase(found);
    }
}

std::shared_ptr<CommandItem> CommandBar::Item(int32_t index) const {
    if (index < 0 || index >= Count()) {
        platform::RaiseError(platform::error::kSubscriptOutOfRange);
    }
    return items_[static_cast<size_t>(index)];
}

CommandBars::CommandBars() {
    Create(UID(kStandardToolbarId), "Tools");
}

std::shared_ptr<CommandBar> CommandBars::Find(const UID& id) const {
    const auto found = std::find_if(bars_.begin(), bars_.end(), [&](const auto& bar) { return bar->ID() == id; });
    return found != bars_.end() ? *found : nullptr;
}

std::shared_ptr<CommandBar> CommandBars::Create(const UID& id, std::string caption) {
    CheckIdentifier(id);
    if (Find(id)) {
        platform::RaiseError(platform::error::kKeyAlreadyAssociated,
                             "A toolbar with the identifier " + id.Value() + " exists already.");
    }
    auto bar = std::make_shared<CommandBar>(id, std::move(caption));
    bars_.push_back(bar);
    return bar;
}

} // namespace chronova::gis
