#include "gis/data/memory_table.h"

#include "platform/automation_error.h"

namespace chronova::gis {

MemoryTable::MemoryTable(std::shared_ptr<const ColumnTable> data, std::string name,
                         const std::shared_ptr<IWorkspace>& workspace)
    : data_(std::move(data)), name_(std::move(name)), workspace_(workspace) {
    if (data_ == nullptr) {
        platform::RaiseError(platform::error::kObjectNotSet, "A memory table needs its column data.");
    }
    if (name_.empty()) {
        name_ = data_->Name();
    }
}

} // namespace chronova::gis
