#include "support/test_database.h"

#include <memory>
#include <stdexcept>
#include <string>

#include <gdal_priv.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <ogrsf_frmts.h>

namespace chronova::testing {
namespace {

using ::testing::HasSubstr;

std::string Value(TestDatabase& database, const std::string& sql) {
    const QueryRows rows = database.Query(sql);
    if (rows.empty() || rows.front().empty()) {
        throw std::runtime_error("no value from " + sql);
    }
    return rows.front().front();
}

std::string SchemaCount(TestDatabase& database, const std::string& schema) {
    return Value(database, "SELECT count(*) FROM pg_namespace WHERE nspname = '" + schema + "'");
}

struct GdalCloser {
    void operator()(GDALDataset* dataset) const { GDALClose(dataset); }
};
using Dataset = std::unique_ptr<GDALDataset, GdalCloser>;

Dataset OpenWithGdal(const std::string& connection) {
    GDALAllRegister();
    return Dataset(GDALDataset::Open(connection.c_str(), GDAL_OF_VECTOR | GDAL_OF_READONLY));
}

TEST(TestDatabaseTest, EachHelperWorksInASchemaOfItsOwnThatGoesWithIt) {
    TestDatabase observer;
    std::string first_schema;
    {
        TestDatabase first;
        first_schema = first.Schema();
        EXPECT_NE(first_schema, observer.Schema());
        // PostGIS is there, and reachable from the schema.
        EXPECT_EQ(Value(first, "SELECT ST_AsText(ST_MakePoint(1, 2))"), "POINT(1 2)");
        first.Execute("CREATE TABLE shared_name (value integer); INSERT INTO shared_name VALUES (7)");
        EXPECT_EQ(Value(first, "SELECT value FROM shared_name"), "7");
        EXPECT_EQ(Value(observer, "SELECT to_regclass('shared_name') IS NULL"), "t");
        observer.Execute("CREATE TABLE shared_name (value integer)");
        EXPECT_EQ(Value(first, "SELECT count(*) FROM shared_name"), "1");
        EXPECT_EQ(SchemaCount(observer, first_schema), "1");
    }
    EXPECT_EQ(SchemaCount(observer, first_schema), "0");
    EXPECT_EQ(Value(observer, "SELECT count(*) FROM shared_name"), "0");
}

TEST(TestDatabaseTest, FailuresNameTheServersMessageAndTheConnectionLivesOn) {
    TestDatabase database;
    try {
        database.Execute("SELECT * FROM no_such_table");
        FAIL() << "a query of a missing table was accepted";
    } catch (const std::runtime_error& error) {
        EXPECT_THAT(error.what(), HasSubstr("no_such_table"));
    }
    EXPECT_THROW(database.Query("CREATE TABLE"), std::runtime_error);
    EXPECT_EQ(Value(database, "SELECT 40 + 2"), "42");
}

TEST(TestDatabaseTest, WithoutAClusterTheTestFailsNamingTheFile) {
    try {
        TestDatabase database("/nonexistent/test-database/connection");
        FAIL() << "a missing connection file was accepted";
    } catch (const std::runtime_error& error) {
        EXPECT_THAT(error.what(), HasSubstr("/nonexistent/test-database/connection"));
        EXPECT_THAT(error.what(), HasSubstr("scripts/test-database.sh start /nonexistent/test-database"));
    }
}

TEST(TestDatabaseTest, GeneratedFixesHaveTheirStepsTimesAndIndex) {
    TestDatabase database;
    database.LoadFixes({.name = "fixes",
                        .rows = 250,
                        .rows_per_step = 100,
                        .start = "2008-03-01 00:00:00",
                        .step_length = "90 minutes"});
    EXPECT_EQ(database.Query("SELECT step, count(*), min(fix_time), max(fix_time) FROM fixes GROUP BY step "
                             "ORDER BY step"),
              (QueryRows{{"0", "100", "2008-03-01 00:00:00", "2008-03-01 00:00:00"},
                         {"1", "100", "2008-03-01 01:30:00", "2008-03-01 01:30:00"},
                         {"2", "50", "2008-03-01 03:00:00", "2008-03-01 03:00:00"}}));
    EXPECT_EQ(database.Query("SELECT dtg, iso_time FROM fixes WHERE step = 2 LIMIT 1"),
              (QueryRows{{"010300Z MAR 2008", "2008-03-01T03:00:00"}}));
    EXPECT_EQ(database.Query("SELECT count(DISTINCT id), count(DISTINCT geom), min(ST_X(geom)) >= -170, "
                             "max(ST_X(geom)) < 180, min(ST_Y(geom)) >= -80, max(ST_Y(geom)) < 80 FROM fixes"),
              (QueryRows{{"250", "250", "t", "t", "t", "t"}}));
    EXPECT_EQ(Value(database, "SELECT count(*) FROM pg_indexes WHERE schemaname = '" + database.Schema() +
                                  "' AND tablename = 'fixes' AND indexdef LIKE '%(fix_time)'"),
              "1");
    // The planner knows the table: ANALYZE ran.
    EXPECT_EQ(Value(database, "SELECT reltuples FROM pg_class WHERE oid = 'fixes'::regclass"), "250");

    database.LoadFixes({.name = "bare", .rows = 0, .text_times = false, .spatial_index = true});
    EXPECT_EQ(database.Query("SELECT column_name FROM information_schema.columns WHERE table_schema = '" +
                             database.Schema() + "' AND table_name = 'bare' ORDER BY ordinal_position"),
              (QueryRows{{"id"}, {"geom"}, {"fix_time"}, {"step"}, {"speed"}, {"direction"}}));
    EXPECT_EQ(Value(database, "SELECT count(*) FROM pg_indexes WHERE schemaname = '" + database.Schema() +
                                  "' AND tablename = 'bare' AND indexdef LIKE '%USING gist (geom)'"),
              "1");
    EXPECT_THROW(database.LoadFixes({.name = "no_steps", .rows_per_step = 0}), std::invalid_argument);
}

TEST(TestDatabaseTest, GdalSeesTheTablesOfTheSchemaOnlyAndByTheirPlainNames) {
    TestDatabase database;
    TestDatabase other;
    database.LoadFixes({.name = "fixes", .rows = 300, .rows_per_step = 100});
    other.LoadFixes({.name = "elsewhere", .rows = 10, .rows_per_step = 10});

    const Dataset dataset = OpenWithGdal(database.ConnectionString());
    ASSERT_NE(dataset, nullptr) << CPLGetLastErrorMsg();
    EXPECT_EQ(dataset->GetLayerCount(), 1);
    OGRLayer* layer = dataset->GetLayerByName("fixes");
    ASSERT_NE(layer, nullptr);
    EXPECT_EQ(wkbFlatten(layer->GetGeomType()), wkbPoint);
    ASSERT_NE(layer->GetSpatialRef(), nullptr);
    EXPECT_STREQ(layer->GetSpatialRef()->GetAuthorityCode(nullptr), "4326");
    EXPECT_EQ(layer->GetFeatureCount(), 300);
    ASSERT_EQ(layer->SetAttributeFilter("fix_time = '2008-03-01 02:00:00'"), OGRERR_NONE);
    EXPECT_EQ(layer->GetFeatureCount(), 100);
    EXPECT_EQ(dataset->GetLayerByName("elsewhere"), nullptr);

    // The server's string without a schema sees every schema's tables, by qualified name.
    const Dataset whole = OpenWithGdal(database.ServerConnectionString());
    ASSERT_NE(whole, nullptr) << CPLGetLastErrorMsg();
    EXPECT_NE(whole->GetLayerByName((other.Schema() + ".elsewhere").c_str()), nullptr);
}

} // namespace
} // namespace chronova::testing
