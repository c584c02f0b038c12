#include "gis/layers/group_layer.h"

#include <gtest/gtest.h>

#include "support/error_number.h"

namespace chronova::gis {
namespace {

class AreaLayer : public LayerBase {
public:
    AreaLayer(std::string name, Envelope area, std::string wkt = {})
        : LayerBase(std::move(name)), area_(area), wkt_(std::move(wkt)) {}
    Envelope AreaOfInterest() const override { return area_; }
    std::string SpatialReference() const override { return wkt_; }

private:
    Envelope area_;
    std::string wkt_;
};

std::vector<std::string> Names(const GroupLayer& group) {
    std::vector<std::string> names;
    for (const auto& layer : group.Layers()) {
        names.push_back(layer->Name());
    }
    return names;
}

TEST(GroupLayerTest, KeepsItsChildrenInOrderAndCoversTheirAreas) {
    GroupLayer group("Group");
    auto a = std::make_shared<AreaLayer>("a", Envelope{0, 0, 1, 1});
    auto b = std::make_shared<AreaLayer>("b", Envelope{5, 5, 6, 7}, "WKT-B");
    group.Add(a);
    group.Add(b);
    group.Insert(0, std::make_shared<AreaLayer>("c", Envelope{}));
    EXPECT_EQ(Names(group), (std::vector<std::string>{"c", "a", "b"}));
    EXPECT_EQ(group.AreaOfInterest(), (Envelope{0, 0, 6, 7}));
    EXPECT_EQ(group.SpatialReference(), "WKT-B");
    EXPECT_TRUE(group.Delete(a));
    EXPECT_FALSE(group.Delete(a));
    EXPECT_EQ(Names(group), (std::vector<std::string>{"c", "b"}));
}

TEST(GroupLayerTest, RefusesWhatWouldBreakTheTree) {
    auto outer = std::make_shared<GroupLayer>("outer");
    auto inner = std::make_shared<GroupLayer>("inner");
    auto leaf = std::make_shared<AreaLayer>("leaf", Envelope{});
    outer->Add(inner);
    inner->Add(leaf);
    const std::pair<std::function<void()>, int32_t> cases[] = {
        {[&] { inner->Add(leaf); }, 5},  // already a child
        {[&] { inner->Add(outer); }, 5},  // would hold itself
        {[&] { outer->Add(outer); }, 5},  // itself
        {[&] { outer->Add(nullptr); }, 91}, // nothing
        {[&] { outer->Insert(3, leaf); }, 9},  // past the end
        {[&] { outer->Layer(1); }, 9},        {[&] { outer->Layer(-1); }, 9},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_RAISES(cases[i].first(), cases[i].second) << "case " << i;
    }
    EXPECT_TRUE(ContainsLayer(*outer, *leaf));
    EXPECT_FALSE(ContainsLayer(*inner, *outer));
}

} // namespace
} // namespace chronova::gis
