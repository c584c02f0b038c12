#pragma once

#include <memory>
#include <string>

#include "gis/data/table.h"

namespace chronova::gis {

/// A table held in memory: a query table's rows, or data built by code rather than read from a file.
/// The column data is shared and never changed, so many tables and cursors can read it at once.
class MemoryTable : public virtual ITable {
public:
    /// A table over `data`, named `name` (the data's own name when empty), that reports `workspace` as
    /// its home. The workspace is not kept alive by the table, so a workspace may cache its tables.
    explicit MemoryTable(std::shared_ptr<const ColumnTable> data, std::string name = {},
                         const std::shared_ptr<IWorkspace>& workspace = nullptr);

    std::string Name() const override { return name_; }
    DatasetType Type() const override { return DatasetType::Table; }
    std::shared_ptr<IWorkspace> Workspace() const override { return workspace_.lock(); }
    std::shared_ptr<const ColumnTable> Data() const override { return data_; }

private:
    std::shared_ptr<const ColumnTable> data_;
    std::string name_;
    std::weak_ptr<IWorkspace> workspace_;
};

} // namespace chronova::gis
