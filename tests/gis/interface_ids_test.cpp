#include "gis/interface_ids.h"

#include <gtest/gtest.h>

#include "gis/layers/feature_layer.h"
#include "gis/layers/group_layer.h"
#include "gis/layers/raster_layer.h"
#include "gis/layers/wms_map_layer.h"
#include "support/error_number.h"

namespace chronova::gis {
namespace {

bool Supports(const platform::IUnknown& object, std::string_view iid) {
    return SupportsInterface(object, UID(iid));
}

TEST(InterfaceIdsTest, ClassifiesTheHostsLayers) {
    const FeatureLayer feature;
    const RasterLayer raster;
    const GroupLayer group;
    const WmsMapLayer wms;
    struct Case {
        const platform::IUnknown* object;
        std::string_view iid;
        bool expected;
    };
    const Case cases[] = {
        {&feature, iid::kLayer, true},           {&feature, iid::kFeatureLayer, true},
        {&feature, iid::kGeoFeatureLayer, true}, {&feature, iid::kCompositeLayer, false},
        {&raster, iid::kRasterLayer, true},      {&raster, iid::kGeoFeatureLayer, false},
        {&group, iid::kGroupLayer, true},        {&group, iid::kCompositeLayer, true},
        {&group, iid::kWmsMapLayer, false},      {&wms, iid::kWmsMapLayer, true},
        {&wms, iid::kCompositeLayer, true},      {&wms, iid::kFeatureLayer, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Supports(*c.object, c.iid), c.expected) << c.iid;
    }
}

// A workspace only has to exist to be classified.
class TestWorkspace : public IFeatureWorkspace, public IGeodatabaseWorkspace {
public:
    std::string PathName() const override { return "/data/test.gpkg"; }
    std::vector<std::string> DatasetNames(DatasetType) const override { return {}; }
    std::shared_ptr<ITable> OpenTable(std::string_view) override { return nullptr; }
    std::shared_ptr<IFeatureClass> OpenFeatureClass(std::string_view) override { return nullptr; }
};

TEST(InterfaceIdsTest, TellsTheGeodatabaseWorkspaceApart) {
    const TestWorkspace workspace;
    EXPECT_TRUE(Supports(workspace, "{4B21005E-01DF-4945-9038-ADCBD17A0F2E}"));
    EXPECT_TRUE(Supports(workspace, iid::kFeatureWorkspace));
    EXPECT_FALSE(Supports(FeatureLayer(), iid::kGeodatabaseWorkspace));
}

class TestOwnLayer : public LayerBase {};

TEST(InterfaceIdsTest, ComponentsRegisterTheirOwnInterfaces) {
    constexpr std::string_view own_iid = "{a6c5c2a4-5d1e-4a27-9c51-2f0bb44c6a10}";
    const TestOwnLayer own;
    EXPECT_FALSE(Supports(own, own_iid));
    RegisterInterface(own_iid, [](const platform::IUnknown& object) {
        return dynamic_cast<const TestOwnLayer*>(&object) != nullptr;
    });
    EXPECT_TRUE(Supports(own, own_iid));
    EXPECT_FALSE(Supports(FeatureLayer(), own_iid));

    RegisterInterface(own_iid, [](const platform::IUnknown&) { return false; });
    EXPECT_FALSE(Supports(own, own_iid));

    EXPECT_RAISES(RegisterInterface("ITestLayer", [](const platform::IUnknown&) { return true; }), 5);
    EXPECT_RAISES(RegisterInterface(own_iid, nullptr), 5);
    EXPECT_FALSE(SupportsInterface(own, UID()));
}

} // namespace
} // namespace chronova::gis
