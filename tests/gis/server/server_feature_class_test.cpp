#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "gis/data/server_table.h"
#include "gis/layers/feature_layer.h"
#include "gis/ogr/ogr_workspace.h"
#include "gis/ogr/server_row_cache.h"
#include "gis/ogr/server_workspace.h"
#include "platform/automation_error.h"
#include "support/test_database.h"

namespace chronova::gis {
namespace {

using testing::FixesTable;
using ::testing::HasSubstr;
using testing::TestDatabase;

// The ids (the table's key) of the rows a layer draws, ascending.
std::vector<int32_t> DrawnIds(const FeatureLayer& layer) {
    const auto data = layer.FeatureClass()->Data();
    const Column& id = data->ColumnAt(static_cast<size_t>(data->FindField("id")));
    std::vector<int32_t> ids;
    for (const uint32_t row : *layer.VisibleFeatures()) {
        ids.push_back(id.Integer(row));
    }
    std::sort(ids.begin(), ids.end());
    return ids;
}

// The ids the clause selects when the whole table is in memory: the answer every server condition must give.
std::vector<int32_t> IdsInMemory(const ColumnTable& whole, const std::string& clause) {
    std::vector<int32_t> ids;
    for (const uint32_t row : WhereClause::Parse(clause).Select(whole)) {
        ids.push_back(whole.ColumnAt(0).Integer(row));
    }
    std::sort(ids.begin(), ids.end());
    return ids;
}

class ServerFeatureClassTest : public ::testing::Test {
protected:
    void SetUp() override {
        FixesTable fixes;
        fixes.rows = 1000;
        fixes.rows_per_step = 100;
        database.LoadFixes(fixes);
        workspace = OpenWorkspace(database.ConnectionString());
    }

    std::shared_ptr<IFeatureClass> Open() { return workspace->OpenFeatureClass("fixes"); }
    static IServerTable& Server(const std::shared_ptr<IFeatureClass>& feature_class) {
        return dynamic_cast<IServerTable&>(*feature_class);
    }

    TestDatabase database;
    std::shared_ptr<IFeatureWorkspace> workspace;
};

TEST_F(ServerFeatureClassTest, DescribesTheTableWithoutFetchingARow) {
    const auto fixes = Open();
    EXPECT_EQ(fixes->ShapeType(), GeometryType::Point);
    EXPECT_GE(fixes->FindField("FIX_TIME"), 0);
    EXPECT_EQ(fixes->Fields()[static_cast<size_t>(fixes->FindField("fix_time"))].Type, FieldType::Date);
    EXPECT_THAT(fixes->SpatialReference(), HasSubstr("4326"));
    EXPECT_FALSE(fixes->Extent().IsEmpty());
    EXPECT_EQ(fixes->FeatureCount(), 1000);
    EXPECT_EQ(Server(fixes).RowsFetched(), 0U);
    EXPECT_EQ(DataSourceTypeOf(*fixes), "Personal Geodatabase Feature Class");
    EXPECT_THAT(workspace->DatasetNames(DatasetType::FeatureClass), ::testing::Contains("fixes"));
}

TEST_F(ServerFeatureClassTest, ALayerHoldsOnlyTheRowsOfItsStepAndDrawsWhatMemoryWould) {
    FeatureLayer whole_layer(Open());
    const auto whole = whole_layer.FeatureClass()->Data(); // the unrestricted table: every row, as a file gives it
    ASSERT_EQ(whole->RowCount(), 1000U);

    FeatureLayer layer(Open());
    const std::vector<std::string> clauses = {
        "fix_time = #3/1/2008 5:00:00 AM#",
        "\"FIX_TIME\" <= #3/1/2008 2:00:00 AM#",
        "fix_time >= #3/1/2008 3:00# AND fix_time < #3/1/2008 5:00#",
        "step = 7",
        "step IN (1, 3) AND speed > 20",
        "NOT step <> 2",
        "dtg = '010400Z MAR 2008'",
        "step BETWEEN 8 AND 9 OR speed < 3",
        "iso_time LIKE '2008-03-01T06%'",
        "fix_time = #3/1/2008 5:30:00 AM#",
    };
    for (const std::string& clause : clauses) {
        SCOPED_TRACE(clause);
        const uint64_t before = Server(layer.FeatureClass()).RowsFetched();
        layer.DefinitionExpression(clause);
        EXPECT_EQ(layer.DefinitionError(), "");
        const std::vector<int32_t> expected = IdsInMemory(*whole, clause);
        EXPECT_EQ(DrawnIds(layer), expected);
        EXPECT_FALSE(expected.empty() && clause.find("5:30") == std::string::npos) << "a clause that tests nothing";
        EXPECT_FALSE(Server(layer.FeatureClass()).ServerCondition().empty());
        // The LIKE is left to the client; every other clause narrows the rows on the server.
        if (clause.find("LIKE") == std::string::npos) {
            EXPECT_LE(Server(layer.FeatureClass()).RowsFetched() - before, expected.size() + 100);
        }
    }
}

TEST_F(ServerFeatureClassTest, TheServerListsTheStepsAndAPlaybackFindsTheNextStepsFetched) {
    auto fixes = Open();
    auto& server = Server(fixes);
    const auto steps = server.DistinctValues("Fix_Time");
    ASSERT_EQ(steps->RowCount(), 10);
    EXPECT_EQ(server.RowsFetched(), 10U);

    FeatureLayer layer(fixes);
    layer.DefinitionExpression("fix_time = #3/1/2008 3:00:00 AM#");
    EXPECT_EQ(layer.VisibleFeatures()->size(), 100U);
    // The next two steps come on the worker thread; the layer then finds them without asking the server.
    for (int wait = 0; wait < 200 && server.RowsFetched() < 10 + 300; ++wait) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    EXPECT_EQ(server.RowsFetched(), 10U + 300U);
    layer.DefinitionExpression("fix_time = #3/1/2008 4:00:00 AM#");
    EXPECT_EQ(layer.VisibleFeatures()->size(), 100U);
    layer.DefinitionExpression("fix_time = #3/1/2008 3:00:00 AM#"); // back: still kept
    EXPECT_EQ(layer.VisibleFeatures()->size(), 100U);
    for (int wait = 0; wait < 40; ++wait) { // a step back runs the prefetch backwards: step 2 and 1
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    EXPECT_LE(server.RowsFetched(), 10U + 600U);
}

TEST_F(ServerFeatureClassTest, ATableGoesSafelyWhileItsNextStepsAreOnTheirWay) {
    for (int round = 0; round < 5; ++round) {
        auto own_workspace = OpenWorkspace(database.ConnectionString());
        auto fixes = own_workspace->OpenFeatureClass("fixes");
        Server(fixes).DistinctValues("fix_time");
        FeatureLayer layer(fixes);
        layer.DefinitionExpression("fix_time = #3/1/2008 1:00:00 AM#");
        EXPECT_EQ(layer.VisibleFeatures()->size(), 100U);
        // The prefetch worker may now hold the last use of the connections; the cache must not end on it.
        own_workspace.reset();
        fixes.reset();
    }
}

TEST_F(ServerFeatureClassTest, QueriesAreFeatureClassesToo) {
    auto server_workspace = std::dynamic_pointer_cast<IServerWorkspace>(workspace);
    ASSERT_NE(server_workspace, nullptr);
    const auto fast =
        server_workspace->OpenQuery("SELECT id, geom, fix_time, speed FROM fixes WHERE speed > 20", "fast fixes");
    EXPECT_EQ(fast->Name(), "fast fixes");
    // A query's rows have no key GDAL knows, so they are numbered as they come, before the query's own fields.
    EXPECT_EQ(fast->Fields().size(), 5U);
    EXPECT_EQ(fast->ShapeType(), GeometryType::Point);
    FeatureLayer layer(fast);
    layer.DefinitionExpression("fix_time = #3/1/2008 1:00:00 AM#");
    FeatureLayer reference(Open());
    reference.DefinitionExpression("fix_time = #3/1/2008 1:00:00 AM# AND speed > 20");
    EXPECT_EQ(DrawnIds(layer), DrawnIds(reference));
    EXPECT_EQ(DrawnIds(layer).size(), 30U);
}

TEST_F(ServerFeatureClassTest, ErrorsNameTheServerAndTheSource) {
    try {
        workspace->OpenFeatureClass("no_such_table");
        FAIL() << "a missing table opened";
    } catch (const platform::AutomationError& error) {
        EXPECT_EQ(error.Number(), 5);
        EXPECT_THAT(error.Description(), HasSubstr("no_such_table"));
    }
    auto server_workspace = std::dynamic_pointer_cast<IServerWorkspace>(workspace);
    EXPECT_THROW(server_workspace->OpenQuery("SELECT nothing FROM nowhere", "q"), platform::AutomationError);
    try {
        OpenWorkspace("PG:host=/nonexistent port=1 dbname=none password=secret");
        FAIL() << "a server that is not there was connected to";
    } catch (const platform::AutomationError& error) {
        EXPECT_EQ(error.Number(), 75);
        EXPECT_THAT(error.Description(), HasSubstr("Cannot connect to the database"));
        EXPECT_THAT(error.Description(), ::testing::Not(HasSubstr("secret")));
    }
    FeatureLayer layer(Open());
    EXPECT_THROW(layer.DisplayRelationshipClass(std::make_shared<MemoryRelationshipClass>(), JoinType::LeftOuterJoin),
                 platform::AutomationError);
}

TEST(ServerRowCacheTest, KeepsRecentRowsWithinItsBudgetAndFetchesOnceWhatIsOnItsWay) {
    auto rows_of = [](size_t count) {
        LayerContents contents;
        auto table = std::make_shared<ColumnTable>("t");
        Column& column = table->AddField({"v", "v", FieldType::Double});
        for (size_t i = 0; i < count; ++i) {
            column.AppendReal(static_cast<double>(i));
        }
        contents.Data = table;
        return std::make_shared<const LayerContents>(std::move(contents));
    };
    ServerRowCache cache(1000 * sizeof(double));
    int fetches = 0;
    auto fetch = [&](size_t count) {
        return [&fetches, &rows_of, count] {
            ++fetches;
            return rows_of(count);
        };
    };
    cache.Get("a", fetch(600));
    cache.Get("a", fetch(600));
    EXPECT_EQ(fetches, 1);
    cache.Get("b", fetch(600)); // over budget: a goes
    EXPECT_FALSE(cache.Holds("a"));
    EXPECT_TRUE(cache.Holds("b"));
    cache.Get("huge", fetch(5000)); // larger than the budget: never kept, nothing pushed out
    EXPECT_FALSE(cache.Holds("huge"));
    EXPECT_TRUE(cache.Holds("b"));

    std::atomic<int> slow_fetches = 0;
    cache.Prefetch("c", [&] {
        ++slow_fetches;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        return rows_of(10);
    });
    const auto c = cache.Get("c", [&] {
        ++slow_fetches;
        return rows_of(10);
    });
    EXPECT_EQ(c->Data->RowCount(), 10U);
    EXPECT_EQ(slow_fetches.load(), 1);

    cache.Prefetch("broken", []() -> ServerRowCache::Rows { throw std::runtime_error("server gone"); });
    EXPECT_THROW(cache.Get("broken", []() -> ServerRowCache::Rows { throw std::runtime_error("still gone"); }),
                 std::runtime_error);
}

} // namespace
} // namespace chronova::gis
