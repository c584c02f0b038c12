#include <gtest/gtest.h>

#include "gis/symbology/renderers.h"
#include "platform/locale.h"
#include "support/error_number.h"
#include "timeapply/arc_objects.h"
#include "timeapply/test_layers.h"

namespace chronova::ArcObjects {
namespace {

class VectorSymbologyTest : public ::testing::Test {
protected:
    void Apply(int32_t classes, double min_value = 0.0, double max_value = 10.0) {
        ApplyGraduatedCharacterSymbolRenderer(layer_, "Arrows", 65, "SPEED", "DIR", classes, min_value, max_value, 8.0,
                                              24.0);
    }
    std::shared_ptr<gis::ClassBreaksRenderer> Vectors() {
        return std::dynamic_pointer_cast<gis::ClassBreaksRenderer>(layer_->Renderer());
    }
    void UseSimpleMarker(gis::Color colour) {
        auto marker = std::make_shared<gis::SimpleMarkerSymbol>();
        marker->MarkerColor = colour;
        auto simple = std::make_shared<gis::SimpleRenderer>();
        simple->Symbol = marker;
        layer_->Renderer(simple);
    }

    platform::ScopedLocale us_{"en-US"};
    testing::TimeData data_ = testing::TimeTable({"3/1/2008"});
    std::shared_ptr<gis::FeatureLayer> layer_ = data_.layer;
};

TEST_F(VectorSymbologyTest, EqualIntervalClassesWithGrowingSizesLabelsAndRotation) {
    const gis::Color red{200, 10, 10, false};
    UseSimpleMarker(red);
    Apply(5);
    auto vectors = Vectors();
    ASSERT_TRUE(vectors);
    EXPECT_EQ(vectors->Field, "SPEED");
    EXPECT_EQ(vectors->RotationField, "DIR");
    EXPECT_EQ(vectors->Rotation, gis::RotationType::Geographic);
    EXPECT_FALSE(vectors->ShowClassGaps);
    EXPECT_EQ(vectors->ColorRampName, "Custom");
    ASSERT_EQ(vectors->BreakCount(), 5);
    const char* labels[] = {"0 - 2", "2 - 4", "4 - 6", "6 - 8", "8 - 10"};
    for (int32_t j = 0; j < 5; ++j) {
        EXPECT_EQ(vectors->Label(j), labels[j]);
        EXPECT_DOUBLE_EQ(vectors->Break(j), 2.0 * (j + 1));
        EXPECT_DOUBLE_EQ(vectors->LowBreak(j), 2.0 * j);
        auto symbol = std::dynamic_pointer_cast<gis::CharacterMarkerSymbol>(vectors->Symbol(j));
        ASSERT_TRUE(symbol);
        EXPECT_DOUBLE_EQ(symbol->Size, 8.0 + 4.0 * j);
        EXPECT_EQ(symbol->FontName, "Arrows");
        EXPECT_EQ(symbol->CharacterIndex, 65);
        EXPECT_EQ(symbol->MarkerColor, red);
    }
    Apply(3, 0.0, 1.0);
    EXPECT_EQ(Vectors()->BreakCount(), 5); // a class-breaks layer is left as it is
}

TEST_F(VectorSymbologyTest, LabelsRoundToFourDecimals) {
    Apply(3, 0.0, 1.0);
    ASSERT_TRUE(Vectors());
    EXPECT_EQ(Vectors()->Label(0), "0 - 0.3333");
    EXPECT_EQ(Vectors()->Label(2), "0.6667 - 1");
}

TEST_F(VectorSymbologyTest, OneClassIsAnErrorAndLeavesTheRendererAlone) {
    const auto before = layer_->Renderer();
    EXPECT_RAISES(Apply(1), 11);
    EXPECT_EQ(layer_->Renderer(), before);
    Apply(0);
    Apply(5, 10.0, 0.0);
    EXPECT_EQ(layer_->Renderer(), before);
}

TEST_F(VectorSymbologyTest, AnEmptySpeedRangeGivesOneClassOfTheSmallestSize) {
    Apply(5, 3.0, 3.0);
    ASSERT_TRUE(Vectors());
    ASSERT_EQ(Vectors()->BreakCount(), 1);
    EXPECT_EQ(Vectors()->Label(0), "3 - 3");
    EXPECT_DOUBLE_EQ(std::dynamic_pointer_cast<gis::IMarkerSymbol>(Vectors()->Symbol(0))->Size, 8.0);
}

TEST_F(VectorSymbologyTest, OnlyPointLayersBecomeVectors) {
    data_.feature_class->shape_type = gis::GeometryType::Polygon;
    const auto before = layer_->Renderer();
    Apply(5);
    EXPECT_EQ(layer_->Renderer(), before);
    ApplyGraduatedCharacterSymbolRenderer(nullptr, "Arrows", 65, "SPEED", "DIR", 5, 0, 1, 8, 24);
}

TEST_F(VectorSymbologyTest, TheSimpleRendererComesBackInTheFirstClassColour) {
    const gis::Color blue{10, 20, 200, false};
    UseSimpleMarker(blue);
    Apply(5);
    ApplySimpleRenderer(layer_);
    auto simple = std::dynamic_pointer_cast<gis::SimpleRenderer>(layer_->Renderer());
    ASSERT_TRUE(simple);
    auto marker = std::dynamic_pointer_cast<gis::SimpleMarkerSymbol>(simple->Symbol);
    ASSERT_TRUE(marker);
    EXPECT_EQ(marker->MarkerColor, blue);
    ApplySimpleRenderer(layer_);
    EXPECT_EQ(layer_->Renderer(), simple);
    ApplySimpleRenderer(nullptr);
}

} // namespace
} // namespace chronova::ArcObjects
