#include "gis/ogr/server_feature_class.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <utility>

#include <ogr_api.h>

#include "gis/data/memory_table.h"
#include "gis/ogr/gdal_environment.h"
#include "gis/sql/step_shift.h"
#include "platform/automation_error.h"

namespace chronova::gis {

namespace {

// Rows beyond which the next steps are not fetched ahead: a window that large (every step so far, say) costs more
// to fetch twice than a playback saves.
constexpr size_t kMostRowsToPrefetch = 200'000;
// How many steps ahead a playback is fetched.
constexpr long kStepsAhead = 2;

// A table named as GDAL names it ("fixes", "tracking.fixes") quoted for SQL.
std::string QuotedTable(std::string_view name) {
    const size_t dot = name.find('.');
    if (dot == std::string_view::npos) {
        return sql::QuotedName(name);
    }
    return sql::QuotedName(name.substr(0, dot)) + "." + sql::QuotedName(name.substr(dot + 1));
}

sql::ServerColumnKind KindOf(FieldType type) {
    switch (type) {
    case FieldType::SmallInteger:
    case FieldType::Integer:
    case FieldType::OID:
        return sql::ServerColumnKind::Integer;
    case FieldType::Single:
        return sql::ServerColumnKind::Single;
    case FieldType::Double:
        return sql::ServerColumnKind::Real;
    case FieldType::String:
        return sql::ServerColumnKind::Text;
    case FieldType::Date:
        // Every connection reads in UTC, so a zoned column compares with a UTC literal like a plain one.
        return sql::ServerColumnKind::Timestamp;
    default:
        return sql::ServerColumnKind::Other;
    }
}

// A result set of a query, released when it goes out of scope.
struct ResultSet {
    GDALDatasetH dataset = nullptr;
    OGRLayerH layer = nullptr;
    ResultSet(GDALDatasetH on, const std::string& sql) : dataset(on) {
        layer = GDALDatasetExecuteSQL(dataset, sql.c_str(), nullptr, nullptr);
    }
    ResultSet(const ResultSet&) = delete;
    ResultSet& operator=(const ResultSet&) = delete;
    ~ResultSet() {
        if (layer != nullptr) {
            GDALDatasetReleaseResultSet(dataset, layer);
        }
    }
};

// The steps a distinct-values table holds, as literals of the host's clauses, ascending; nulls left out.
std::vector<sql::Literal> StepLiterals(const ColumnTable& table, size_t field) {
    const Column& column = table.ColumnAt(field);
    std::vector<sql::Literal> steps;
    steps.reserve(column.Size());
    for (size_t row = 0; row < column.Size(); ++row) {
        if (column.IsNull(row)) {
            continue;
        }
        sql::Literal literal;
        switch (column.StorageKind()) {
        case Column::Storage::Text:
            literal.kind = sql::Literal::Kind::Text;
            literal.text = column.Text(row);
            break;
        case Column::Storage::Integer:
        case Column::Storage::Real:
            literal.kind = column.Type() == FieldType::Date ? sql::Literal::Kind::Date : sql::Literal::Kind::Number;
            literal.number = column.Number(row);
            break;
        default:
            return {};
        }
        steps.push_back(std::move(literal));
    }
    // The server orders texts by its collation; the search over the steps needs byte order.
    std::sort(steps.begin(), steps.end(), [](const sql::Literal& a, const sql::Literal& b) {
        return a.kind == sql::Literal::Kind::Text ? a.text < b.text : a.number < b.number;
    });
    return steps;
}

} // namespace

ServerFeatureClass::ServerFeatureClass(std::shared_ptr<ServerSource> source, std::string table_or_query, bool query,
                                       std::string name, const std::shared_ptr<IWorkspace>& workspace)
    : source_(std::move(source)), table_or_query_(std::move(table_or_query)), query_(query), name_(std::move(name)),
      workspace_(workspace) {
    auto lease = source_->Connections->Acquire();
    GdalErrorTrap trap;
    if (query_) {
        {
            const ResultSet described(lease.Dataset(), "SELECT * FROM " + FromClause() + " LIMIT 0");
            if (described.layer == nullptr || trap.Failed()) {
                trap.Raise(platform::error::kInvalidProcedureCall, "The query of '" + name_ +
                                                                       "' cannot run on the database '" +
                                                                       source_->Connections->Name() + "'");
            }
            schema_ = DescribeLayer(described.layer, "");
        }
        if (!schema_.ShapeFieldName.empty() && schema_.ShapeType == GeometryType::Null) {
            schema_.ShapeType = QueryShapeType(lease.Dataset());
        }
    } else {
        OGRLayerH layer = GDALDatasetGetLayerByName(lease.Dataset(), table_or_query_.c_str());
        if (layer == nullptr) {
            platform::RaiseError(platform::error::kInvalidProcedureCall,
                                 "The database '" + source_->Connections->Name() + "' has no table '" +
                                     table_or_query_ + "'.");
        }
        schema_ = DescribeLayer(layer, "");
    }
    for (const Field& field : schema_.Fields) {
        if (field.Type != FieldType::Geometry) {
            columns_.push_back({field.Name, KindOf(field.Type)});
        }
    }
}

GeometryType ServerFeatureClass::QueryShapeType(GDALDatasetH dataset) const {
    // A query's result does not say what its geometries are; its first one does.
    const ResultSet first(dataset, "SELECT GeometryType(" + sql::QuotedName(schema_.ShapeFieldName) + ") FROM " +
                                       FromClause() + " WHERE " + sql::QuotedName(schema_.ShapeFieldName) +
                                       " IS NOT NULL LIMIT 1");
    const FeatureHandle row(first.layer != nullptr ? OGR_L_GetNextFeature(first.layer) : nullptr);
    const std::string type = row ? OGR_F_GetFieldAsString(row.get(), 0) : "";
    if (type == "POINT") {
        return GeometryType::Point;
    }
    if (type == "MULTIPOINT") {
        return GeometryType::Multipoint;
    }
    if (type.find("LINESTRING") != std::string::npos || type.find("CURVE") != std::string::npos) {
        return GeometryType::Polyline;
    }
    if (type.find("POLYGON") != std::string::npos || type.find("SURFACE") != std::string::npos) {
        return GeometryType::Polygon;
    }
    return GeometryType::Null;
}

int32_t ServerFeatureClass::FindField(std::string_view name) const {
    for (size_t i = 0; i < schema_.Fields.size(); ++i) {
        const std::string& own = schema_.Fields[i].Name;
        if (own.size() == name.size() && std::equal(own.begin(), own.end(), name.begin(), [](char a, char b) {
                return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
            })) {
            return static_cast<int32_t>(i);
        }
    }
    return -1;
}

int64_t ServerFeatureClass::NumberFromServer(const std::string& query) const {
    auto lease = source_->Connections->Acquire();
    GdalErrorTrap trap;
    const ResultSet result(lease.Dataset(), query);
    const FeatureHandle row(result.layer != nullptr ? OGR_L_GetNextFeature(result.layer) : nullptr);
    if (!row || trap.Failed()) {
        lease.Discard();
        trap.Raise(platform::error::kPathFileAccess, "The server cannot count the rows of '" + name_ + "'");
    }
    return OGR_F_GetFieldAsInteger64(row.get(), 0);
}

int32_t ServerFeatureClass::RowCount(std::string_view where_clause) const {
    const WhereClause clause = WhereClause::Parse(where_clause);
    const sql::ServerCondition condition =
        clause.Root() != nullptr ? sql::PostgresCondition(*clause.Root(), columns_) : sql::ServerCondition{"", true};
    if (condition.exact) {
        const int64_t count = NumberFromServer("SELECT count(*) AS n FROM " + FromClause() +
                                               (condition.sql.empty() ? "" : " WHERE " + condition.sql));
        if (count > INT32_MAX) {
            platform::RaiseError(platform::error::kOverflow,
                                 "The table '" + name_ + "' has more rows than " + std::to_string(INT32_MAX) + ".");
        }
        return static_cast<int32_t>(count);
    }
    const ServerRowCache::Rows rows = source_->Cache.Get(Key(condition.sql), FetchFor(condition.sql));
    return static_cast<int32_t>(clause.Select(*rows->Data).size());
}

bool ServerFeatureClass::HasRows() const {
    return NumberFromServer("SELECT CASE WHEN EXISTS (SELECT 1 FROM " + FromClause() + ") THEN 1 ELSE 0 END AS n") != 0;
}

std::string ServerFeatureClass::FromClause() const {
    return query_ ? "(" + table_or_query_ + ") AS chronova_query" : QuotedTable(table_or_query_);
}

std::string ServerFeatureClass::Key(const std::string& condition) const {
    return (query_ ? "query\n" : "table\n") + table_or_query_ + "\n" + condition;
}

ServerRowCache::Fetch ServerFeatureClass::FetchFor(const std::string& condition) const {
    // The fetch may run on the worker thread after this table is gone, so it holds what it needs.
    return [connections = source_->Connections, from = FromClause(), table = query_ ? std::string() : table_or_query_,
            condition, name = name_, fetched = fetched_]() -> ServerRowCache::Rows {
        auto lease = connections->Acquire();
        GdalErrorTrap trap;
        LayerContents rows;
        try {
            if (table.empty()) {
                const ResultSet result(lease.Dataset(),
                                       "SELECT * FROM " + from + (condition.empty() ? "" : " WHERE " + condition));
                if (result.layer == nullptr || trap.Failed()) {
                    trap.Raise(platform::error::kPathFileAccess,
                               "The rows of '" + name + "' cannot be read from '" + connections->Name() + "'");
                }
                rows = ReadLayerRows(result.layer, "", connections->Name() + ", " + name);
            } else {
                OGRLayerH layer = GDALDatasetGetLayerByName(lease.Dataset(), table.c_str());
                if (layer == nullptr) {
                    trap.Raise(platform::error::kPathFileAccess,
                               "The table '" + table + "' is gone from '" + connections->Name() + "'");
                }
                // The PostgreSQL driver hands the filter to the server as it stands.
                OGR_L_SetAttributeFilter(layer, condition.empty() ? nullptr : condition.c_str());
                if (trap.Failed()) {
                    trap.Raise(platform::error::kPathFileAccess,
                               "The server cannot select the rows of '" + name + "' by " + condition);
                }
                rows = ReadLayerRows(layer, "", connections->Name() + ", " + name);
                OGR_L_SetAttributeFilter(layer, nullptr);
            }
        } catch (...) {
            lease.Discard(); // a connection that failed half way may be in any state
            throw;
        }
        *fetched += rows.Data ? rows.Data->RowCount() : 0;
        return std::make_shared<const LayerContents>(std::move(rows));
    };
}

const LayerContents& ServerFeatureClass::Current() const {
    if (!held_ || held_condition_ != wanted_condition_) {
        held_ = source_->Cache.Get(Key(wanted_condition_), FetchFor(wanted_condition_));
        held_condition_ = wanted_condition_;
        PrefetchNextSteps();
    }
    return *held_;
}

void ServerFeatureClass::Restrict(const WhereClause& clause, const platform::TimeReading& reading) {
    wanted_clause_ = clause;
    reading_ = reading;
    wanted_condition_ = clause.Root() != nullptr ? sql::PostgresCondition(*clause.Root(), columns_, reading_).sql : "";
}

void ServerFeatureClass::PrefetchNextSteps() const {
    if (steps_.empty() || wanted_clause_.Root() == nullptr || !held_ || !held_->Data ||
        held_->Data->RowCount() > kMostRowsToPrefetch) {
        return;
    }
    const sql::Node& root = *wanted_clause_.Root();
    const std::optional<size_t> step = sql::StepPosition(root, steps_field_, steps_);
    if (!step) {
        return;
    }
    // A playback runs on in the direction it last moved; forward at first.
    const long direction = last_step_ && *last_step_ > *step ? -1 : 1;
    last_step_ = step;
    for (long ahead = 1; ahead <= kStepsAhead; ++ahead) {
        const std::optional<sql::Node> next = sql::ShiftedClause(root, steps_field_, steps_, direction * ahead);
        if (!next) {
            return;
        }
        const std::string condition = sql::PostgresCondition(*next, columns_, reading_).sql;
        source_->Cache.Prefetch(Key(condition), FetchFor(condition));
    }
}

std::shared_ptr<ITable> ServerFeatureClass::DistinctValues(std::string_view field) {
    const int32_t index = FindField(field);
    if (index < 0 || schema_.Fields[static_cast<size_t>(index)].Type == FieldType::Geometry) {
        platform::RaiseError(platform::error::kInvalidProcedureCall,
                             "The table '" + name_ + "' has no field '" + std::string(field) + "'.");
    }
    const std::string& column = schema_.Fields[static_cast<size_t>(index)].Name;
    auto lease = source_->Connections->Acquire();
    GdalErrorTrap trap;
    const ResultSet result(lease.Dataset(),
                           "SELECT DISTINCT " + sql::QuotedName(column) + " FROM " + FromClause() + " ORDER BY 1");
    if (result.layer == nullptr || trap.Failed()) {
        lease.Discard();
        trap.Raise(platform::error::kPathFileAccess,
                   "The server cannot list the values of '" + column + "' in '" + name_ + "'");
    }
    LayerContents values = ReadLayerRows(result.layer, "", source_->Connections->Name() + ", " + name_);
    *fetched_ += values.Data->RowCount();
    const int32_t own = values.Data->FindField(column);
    steps_field_ = column;
    steps_ = own >= 0 ? StepLiterals(*values.Data, static_cast<size_t>(own)) : std::vector<sql::Literal>{};
    last_step_.reset();
    return std::make_shared<MemoryTable>(std::move(values.Data), name_, workspace_);
}

Envelope ServerFeatureClass::Extent() const {
    if (extent_) {
        return *extent_;
    }
    Envelope extent;
    if (!schema_.ShapeFieldName.empty()) {
        auto lease = source_->Connections->Acquire();
        GdalErrorTrap trap;
        OGREnvelope found;
        OGRErr status = OGRERR_FAILURE;
        if (query_) {
            const ResultSet result(lease.Dataset(), "SELECT * FROM " + FromClause());
            status = result.layer != nullptr ? OGR_L_GetExtent(result.layer, &found, TRUE) : OGRERR_FAILURE;
        } else if (OGRLayerH layer = GDALDatasetGetLayerByName(lease.Dataset(), table_or_query_.c_str())) {
            // Exact, though it reads every shape once: the estimate from the table's statistics can be a degree
            // wider than the data, and a map drawn at its layers' extent would then differ from the same data in a
            // file.
            status = OGR_L_GetExtent(layer, &found, TRUE);
        }
        if (status == OGRERR_NONE) {
            extent.Expand(found.MinX, found.MinY);
            extent.Expand(found.MaxX, found.MaxY);
        }
    }
    extent_ = extent;
    return extent;
}

} // namespace chronova::gis
