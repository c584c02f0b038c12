#include "records/layer_data_collection.h"

#include <gtest/gtest.h>

#include "platform/automation_error.h"
#include "support/error_number.h"

namespace chronova {
namespace {

std::shared_ptr<LayerData> NewRecord() {
    return std::make_shared<LayerData>();
}

std::vector<uint32_t> Identities(const LayerDataCollection& collection) {
    std::vector<uint32_t> ids;
    for (const auto& record : collection.NewEnum()) {
        ids.push_back(record->Identity());
    }
    return ids;
}

TEST(LayerDataCollectionTest, KeepsInsertionOrderAndFindsByKey) {
    LayerDataCollection collection;
    auto a = NewRecord(), b = NewRecord(), c = NewRecord();
    for (const auto& record : {b, a, c}) {
        collection.Add(record, record->IdentityKey());
    }
    EXPECT_EQ(collection.Count(), 3);
    EXPECT_EQ(Identities(collection), (std::vector{b->Identity(), a->Identity(), c->Identity()}));
    EXPECT_EQ(collection.Item(a->IdentityKey()), a);
    EXPECT_EQ(collection.Item("no such key"), nullptr);

    collection.Remove(a->IdentityKey());
    collection.Remove("no such key");
    EXPECT_EQ(Identities(collection), (std::vector{b->Identity(), c->Identity()}));
    EXPECT_EQ(collection.Item(a->IdentityKey()), nullptr);
}

TEST(LayerDataCollectionTest, RejectsADuplicateKeyAndNoRecord) {
    LayerDataCollection collection;
    auto a = NewRecord();
    collection.Add(a, "k");
    EXPECT_RAISES(collection.Add(NewRecord(), "k"), 457);
    EXPECT_THROW(collection.Add(nullptr, "other"), platform::AutomationError);
    EXPECT_EQ(collection.Count(), 1);
}

TEST(LayerDataCollectionTest, EnumerationSurvivesRemovalWhileIterating) {
    LayerDataCollection collection;
    for (int i = 0; i < 4; ++i) {
        auto record = NewRecord();
        collection.Add(record, record->IdentityKey());
    }
    int visited = 0;
    for (const auto& record : collection.NewEnum()) {
        collection.Remove(record->IdentityKey());
        ++visited;
    }
    EXPECT_EQ(visited, 4);
    EXPECT_EQ(collection.Count(), 0);
}

TEST(LayerDataCollectionTest, ClearReleasesEveryLayer) {
    LayerDataCollection collection;
    auto record = NewRecord();
    // Any owned object stands in for the layer: only its release is observed here.
    auto layer = std::make_shared<int>(7);
    record->TheLayer = std::shared_ptr<gis::ILayer>(layer, static_cast<gis::ILayer*>(nullptr));
    collection.Add(record, record->IdentityKey());
    EXPECT_EQ(layer.use_count(), 2);
    collection.Clear();
    EXPECT_EQ(collection.Count(), 0);
    EXPECT_EQ(layer.use_count(), 1);
}

} // namespace
} // namespace chronova
