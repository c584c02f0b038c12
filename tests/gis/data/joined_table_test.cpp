#include "gis/data/joined_table.h"

#include <gtest/gtest.h>

#include <functional>

#include "gis/data/memory_table.h"
#include "support/error_number.h"
#include "support/memory_data.h"

namespace chronova::gis {
namespace {

using testing::MemoryTestFeatureClass;

// Feature class "Tracks": FID 0..5 and NAME "f0".."f5", one point per feature.
std::shared_ptr<MemoryTestFeatureClass> Tracks() {
    auto tracks = std::make_shared<MemoryTestFeatureClass>("Tracks", nullptr);
    Column& fid = tracks->Columns().AddField({"FID", "", FieldType::Integer});
    Column& name = tracks->Columns().AddField({"NAME", "", FieldType::String});
    for (int row = 0; row < 6; ++row) {
        fid.AppendInteger(row);
        name.AppendText("f" + std::to_string(row));
        tracks->AddPoint(row, -row);
    }
    return tracks;
}

// A table "FID_REF" of keys filled by fill_keys and a TIME text per key (null past the texts given).
std::shared_ptr<ITable> KeyTable(const std::string& name, FieldType key_type,
                                 const std::function<void(Column&)>& fill_keys, std::vector<std::string> times) {
    auto data = std::make_shared<ColumnTable>(name);
    fill_keys(data->AddField({"FID_REF", "", key_type}));
    Column& time = data->AddField({"TIME", "", FieldType::String});
    for (size_t row = 0; row < data->ColumnAt(0).Size(); ++row) {
        row < times.size() ? time.AppendText(std::move(times[row])) : time.AppendNull();
    }
    return std::make_shared<MemoryTable>(data);
}

std::shared_ptr<ITable> Times() {
    return KeyTable("Times_QUERY", FieldType::Integer,
                    [](Column& keys) {
                        for (int key : {3, 1, 1, 9}) {
                            keys.AppendInteger(key);
                        }
                        keys.AppendNull();
                    },
                    {"t3", "t1", "t1 again", "t9", "no key"});
}

std::shared_ptr<JoinedTable> Join(std::shared_ptr<ITable> origin, std::string origin_key,
                                  std::shared_ptr<ITable> destination, JoinType type = JoinType::InnerJoin) {
    auto relationship = std::make_shared<MemoryRelationshipClass>();
    relationship->Name = "Join_Tracks";
    relationship->Origin = std::move(origin);
    relationship->OriginKey = std::move(origin_key);
    relationship->Destination = std::move(destination);
    relationship->DestinationKey = "FID_REF";
    return std::make_shared<JoinedTable>(relationship, type);
}

std::vector<std::string> FieldNames(const ITable& table) {
    std::vector<std::string> names;
    for (const Field& field : table.Fields()) {
        names.push_back(field.Name);
    }
    return names;
}

TEST(JoinedTableTest, InnerJoinKeepsFeaturesWithAMatchAndTheirFirstRecord) {
    const auto tracks = Tracks();
    const auto joined = Join(tracks, "FID", Times());
    EXPECT_EQ(joined->Name(), "Times_QUERY");
    EXPECT_EQ(joined->JoinKind(), JoinType::InnerJoin);
    EXPECT_EQ(FieldNames(*joined),
              (std::vector<std::string>{"Tracks.FID", "Tracks.NAME", "Times_QUERY.FID_REF", "Times_QUERY.TIME"}));
    EXPECT_EQ(joined->FeatureRows(), (RowIds{1, 3}));
    const ColumnTable& data = *joined->Data();
    ASSERT_EQ(data.RowCount(), 2u);
    EXPECT_EQ(data.ColumnAt(1).Text(0), "f1");
    EXPECT_EQ(data.ColumnAt(3).Text(0), "t1");
    EXPECT_EQ(data.ColumnAt(3).Text(1), "t3");
    EXPECT_EQ(joined->ShapeType(), GeometryType::Point);
    EXPECT_EQ(joined->ShapeFieldName(), "Tracks.Shape");
    EXPECT_EQ(joined->Shapes(), tracks->Shapes());
    EXPECT_EQ(joined->SourceTable(), std::static_pointer_cast<ITable>(tracks));
}

TEST(JoinedTableTest, FieldsAreFoundQualifiedOrBareWhenTheBareNameIsUnique) {
    const auto joined = Join(Tracks(), "FID", Times());
    EXPECT_EQ(joined->FindField("Times_QUERY.TIME"), 3);
    EXPECT_EQ(joined->FindField("time"), 3);
    EXPECT_EQ(joined->FindField("NAME"), 1);
    EXPECT_EQ(joined->FindField("ME"), -1);
    EXPECT_EQ(joined->RowCount("TIME = 't3'"), 1);
    EXPECT_EQ(joined->RowCount("Times_QUERY.TIME LIKE 't%' AND Tracks.FID > 1"), 1);
}

TEST(JoinedTableTest, LeftOuterJoinKeepsEveryFeatureWithNullsWhereNothingMatches) {
    const auto joined = Join(Tracks(), "FID", Times(), JoinType::LeftOuterJoin);
    EXPECT_EQ(joined->FeatureRows(), (RowIds{0, 1, 2, 3, 4, 5}));
    const Column& time = joined->Data()->ColumnAt(3);
    ASSERT_EQ(time.Size(), 6u);
    EXPECT_TRUE(time.IsNull(0));
    EXPECT_EQ(time.Text(1), "t1");
    EXPECT_EQ(time.Text(3), "t3");
    EXPECT_TRUE(time.IsNull(5));
    EXPECT_EQ(joined->RowCount("TIME IS NULL"), 4);
}

TEST(JoinedTableTest, ChainedJoinsKeepQualifiedNamesAndMapToTheFeatureClass) {
    const auto tracks = Tracks();
    const auto first = Join(tracks, "FID", Times(), JoinType::LeftOuterJoin);
    const auto speeds = KeyTable("Speeds", FieldType::Integer,
                                 [](Column& keys) {
                                     keys.AppendInteger(4);
                                     keys.AppendInteger(3);
                                 },
                                 {"fast", "slow"});
    const auto second = Join(first, "Tracks.FID", speeds);
    EXPECT_EQ(FieldNames(*second), (std::vector<std::string>{"Tracks.FID", "Tracks.NAME", "Times_QUERY.FID_REF",
                                                             "Times_QUERY.TIME", "Speeds.FID_REF", "Speeds.TIME"}));
    EXPECT_EQ(second->FeatureRows(), (RowIds{3, 4}));
    EXPECT_EQ(second->ShapeFieldName(), "Tracks.Shape");
    EXPECT_EQ(second->Shapes(), tracks->Shapes());
    EXPECT_EQ(second->Name(), "Speeds");
    const auto third = Join(Join(tracks, "FID", Times()), "FID", speeds); // bare key through the fallback
    EXPECT_EQ(third->FeatureRows(), (RowIds{3}));
    EXPECT_EQ(third->Data()->ColumnAt(3).Text(0), "t3");
    EXPECT_EQ(third->Data()->ColumnAt(5).Text(0), "slow");
}

// Joins one origin key against one destination key of another type; returns the matched feature rows.
RowIds MatchedRows(FieldType origin_type, const std::function<void(Column&)>& origin_keys, FieldType key_type,
                   const std::function<void(Column&)>& keys) {
    auto origin = std::make_shared<ColumnTable>("O");
    origin_keys(origin->AddField({"K", "", origin_type}));
    const auto destination = KeyTable("D", key_type, keys, {});
    return Join(std::make_shared<MemoryTable>(origin), "K", destination)->FeatureRows();
}

TEST(JoinedTableTest, KeysCompareByValueAcrossTypes) {
    const auto ints = [](Column& c) {
        c.AppendInteger(1);
        c.AppendInteger(2);
        c.AppendNull();
        c.AppendInteger(3);
    };
    const auto reals = [](Column& c) {
        c.AppendReal(2.0);
        c.AppendReal(2.5);
        c.AppendReal(1.0);
    };
    const auto texts = [](Column& c) {
        c.AppendText("a");
        c.AppendText(" 2");
        c.AppendText("2.5");
        c.AppendText("A");
    };
    const auto int_keys = [](Column& c) {
        c.AppendInteger(2);
        c.AppendNull();
        c.AppendInteger(7);
    };
    const auto real_keys = [](Column& c) {
        c.AppendReal(1.0);
        c.AppendReal(2.5);
    };
    const auto text_keys = [](Column& c) {
        c.AppendText("2");
        c.AppendText("a");
        c.AppendText("x");
    };
    EXPECT_EQ(MatchedRows(FieldType::Integer, ints, FieldType::Integer, int_keys), (RowIds{1}));
    EXPECT_EQ(MatchedRows(FieldType::Integer, ints, FieldType::Double, real_keys), (RowIds{0}));
    EXPECT_EQ(MatchedRows(FieldType::Integer, ints, FieldType::String, text_keys), (RowIds{1}));
    EXPECT_EQ(MatchedRows(FieldType::Double, reals, FieldType::Integer, int_keys), (RowIds{0}));
    EXPECT_EQ(MatchedRows(FieldType::Double, reals, FieldType::String, text_keys), (RowIds{0}));
    EXPECT_EQ(MatchedRows(FieldType::String, texts, FieldType::String, text_keys), (RowIds{0})); // exact text
    EXPECT_EQ(MatchedRows(FieldType::String, texts, FieldType::Integer, int_keys), (RowIds{1}));
    EXPECT_EQ(MatchedRows(FieldType::String, texts, FieldType::Double, real_keys), (RowIds{2}));
}

TEST(JoinedTableTest, MissingTablesAndKeysRaise) {
    const auto tracks = Tracks();
    EXPECT_RAISES(Join(tracks, "NOPE", Times()), 5);
    auto no_key = std::make_shared<MemoryTable>(std::make_shared<ColumnTable>("NoKey"));
    EXPECT_RAISES(Join(tracks, "FID", no_key), 5);
    EXPECT_RAISES(Join(nullptr, "FID", Times()), 91);
    EXPECT_RAISES(JoinedTable(nullptr, JoinType::InnerJoin), 91);
}

TEST(JoinedTableTest, JoinsOfEqualTablesHaveOneDigestAndAnyDifferenceInWhatTheyYieldChangesIt) {
    const auto tracks = Tracks();
    const auto times = [](std::vector<int> keys, std::vector<std::string> texts, const std::string& name = "T") {
        return KeyTable(
            name, FieldType::Integer,
            [&](Column& column) {
                for (const int key : keys) {
                    column.AppendInteger(key);
                }
            },
            std::move(texts));
    };
    const uint64_t digest = Join(tracks, "FID", times({3, 1}, {"a", "b"}))->ContentDigest();
    // Built again from equal tables: the same digest, however often asked.
    const auto again = Join(tracks, "FID", times({3, 1}, {"a", "b"}));
    EXPECT_EQ(again->ContentDigest(), digest);
    EXPECT_EQ(again->ContentDigest(), digest);
    // A text, a missing text, a key (other features), a row more, the join type, the table's name.
    EXPECT_NE(Join(tracks, "FID", times({3, 1}, {"a", "c"}))->ContentDigest(), digest);
    EXPECT_NE(Join(tracks, "FID", times({3, 1}, {"a"}))->ContentDigest(), digest);
    EXPECT_NE(Join(tracks, "FID", times({3, 2}, {"a", "b"}))->ContentDigest(), digest);
    EXPECT_NE(Join(tracks, "FID", times({3, 1, 4}, {"a", "b", "c"}))->ContentDigest(), digest);
    EXPECT_NE(Join(tracks, "FID", times({3, 1}, {"a", "b"}), JoinType::LeftOuterJoin)->ContentDigest(), digest);
    EXPECT_NE(Join(tracks, "FID", times({3, 1}, {"a", "b"}, "U"))->ContentDigest(), digest);
}

} // namespace
} // namespace chronova::gis
