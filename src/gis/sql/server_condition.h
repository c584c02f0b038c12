#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "gis/sql/node.h"
#include "platform/time_zone.h"

namespace chronova::gis::sql {

/// How the server stores a column, which decides how a constant compared with it is written.
enum class ServerColumnKind {
    Integer,           ///< smallint, integer, bigint, or numeric without a fraction: read as whole numbers
    Single,            ///< real: read in single precision
    Real,              ///< double precision or numeric with a fraction: read as doubles
    Text,              ///< text or varchar, read as stored
    Date,              ///< date
    Timestamp,         ///< timestamp without time zone
    TimestampWithZone, ///< timestamp with time zone, read in a session whose zone is UTC
    Other,             ///< anything else (boolean, char(n), arrays, geometry...): only IS [NOT] NULL is written
};

/// A column of the server's table; a field named in a clause is the first column of the same name, letter case
/// ignored, as the client matches fields.
struct ServerColumn {
    std::string name; ///< as the server spells it
    ServerColumnKind kind = ServerColumnKind::Other;
};

/// A condition for PostgreSQL's WHERE: a self-contained boolean expression, or empty for no restriction. The
/// server's rows always include every row the clause lets through on the client; `exact` when they are exactly
/// those rows, so that the client need not test them again.
struct ServerCondition {
    std::string sql;
    bool exact = false;
};

/// A name as a PostgreSQL quoted identifier: in double quotes, a quote inside doubled.
std::string QuotedName(std::string_view name);

/// Writes a parsed where clause as a PostgreSQL condition on a table with these columns, for a connection with
/// client_encoding UTF8. The parts that cannot be written faithfully are left to the client: a term of an AND is
/// dropped, and an OR or a NOT with such a part gives no restriction. Comparisons of times are widened to cover
/// the client's reading: to the second, and by the greatest shift of a zone conversion when `reading` converts.
/// No clause gives text that leaves its literals or identifiers.
ServerCondition PostgresCondition(const Node& root, const std::vector<ServerColumn>& columns,
                                  const platform::TimeReading& reading = {});

} // namespace chronova::gis::sql
