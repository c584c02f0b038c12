#include "support/test_database.h"

#include <fstream>
#include <memory>
#include <random>
#include <stdexcept>
#include <unistd.h>

#include <libpq-fe.h>

namespace chronova::testing {
namespace {

constexpr std::string_view kGdalPrefix = "PG:";

std::string ReadConnectionFile(const std::filesystem::path& file) {
    std::ifstream in(file);
    std::string line;
    if (!in || !std::getline(in, line) || !line.starts_with(kGdalPrefix)) {
        throw std::runtime_error("no test database: " + file.string() +
                                 " does not name a running cluster (ctest starts one for the tests that need it; "
                                 "by hand: scripts/test-database.sh start " +
                                 file.parent_path().string() + ")");
    }
    return line;
}

/// A name no other test process picks: the process id, a count within the process and a random part, since a
/// process that crashed may have left a schema of the same process id behind.
std::string NewSchemaName() {
    static int count = 0;
    std::random_device random;
    return "test_" + std::to_string(::getpid()) + "_" + std::to_string(++count) + "_" +
           std::to_string(random() % 1000000);
}

using Result = std::unique_ptr<PGresult, decltype(&PQclear)>;

Result Run(PGconn* connection, const std::string& sql) {
    Result result(PQexec(connection, sql.c_str()), &PQclear);
    const ExecStatusType status = PQresultStatus(result.get());
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
        const char* message = result ? PQresultErrorMessage(result.get()) : PQerrorMessage(connection);
        throw std::runtime_error("the test database refused \"" + sql.substr(0, 200) + "\": " + message);
    }
    return result;
}

} // namespace

TestDatabase::TestDatabase(const std::filesystem::path& connection_file)
    : server_(ReadConnectionFile(connection_file)), schema_(NewSchemaName()) {
    connection_ = PQconnectdb(server_.substr(kGdalPrefix.size()).c_str());
    if (PQstatus(connection_) != CONNECTION_OK) {
        const std::string message = PQerrorMessage(connection_);
        PQfinish(connection_);
        throw std::runtime_error("cannot connect to the test database " + server_ + ": " + message);
    }
    try {
        Run(connection_, "SET client_min_messages TO warning; CREATE SCHEMA " + schema_ + "; SET search_path TO " +
                             schema_ + ", public");
    } catch (...) {
        PQfinish(connection_);
        throw;
    }
}

TestDatabase::~TestDatabase() {
    // A schema left behind goes with the cluster, so a failure here only costs disk space.
    PQclear(PQexec(connection_, ("DROP SCHEMA IF EXISTS " + schema_ + " CASCADE").c_str()));
    PQfinish(connection_);
}

std::filesystem::path TestDatabase::DefaultConnectionFile() {
    return CHRONOVA_TEST_DATABASE_FILE;
}

std::string TestDatabase::ConnectionString() const {
    return server_ + " active_schema=" + schema_ + " schemas=" + schema_;
}

void TestDatabase::Execute(const std::string& sql) {
    Run(connection_, sql);
}

QueryRows TestDatabase::Query(const std::string& sql) {
    const Result result = Run(connection_, sql);
    const int rows = PQntuples(result.get());
    const int columns = PQnfields(result.get());
    QueryRows values(static_cast<size_t>(rows));
    for (int row = 0; row < rows; ++row) {
        auto& out = values[static_cast<size_t>(row)];
        out.reserve(static_cast<size_t>(columns));
        for (int column = 0; column < columns; ++column) {
            out.emplace_back(PQgetvalue(result.get(), row, column));
        }
    }
    return values;
}

void TestDatabase::LoadFixes(const FixesTable& table) {
    if (table.rows < 0 || table.rows_per_step < 1) {
        throw std::invalid_argument("LoadFixes needs rows >= 0 and rows_per_step >= 1");
    }
    const std::string per_step = std::to_string(table.rows_per_step);
    const std::string text_columns = table.text_times ? ", dtg text, iso_time text" : "";
    const std::string text_names = table.text_times ? ", dtg, iso_time" : "";
    const std::string text_values =
        table.text_times ? R"(, to_char(t, 'DDHH24MI"Z" MON YYYY'), to_char(t, 'YYYY-MM-DD"T"HH24:MI:SS'))" : "";
    // Each step holds the same tracks (k), every one a little further east than at the step before, so that
    // consecutive frames differ; positions stay within -170..180 east and -80..80 north. Unlogged: the cluster is
    // thrown away anyway, and skipping the write-ahead log nearly halves the time a large table takes to load.
    Execute("CREATE UNLOGGED TABLE " + table.name +
            " (id serial PRIMARY KEY, geom geometry(Point, 4326), fix_time timestamp, step integer,"
            " speed double precision, direction double precision" +
            text_columns + ")");
    Execute("INSERT INTO " + table.name + " (geom, fix_time, step, speed, direction" + text_names +
            ")"
            " SELECT ST_SetSRID(ST_MakePoint(-170 + (k * 7919 % 3400) / 10.0 + (step % 100) * 0.1,"
            "                                -80 + (k * 104729 % 1600) / 10.0), 4326),"
            "        t, step, k % 30 + 0.5, (k * 37 + step * 5) % 360" +
            text_values + " FROM (SELECT i % " + per_step + " AS k, (i / " + per_step +
            ")::integer AS step, timestamp '" + table.start + "' + (i / " + per_step + ") * interval '" +
            table.step_length +
            "' AS t"
            " FROM generate_series(0::bigint, " +
            std::to_string(table.rows) + " - 1) AS i) AS fixes");
    Execute("CREATE INDEX ON " + table.name + " (fix_time)");
    if (table.spatial_index) {
        Execute("CREATE INDEX ON " + table.name + " USING gist (geom)");
    }
    Execute("ANALYZE " + table.name);
}

} // namespace chronova::testing
