#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

#include "gis/data/table.h"
#include "gis/sql/where_clause.h"
#include "platform/time_zone.h"

namespace chronova::gis {

/// A table whose rows stay on a database server and are fetched a restriction at a time, so that a time layer over
/// hundreds of millions of rows holds only the rows of its step. Data() (and Shapes() of a feature class) hold the
/// rows of the current restriction: the same object until the restriction changes. Fields() and FindField() come
/// from the server's description of the table and fetch no rows. Each layer opens a table of its own, so that two
/// layers over one source each keep their own restriction.
class IServerTable : public virtual ITable {
public:
    /// Sets which rows Data() holds: those the clause lets through (every row for the empty clause), with dates
    /// read as `reading` reads them. The server is asked on the next call of Data() or Shapes(), for a condition
    /// that lets through at least these rows; the caller evaluates the clause on them again.
    virtual void Restrict(const WhereClause& clause, const platform::TimeReading& reading) = 0;
    /// The distinct values of a field, ascending, as a table of that one field, computed by the server. Raises 5
    /// for a field the table does not have, and 75 with the server's message when the server cannot answer.
    virtual std::shared_ptr<ITable> DistinctValues(std::string_view field) = 0;
    /// Rows received from the server by this table so far, prefetched ones included.
    virtual uint64_t RowsFetched() const = 0;
    /// The condition the server was last asked with, in its own dialect ("" for none), for reports and tests.
    virtual std::string ServerCondition() const = 0;
};

/// A workspace on a database server. Besides its tables it opens SQL queries as feature classes.
class IServerWorkspace : public virtual IFeatureWorkspace {
public:
    /// A feature class of the rows a SELECT query returns, named `name`. Raises 5 with the server's message when
    /// the query cannot run.
    virtual std::shared_ptr<IFeatureClass> OpenQuery(std::string_view query, std::string_view name) = 0;
};

} // namespace chronova::gis
