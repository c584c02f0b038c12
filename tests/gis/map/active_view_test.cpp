#include "gis/map/active_view.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "gis/layers/raster_layer.h"
#include "gis/map/map.h"
#include "support/error_number.h"

namespace chronova::gis {
namespace {

struct Refreshed {
    int32_t phase;
    std::shared_ptr<ILayer> layer;
    std::optional<Envelope> area;
};

class ActiveViewTest : public ::testing::Test {
protected:
    ActiveViewTest() {
        map.AddLayer(a);
        map.AddLayer(b);
        map.TakeRedrawRequest();
        refreshed_connection = map.Events().ViewRefreshed.Connect([this](IActiveView& view, int32_t phase,
                                                                         const std::shared_ptr<ILayer>& layer,
                                                                         const std::optional<Envelope>& area) {
            EXPECT_EQ(&view, static_cast<IActiveView*>(&map));
            refreshed.push_back({phase, layer, area});
        });
    }

    Map map;
    std::shared_ptr<RasterLayer> a = std::make_shared<RasterLayer>();
    std::shared_ptr<RasterLayer> b = std::make_shared<RasterLayer>();
    std::vector<Refreshed> refreshed;
    platform::ScopedConnection refreshed_connection;
};

TEST_F(ActiveViewTest, APlainPartialRefreshRedrawsEveryLayerOfThePhase) {
    map.PartialRefresh(view_phase::kGeography, a, Envelope{0, 0, 1, 1});
    ASSERT_EQ(refreshed.size(), 1u);
    EXPECT_EQ(refreshed[0].phase, view_phase::kGeography);
    EXPECT_EQ(refreshed[0].layer, a);
    EXPECT_EQ(refreshed[0].area, (Envelope{0, 0, 1, 1}));

    const RedrawRequest request = map.TakeRedrawRequest();
    EXPECT_FALSE(request.Full);
    EXPECT_TRUE(request.AllLayers);
    EXPECT_TRUE(request.Layers.empty());
    EXPECT_TRUE(map.TakeRedrawRequest().Empty());
}

TEST_F(ActiveViewTest, ACacheAwareRefreshRedrawsOnlyTheLayersNamed) {
    map.PartialRefreshCached(view_phase::kGeography, a, Envelope{0, 0, 1, 1});
    map.PartialRefreshCached(view_phase::kGeography, b, Envelope{2, 2, 3, 3});
    map.PartialRefreshCached(view_phase::kGeography, a, Envelope{0, 0, 1, 1});
    EXPECT_EQ(refreshed.size(), 3u);
    RedrawRequest request = map.TakeRedrawRequest();
    EXPECT_FALSE(request.AllLayers);
    EXPECT_EQ(request.Layers, (std::vector<std::shared_ptr<ILayer>>{a, b}));
    EXPECT_EQ(request.Area, (Envelope{0, 0, 3, 3}));

    // Without a layer, or with a request for the whole view, nothing narrower is left.
    map.PartialRefreshCached(view_phase::kGeography, a, Envelope{0, 0, 1, 1});
    map.PartialRefreshCached(view_phase::kGeography, nullptr, std::nullopt);
    request = map.TakeRedrawRequest();
    EXPECT_TRUE(request.AllLayers);
    EXPECT_EQ(request.Area, std::nullopt);

    map.Refresh();
    request = map.TakeRedrawRequest();
    EXPECT_TRUE(request.Full);
    EXPECT_EQ(refreshed.back().phase, view_phase::kAll);
}

TEST_F(ActiveViewTest, RejectsPhasesAViewDoesNotHave) {
    for (const int32_t phase : {0, -2, 64, 2 | 128}) {
        EXPECT_RAISES(map.PartialRefresh(phase, nullptr, std::nullopt), 5) << phase;
    }
    EXPECT_TRUE(refreshed.empty());
}

TEST_F(ActiveViewTest, DelayedDrawingCollectsRequestsIntoOneRefresh) {
    map.DelayDrawing(true);
    map.PartialRefreshCached(view_phase::kGeography, a, Envelope{0, 0, 1, 1});
    map.PartialRefreshCached(view_phase::kGeography, b, Envelope{4, 4, 5, 5});
    EXPECT_TRUE(refreshed.empty());
    map.DelayDrawing(false);
    ASSERT_EQ(refreshed.size(), 1u);
    EXPECT_EQ(refreshed[0].layer, nullptr);
    EXPECT_EQ(refreshed[0].area, (Envelope{0, 0, 5, 5}));
    EXPECT_EQ(map.TakeRedrawRequest().Layers, (std::vector<std::shared_ptr<ILayer>>{a, b}));

    // Switching off again, or a batch without requests, announces nothing.
    map.DelayDrawing(false);
    map.DelayDrawing(true);
    map.DelayDrawing(false);
    EXPECT_EQ(refreshed.size(), 1u);
}

TEST_F(ActiveViewTest, DelayedEventsFireInOrderWhenReleased) {
    std::vector<std::string> order;
    const platform::ScopedConnection added =
        map.Events().ItemAdded.Connect([&](const std::shared_ptr<ILayer>&) { order.push_back("added"); });
    const platform::ScopedConnection contents =
        map.Events().ContentsChanged.Connect([&] { order.push_back("contents"); });
    map.DelayEvents(true);
    map.AddLayer(std::make_shared<RasterLayer>());
    map.PartialRefresh(view_phase::kGeography, nullptr, std::nullopt);
    EXPECT_TRUE(order.empty());
    EXPECT_TRUE(refreshed.empty());
    map.DelayEvents(false);
    EXPECT_EQ(order, (std::vector<std::string>{"added", "contents"}));
    EXPECT_EQ(refreshed.size(), 1u);
}

} // namespace
} // namespace chronova::gis
