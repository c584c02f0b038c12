#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "gis/data/table.h"

namespace chronova::gis {

enum class Cardinality { OneToOne, OneToMany };
enum class JoinType { LeftOuterJoin = 0, InnerJoin = 1 };

/// A relationship kept in memory: rows of the origin table relate to rows of the destination table whose
/// destination key equals the origin key.
struct MemoryRelationshipClass {
    std::string Name;
    std::shared_ptr<ITable> Origin;
    std::string OriginKey;
    std::shared_ptr<ITable> Destination;
    std::string DestinationKey;
    Cardinality Kind = Cardinality::OneToOne;
    std::string ForwardLabel = "forward";
    std::string BackwardLabel = "backward";
};

/// The table a layer shows while a relationship is displayed as a join on it: each origin row with its
/// first matching destination row (an inner join keeps only origin rows with a match). Fields are named
/// "Origin.Field" and "Destination.Field" after the two tables' names; an origin that is itself joined
/// keeps its names. The dataset name is the destination table's name, which identifies the join in the
/// chain of joins on a layer.
class JoinedTable : public IFeatureClass {
public:
    /// Raises an AutomationError when a table is missing or a key field is not in its table.
    JoinedTable(std::shared_ptr<const MemoryRelationshipClass> relationship, JoinType join_type);

    const std::shared_ptr<const MemoryRelationshipClass>& RelationshipClass() const noexcept { return relationship_; }
    gis::JoinType JoinKind() const noexcept { return join_type_; }
    /// The origin: the layer's feature class or the join below this one.
    const std::shared_ptr<ITable>& SourceTable() const noexcept { return relationship_->Origin; }
    /// For each row of Data(), the row of the layer's own feature class it came from, ascending.
    const RowIds& FeatureRows() const noexcept { return feature_rows_; }
    /// A digest of everything the join yields (its field names and types, every value, the feature rows):
    /// two joins built from equal tables give the same digest, so what is drawn from a join made again for
    /// the same rows can be recognised. Computed once, on first use.
    uint64_t ContentDigest() const;

    std::string Name() const override;
    DatasetType Type() const override { return DatasetType::Table; }
    std::shared_ptr<IWorkspace> Workspace() const override { return nullptr; }
    std::shared_ptr<const ColumnTable> Data() const override { return data_; }
    GeometryType ShapeType() const override;
    std::string ShapeFieldName() const override;
    /// The shapes of the layer's own feature class (index them with FeatureRows()).
    std::shared_ptr<const GeometryColumn> Shapes() const override;

private:
    std::shared_ptr<const MemoryRelationshipClass> relationship_;
    JoinType join_type_;
    std::shared_ptr<const ColumnTable> data_;
    RowIds feature_rows_;
    mutable std::optional<uint64_t> digest_;
};

} // namespace chronova::gis
