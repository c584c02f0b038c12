#include "gis/data/query_table.h"

#include <gtest/gtest.h>

#include "gis/data/memory_table.h"
#include "gis/gis_errors.h"
#include "support/error_number.h"
#include "support/memory_data.h"

namespace chronova::gis {
namespace {

using testing::MemoryTestTable;
using testing::MemoryWorkspace;

// A workspace with the time table "Times": OBJECTID, TIME (text), FID_REF, SPD, DIR; two rows per step.
std::shared_ptr<MemoryWorkspace> TimesWorkspace() {
    auto workspace = std::make_shared<MemoryWorkspace>();
    auto times = std::make_shared<MemoryTestTable>("Times", workspace);
    ColumnTable& data = times->Columns();
    Column& oid = data.AddField({"OBJECTID", "", FieldType::OID});
    Column& time = data.AddField({"TIME", "Time step", FieldType::String});
    Column& ref = data.AddField({"FID_REF", "", FieldType::Integer});
    Column& speed = data.AddField({"SPD", "", FieldType::Double});
    Column& direction = data.AddField({"DIR", "", FieldType::Double});
    const char* steps[] = {"t1", "t1", "t2", "t2", "t3"};
    for (int row = 0; row < 5; ++row) {
        oid.AppendInteger(row + 1);
        time.AppendText(steps[row]);
        ref.AppendInteger(row % 2);
        row == 4 ? speed.AppendNull() : speed.AppendReal(10.0 * row);
        direction.AppendReal(90.0);
    }
    workspace->Add("Times", times);
    return workspace;
}

std::vector<std::string> FieldNames(const ITable& table) {
    std::vector<std::string> names;
    for (const Field& field : table.Fields()) {
        names.push_back(field.Name);
    }
    return names;
}

TEST(QueryTableTest, KeepsTheSelectedRowsAndFieldsLocally) {
    const auto workspace = TimesWorkspace();
    const auto query = OpenQueryTable(*workspace, {" time , fid_ref,SPD ", "Times", "TIME = 't2'"}, "", "Times_QUERY");
    EXPECT_EQ(query->Name(), "Times_QUERY");
    EXPECT_EQ(query->Type(), DatasetType::Table);
    EXPECT_EQ(query->Workspace(), std::static_pointer_cast<IWorkspace>(workspace));
    EXPECT_EQ(FieldNames(*query), (std::vector<std::string>{"TIME", "FID_REF", "SPD"}));
    EXPECT_EQ(query->Fields()[0].AliasName, "Time step");
    const ColumnTable& data = *query->Data();
    ASSERT_EQ(data.RowCount(), 2u);
    EXPECT_EQ(data.ColumnAt(0).Text(1), "t2");
    EXPECT_EQ(data.ColumnAt(1).Integer(0), 0);
    EXPECT_EQ(data.ColumnAt(2).Real(1), 30.0);
    // The query table answers where clauses of its own, under its own name.
    EXPECT_EQ(query->RowCount("Times_QUERY.FID_REF = 1"), 1);
}

TEST(QueryTableTest, StarOrNoFieldsKeepAllAndAnEmptyClauseKeepsAllRows) {
    const auto workspace = TimesWorkspace();
    const auto all = OpenQueryTable(*workspace, {"*", "times", ""}, "OBJECTID", "Q");
    EXPECT_EQ(all->Fields().size(), 5u);
    EXPECT_EQ(all->Data()->RowCount(), 5u);
    EXPECT_TRUE(all->Data()->ColumnAt(3).IsNull(4));
    const auto none = OpenQueryTable(*workspace, {"", "Times", "SPD > 100"}, "", "Q");
    EXPECT_EQ(none->Fields().size(), 5u);
    EXPECT_EQ(none->Data()->RowCount(), 0u);
    const auto once = OpenQueryTable(*workspace, {"TIME,time", "Times", ""}, "", "Q");
    EXPECT_EQ(FieldNames(*once), (std::vector<std::string>{"TIME"}));
}

TEST(QueryTableTest, UnknownTablesFieldsAndBadClausesRaise) {
    const auto workspace = TimesWorkspace();
    const auto open = [&](const QueryDef& query, std::string_view key = {}) {
        OpenQueryTable(*workspace, query, key, "Q");
    };
    EXPECT_RAISES(open({"TIME", "Nope", ""}), 5); // the workspace's own error
    EXPECT_RAISES(open({"TIME", "", ""}), error::kInvalidSqlStatement);
    EXPECT_RAISES(open({"TIME", "Times, Other", ""}), error::kInvalidSqlStatement);
    EXPECT_RAISES(open({"TIME,NOPE", "Times", ""}), error::kInvalidSqlStatement);
    EXPECT_RAISES(open({"TIME,", "Times", ""}), error::kInvalidSqlStatement);
    EXPECT_RAISES(open({"TIME", "Times", "TIME = "}), error::kInvalidSqlStatement);
    EXPECT_RAISES(open({"TIME", "Times", "NOPE = 1"}), error::kInvalidSqlStatement);
    EXPECT_RAISES(open({"TIME", "Times", ""}, "NOPE"), 5); // the key must be a field of the table
    EXPECT_NO_THROW(open({"TIME,OBJECTID", "Times", ""}, "objectid"));
    // A key the sub-fields leave out is kept anyway, first, because it identifies the rows.
    const auto keyed = OpenQueryTable(*workspace, {"TIME", "Times", ""}, "OBJECTID", "Q");
    EXPECT_EQ(FieldNames(*keyed), (std::vector<std::string>{"OBJECTID", "TIME"}));
}

TEST(MemoryTableTest, NamesItselfAfterItsDataAndDoesNotKeepItsWorkspaceAlive) {
    auto data = std::make_shared<ColumnTable>("Data");
    data->AddField({"A", "", FieldType::Integer}).AppendInteger(1);
    auto workspace = std::make_shared<MemoryWorkspace>();
    const MemoryTable table(data, {}, workspace);
    EXPECT_EQ(table.Name(), "Data");
    EXPECT_EQ(table.Data(), data);
    EXPECT_EQ(table.Workspace(), std::static_pointer_cast<IWorkspace>(workspace));
    EXPECT_EQ(table.RowCount("A = 1"), 1);
    workspace.reset();
    EXPECT_EQ(table.Workspace(), nullptr);
    EXPECT_EQ(MemoryTable(data, "Other").Name(), "Other");
    EXPECT_RAISES(MemoryTable(nullptr), 91);
}

} // namespace
} // namespace chronova::gis
