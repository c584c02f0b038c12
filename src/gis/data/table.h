#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "gis/data/column_table.h"
#include "gis/data/field.h"
#include "gis/data/geometry_column.h"
#include "gis/data/row_ids.h"
#include "platform/variant.h"

namespace chronova::gis {

class IWorkspace;

/// The host's dataset type codes.
enum class DatasetType : int32_t {
    Any = 1,
    FeatureDataset = 4,
    FeatureClass = 5,
    Table = 10,
    RasterDataset = 12,
};

/// Anything stored in a workspace: a feature class, a table, a query table, a joined table.
class IDataset : public virtual platform::IUnknown {
public:
    virtual std::string Name() const = 0;
    /// The name a catalog shows; the stored name for our workspaces.
    virtual std::string BrowseName() const { return Name(); }
    virtual DatasetType Type() const = 0;
    /// The workspace the dataset lives in; null for a joined table.
    virtual std::shared_ptr<IWorkspace> Workspace() const = 0;
};

/// Walks the rows a search selected.
class Cursor {
public:
    Cursor(std::shared_ptr<const ColumnTable> data, RowIds rows);

    /// The next selected row's position in Data(), or nothing at the end.
    std::optional<uint32_t> NextRow();
    const ColumnTable& Data() const noexcept { return *data_; }
    const std::shared_ptr<const ColumnTable>& DataPointer() const noexcept { return data_; }
    const RowIds& Rows() const noexcept { return rows_; }

private:
    std::shared_ptr<const ColumnTable> data_;
    RowIds rows_;
    size_t next_ = 0;
};

/// Rows and fields: a table, a feature class, a query table or a joined table.
class ITable : public virtual IDataset {
public:
    /// The table's whole attribute data; the same object on every call.
    virtual std::shared_ptr<const ColumnTable> Data() const = 0;

    /// The fields of Data(); a table whose rows stay on a server answers without fetching rows.
    virtual const std::vector<Field>& Fields() const { return Data()->Fields(); }
    virtual int32_t FindField(std::string_view name) const { return Data()->FindField(name); }
    /// Rows the where clause lets through (all for an empty clause); raises on a clause that does not parse. A table
    /// whose rows stay on a server counts there.
    int32_t RowCount() const { return RowCount(std::string_view{}); }
    virtual int32_t RowCount(std::string_view where_clause) const;
    /// Whether there is a row at all; a table on a server asks without counting every row.
    virtual bool HasRows() const { return RowCount() > 0; }
    /// A cursor over the rows the where clause lets through; raises on a clause that does not parse.
    Cursor Search(std::string_view where_clause = {}) const;
};

/// A table whose rows are features with a shape.
class IFeatureClass : public virtual ITable {
public:
    virtual GeometryType ShapeType() const = 0;
    virtual std::string ShapeFieldName() const = 0;
    /// The shapes in row order of Data(); the same object on every call.
    virtual std::shared_ptr<const GeometryColumn> Shapes() const = 0;
    /// The extent of all the features, and their spatial reference (WKT); from Shapes() unless the rows stay on a
    /// server, which answers them without sending rows.
    virtual Envelope Extent() const;
    virtual std::string SpatialReference() const;
    int32_t FeatureCount(std::string_view where_clause = {}) const { return RowCount(where_clause); }
};

/// A folder of shapefiles or a single-file geodatabase.
class IWorkspace : public virtual platform::IUnknown {
public:
    /// The folder or file the workspace was opened from.
    virtual std::string PathName() const = 0;
    /// Names of the datasets of a type (Any for all), in the workspace's order.
    virtual std::vector<std::string> DatasetNames(DatasetType type) const = 0;
};

struct QueryDef;

/// A workspace whose tables and feature classes can be opened by name.
class IFeatureWorkspace : public virtual IWorkspace {
public:
    /// Raises when the workspace has no such table (feature classes are tables too).
    virtual std::shared_ptr<ITable> OpenTable(std::string_view name) = 0;
    /// Raises when the workspace has no such feature class.
    virtual std::shared_ptr<IFeatureClass> OpenFeatureClass(std::string_view name) = 0;
};

/// Marks the single-file geodatabase workspace, which the system tells apart from shapefile folders.
class IGeodatabaseWorkspace : public virtual IWorkspace {};

} // namespace chronova::gis
