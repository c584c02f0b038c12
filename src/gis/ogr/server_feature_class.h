#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "gis/data/server_table.h"
#include "gis/ogr/layer_rows.h"
#include "gis/ogr/server_connections.h"
#include "gis/ogr/server_row_cache.h"
#include "gis/sql/node.h"
#include "gis/sql/server_condition.h"

namespace chronova::gis {

/// What the tables of one server workspace share: the connections and the rows fetched so far. Fetches on the
/// cache's worker hold the connections only, so that the cache is never released on its own worker thread.
struct ServerSource {
    ServerSource(std::string connection, std::vector<std::string> open_options, size_t cache_budget)
        : Connections(std::make_shared<ServerConnections>(std::move(connection), std::move(open_options))),
          Cache(cache_budget) {}
    std::shared_ptr<ServerConnections> Connections;
    ServerRowCache Cache;
};

/// A feature class (or a table without shapes) whose rows stay in a PostgreSQL table or query and are fetched a
/// restriction at a time through GDAL's PostgreSQL driver: the restriction becomes a condition the server answers
/// with its indexes, the rows come into memory only for the current step, are kept for a while by the workspace's
/// cache, and the next steps of a playback are fetched ahead on a worker thread.
class ServerFeatureClass final : public IServerTable, public IFeatureClass {
public:
    /// A table as GDAL names it ("fixes", "tracking.fixes"), or, when `query` is set, the rows of a SELECT query.
    /// Reads the source's description; raises 5 when the table does not exist or the query does not run.
    ServerFeatureClass(std::shared_ptr<ServerSource> source, std::string table_or_query, bool query, std::string name,
                       const std::shared_ptr<IWorkspace>& workspace);

    std::string Name() const override { return name_; }
    DatasetType Type() const override {
        return schema_.ShapeFieldName.empty() ? DatasetType::Table : DatasetType::FeatureClass;
    }
    std::shared_ptr<IWorkspace> Workspace() const override { return workspace_; }
    std::shared_ptr<const ColumnTable> Data() const override { return Current().Data; }
    const std::vector<Field>& Fields() const override { return schema_.Fields; }
    using ITable::RowCount;
    /// Counted by the server; a clause the server cannot answer exactly is evaluated on the rows it narrows to.
    int32_t RowCount(std::string_view where_clause) const override;
    bool HasRows() const override;
    int32_t FindField(std::string_view name) const override;

    GeometryType ShapeType() const override { return schema_.ShapeType; }
    std::string ShapeFieldName() const override { return schema_.ShapeFieldName; }
    std::shared_ptr<const GeometryColumn> Shapes() const override { return Current().Shapes; }
    Envelope Extent() const override;
    std::string SpatialReference() const override { return schema_.SpatialReference; }

    void Restrict(const WhereClause& clause, const platform::TimeReading& reading) override;
    std::shared_ptr<ITable> DistinctValues(std::string_view field) override;
    uint64_t RowsFetched() const override { return fetched_->load(); }
    std::string ServerCondition() const override { return wanted_condition_; }

private:
    // The rows of the wanted condition, fetched when they are not those held.
    const LayerContents& Current() const;
    ServerRowCache::Fetch FetchFor(const std::string& condition) const;
    std::string Key(const std::string& condition) const;
    // Asks for the rows of the next steps of a playback ahead of time.
    void PrefetchNextSteps() const;
    // The number a query of one row and one column returns.
    int64_t NumberFromServer(const std::string& query) const;
    GeometryType QueryShapeType(GDALDatasetH dataset) const;
    // The FROM part of a query on the source.
    std::string FromClause() const;

    std::shared_ptr<ServerSource> source_;
    std::string table_or_query_;
    bool query_;
    std::string name_;
    // Held: a layer keeps its workspace open, and the workspace keeps none of its tables.
    std::shared_ptr<IWorkspace> workspace_;
    LayerSchema schema_;
    std::vector<sql::ServerColumn> columns_;
    std::shared_ptr<std::atomic<uint64_t>> fetched_ = std::make_shared<std::atomic<uint64_t>>(0);
    mutable std::optional<Envelope> extent_;

    // What the layer wants and what is held.
    WhereClause wanted_clause_;
    platform::TimeReading reading_;
    std::string wanted_condition_;
    mutable std::optional<std::string> held_condition_;
    mutable ServerRowCache::Rows held_;

    // The steps of the field last asked for its distinct values, to tell which rows a playback wants next.
    std::string steps_field_;
    std::vector<sql::Literal> steps_;
    mutable std::optional<size_t> last_step_;
};

} // namespace chronova::gis
