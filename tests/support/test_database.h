#pragma once

// A schema of its own in the throwaway PostgreSQL/PostGIS cluster that ctest starts for the tests that need a
// server (the `database` fixture, scripts/test-database.sh). Tests running side by side each work in their own
// schema, so their tables never meet. A program using this links libpq and defines
// CHRONOVA_TEST_DATABASE_FILE, the file holding the cluster's GDAL connection string.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

struct pg_conn;

namespace chronova::testing {

/// A table of generated point fixes: `rows` rows, `rows_per_step` at each time step.
/// Columns: id (serial primary key), geom (geometry(Point,4326)), fix_time (timestamp, indexed), step (integer,
/// 0 at start), speed and direction (double precision) and, when text_times is set, dtg (a date-time group
/// such as "011400Z MAR 2008") and iso_time ("2008-03-01T14:00:00").
struct FixesTable {
    std::string name = "fixes";
    std::int64_t rows = 1000;
    std::int64_t rows_per_step = 100;
    std::string start = "2008-03-01 00:00:00"; ///< the time of step 0
    std::string step_length = "1 hour";        ///< a PostgreSQL interval
    bool text_times = true;
    bool spatial_index = false; ///< a GiST index on geom
};

/// The rows of a query's result, each value as PostgreSQL prints it ("" for null).
using QueryRows = std::vector<std::vector<std::string>>;

class TestDatabase {
public:
    /// Connects to the cluster named in `connection_file` and creates a new schema; throws std::runtime_error when
    /// there is no cluster (the test fails: no server is no excuse).
    explicit TestDatabase(const std::filesystem::path& connection_file = DefaultConnectionFile());
    /// Drops the schema with everything in it.
    ~TestDatabase();
    TestDatabase(const TestDatabase&) = delete;
    TestDatabase& operator=(const TestDatabase&) = delete;

    /// The connection file of the cluster ctest starts for this build.
    static std::filesystem::path DefaultConnectionFile();

    const std::string& Schema() const { return schema_; }
    /// The GDAL connection string ("PG:host=... dbname=... user=...") with this schema active and the only one
    /// listed, so that tables are named without it.
    std::string ConnectionString() const;
    /// The cluster's connection string without a schema.
    const std::string& ServerConnectionString() const { return server_; }

    /// Runs one or more statements with this schema first on the search path; throws std::runtime_error with the
    /// server's message when one fails.
    void Execute(const std::string& sql);
    /// Runs a query and returns its rows.
    QueryRows Query(const std::string& sql);

    /// Creates and fills a table of generated fixes in this schema, indexes its time column and analyzes it.
    void LoadFixes(const FixesTable& table);

private:
    std::string server_;
    std::string schema_;
    pg_conn* connection_ = nullptr;
};

} // namespace chronova::testing
