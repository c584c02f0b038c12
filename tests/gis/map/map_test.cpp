#include "gis/map/map.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "gis/interface_ids.h"
#include "gis/layers/feature_layer.h"
#include "gis/layers/group_layer.h"
#include "gis/layers/raster_layer.h"
#include "gis/layers/wms_map_layer.h"
#include "support/error_number.h"

namespace chronova::gis {
namespace {

template <class T>
std::shared_ptr<T> Named(std::string name) {
    auto layer = std::make_shared<T>();
    layer->Name(std::move(name));
    return layer;
}

std::string Names(const std::vector<std::shared_ptr<ILayer>>& layers) {
    std::string names;
    for (const auto& layer : layers) {
        names += (names.empty() ? "" : " ") + layer->Name();
    }
    return names;
}

// A map holding, top first: A, g1 [r, g2 [B, wms]], C.
class MapTest : public ::testing::Test {
protected:
    MapTest() {
        g2->Add(b);
        g2->Add(wms);
        g1->Add(r);
        g1->Add(g2);
        map->AddLayer(c);
        map->AddLayer(g1);
        map->AddLayer(a);
        deleted_connection = map->Events().ItemDeleted.Connect(
            [this](const std::shared_ptr<ILayer>& layer) { deleted.push_back(layer->Name()); });
    }

    std::string LayersBy(std::string_view iid, bool recursive) const {
        const UID id(iid);
        return Names(map->Layers(&id, recursive));
    }

    std::shared_ptr<Map> map = std::make_shared<Map>("Map");
    std::shared_ptr<FeatureLayer> a = Named<FeatureLayer>("A");
    std::shared_ptr<FeatureLayer> b = Named<FeatureLayer>("B");
    std::shared_ptr<FeatureLayer> c = Named<FeatureLayer>("C");
    std::shared_ptr<RasterLayer> r = Named<RasterLayer>("r");
    std::shared_ptr<GroupLayer> g1 = Named<GroupLayer>("g1");
    std::shared_ptr<GroupLayer> g2 = Named<GroupLayer>("g2");
    std::shared_ptr<WmsMapLayer> wms = Named<WmsMapLayer>("wms");
    std::vector<std::string> deleted;
    platform::ScopedConnection deleted_connection;
};

TEST_F(MapTest, AddsLayersOnTopOrAtAPosition) {
    EXPECT_EQ(Names(map->Layers()), "A g1 C");
    EXPECT_EQ(map->LayerCount(), 3);
    EXPECT_EQ(map->Layer(1), g1);
    map->AddLayerAt(Named<RasterLayer>("bottom"), 3);
    map->AddLayerAt(Named<RasterLayer>("second"), 1);
    EXPECT_EQ(Names(map->Layers()), "A second g1 C bottom");

    const std::pair<std::function<void()>, int32_t> errors[] = {
        {[&] { map->Layer(5); }, 9},
        {[&] { map->Layer(-1); }, 9},
        {[&] { map->AddLayerAt(Named<RasterLayer>("x"), 6); }, 9},
        {[&] { map->AddLayer(nullptr); }, 91},
        {[&] { map->AddLayer(a); }, 5}, // already on top
        {[&] { map->AddLayer(b); }, 5}, // already in a group
        {[&] {
             auto group = Named<GroupLayer>("holder");
             group->Add(c);
             map->AddLayer(group);
         },
         5},
    };
    for (size_t i = 0; i < std::size(errors); ++i) {
        EXPECT_RAISES(errors[i].first(), errors[i].second) << "case " << i;
    }
    EXPECT_EQ(map->LayerCount(), 5);
}

TEST_F(MapTest, EnumeratesLayersByInterfaceIntoNestedGroups) {
    EXPECT_EQ(Names(map->Layers(nullptr, true)), "A g1 r g2 B wms C");
    EXPECT_EQ(LayersBy(iid::kGeoFeatureLayer, true), "A B C");
    EXPECT_EQ(LayersBy(iid::kGeoFeatureLayer, false), "A C");
    EXPECT_EQ(LayersBy(iid::kCompositeLayer, true), "g1 g2 wms");
    EXPECT_EQ(LayersBy(iid::kWmsMapLayer, true), "wms");
    EXPECT_EQ(LayersBy(iid::kRasterLayer, false), "");
    EXPECT_EQ(LayersBy(iid::kLayer, true), "A g1 r g2 B wms C");
    EXPECT_EQ(LayersBy("{00000000-0000-0000-0000-000000000001}", true), "");
    EXPECT_TRUE(map->HasLayer(*wms));
    EXPECT_FALSE(map->HasLayer(*Named<RasterLayer>("elsewhere")));
}

TEST_F(MapTest, DeletingALayerInAGroupFiresOnce) {
    int contents_changed = 0;
    const platform::ScopedConnection counting = map->Events().ContentsChanged.Connect([&] { ++contents_changed; });
    map->DeleteLayer(b);
    EXPECT_EQ(deleted, (std::vector<std::string>{"B"}));
    EXPECT_EQ(contents_changed, 1);
    EXPECT_EQ(Names(map->Layers(nullptr, true)), "A g1 r g2 wms C");

    map->DeleteLayer(b);
    map->DeleteLayer(nullptr);
    EXPECT_EQ(deleted.size(), 1u);

    // A group goes with its children; only the group is announced.
    map->DeleteLayer(g1);
    EXPECT_EQ(deleted, (std::vector<std::string>{"B", "g1"}));
    EXPECT_EQ(Names(map->Layers(nullptr, true)), "A C");
}

TEST_F(MapTest, HandlersMayDeleteMoreLayersWhileADeletionIsAnnounced) {
    const platform::ScopedConnection cascade =
        map->Events().ItemDeleted.Connect([this](const std::shared_ptr<ILayer>& layer) {
            if (layer == a) {
                map->DeleteLayer(c);
                map->DeleteLayer(r);
            }
        });
    map->DeleteLayer(a);
    EXPECT_EQ(deleted, (std::vector<std::string>{"A", "C", "r"}));
    EXPECT_EQ(Names(map->Layers(nullptr, true)), "g1 g2 B wms");
}

TEST_F(MapTest, AHandlerMayDestroyTheMapWhileALayerIsDeleted) {
    std::weak_ptr<Map> watched = map;
    bool later_handler_called = false;
    const platform::ScopedConnection destroy =
        map->Events().ItemDeleted.Connect([this](const std::shared_ptr<ILayer>&) { map.reset(); });
    const platform::ScopedConnection later =
        map->Events().ItemDeleted.Connect([&](const std::shared_ptr<ILayer>&) { later_handler_called = true; });
    int contents_changed = 0;
    const platform::ScopedConnection counting = map->Events().ContentsChanged.Connect([&] { ++contents_changed; });

    // The fixture holds the only reference, which the handler drops in the middle of the call.
    Map* const caller = map.get();
    caller->DeleteLayer(a);
    EXPECT_TRUE(watched.expired());
    EXPECT_EQ(deleted, (std::vector<std::string>{"A"}));
    EXPECT_FALSE(later_handler_called);
    EXPECT_EQ(contents_changed, 0);
}

TEST_F(MapTest, MovesAndClearsTopLevelLayers) {
    std::vector<std::pair<std::string, int32_t>> reordered;
    const platform::ScopedConnection moves = map->Events().ItemReordered.Connect(
        [&](const std::shared_ptr<ILayer>& layer, int32_t index) { reordered.emplace_back(layer->Name(), index); });
    map->MoveLayer(a, 2);
    EXPECT_EQ(Names(map->Layers()), "g1 C A");
    EXPECT_EQ(reordered, (std::vector<std::pair<std::string, int32_t>>{{"A", 2}}));
    EXPECT_RAISES(map->MoveLayer(b, 0), 5);
    EXPECT_RAISES(map->MoveLayer(a, 3), 9);

    map->ClearLayers();
    EXPECT_EQ(deleted, (std::vector<std::string>{"g1", "C", "A"}));
    EXPECT_EQ(map->LayerCount(), 0);
}

TEST_F(MapTest, TheExtentDefaultsToEverythingTheLayersCover) {
    class AreaLayer : public LayerBase {
    public:
        explicit AreaLayer(Envelope area) : area_(area) {}
        Envelope AreaOfInterest() const override { return area_; }
        std::string SpatialReference() const override { return "WKT"; }

    private:
        Envelope area_;
    };
    Map plain;
    EXPECT_TRUE(plain.FullExtent().IsEmpty());
    plain.AddLayer(std::make_shared<AreaLayer>(Envelope{0, 0, 10, 10}));
    auto group = std::make_shared<GroupLayer>();
    group->Add(std::make_shared<AreaLayer>(Envelope{-5, 2, 3, 20}));
    plain.AddLayer(group);
    EXPECT_EQ(plain.FullExtent(), (Envelope{-5, 0, 10, 20}));
    EXPECT_EQ(plain.Extent(), plain.FullExtent());
    EXPECT_EQ(plain.SpatialReference(), "WKT");

    plain.Extent(Envelope{1, 1, 2, 2});
    EXPECT_EQ(plain.Extent(), (Envelope{1, 1, 2, 2}));
    EXPECT_TRUE(plain.TakeRedrawRequest().Full);
    plain.Extent(Envelope{});
    EXPECT_EQ(plain.Extent(), plain.FullExtent());
    plain.SpatialReference("MAP-WKT");
    EXPECT_EQ(plain.SpatialReference(), "MAP-WKT");
}

} // namespace
} // namespace chronova::gis
