#include "gis/symbology/palettes.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "support/error_number.h"

namespace chronova::gis {
namespace {

constexpr Color kBlack{0, 0, 0, false};
constexpr Color kWhite{255, 255, 255, false};
constexpr Color kRed{255, 0, 0, false};

TEST(PalettesTest, RampsAreFoundByNameInAnyLetterCase) {
    ASSERT_NE(FindColorRamp("Viridis"), nullptr);
    EXPECT_EQ(FindColorRamp("VIRIDIS"), FindColorRamp("viridis"));
    EXPECT_EQ(FindColorRamp("RdYlBu")->Kind, RampKind::Diverging);
    EXPECT_EQ(FindColorRamp("set2")->Kind, RampKind::Qualitative);
    EXPECT_EQ(FindColorRamp("virdis"), nullptr);
    std::set<std::string> names;
    for (const ColorRamp& ramp : ColorRamps()) {
        EXPECT_GE(ramp.Colors.size(), 8U) << ramp.Name;
        names.insert(std::string(ramp.Name));
    }
    EXPECT_EQ(names.size(), ColorRamps().size()) << "names are unique";

    const platform::AutomationError error = testing::ErrorOf([] { ColorRampNamed("virdis"); });
    EXPECT_EQ(error.Number(), 5);
    EXPECT_THAT(error.Description(),
                ::testing::AllOf(::testing::HasSubstr("'virdis'"), ::testing::HasSubstr("viridis, blues, greens")));
}

TEST(PalettesTest, StopsBlendLinearlyAndHoldTheirEnds) {
    const std::vector<RampStop> stops{{0.0, kBlack}, {0.5, kRed}, {1.0, kWhite}};
    EXPECT_EQ(SampleStops(stops, 0.0), kBlack);
    EXPECT_EQ(SampleStops(stops, 0.25), (Color{128, 0, 0, false}));
    EXPECT_EQ(SampleStops(stops, 0.5), kRed);
    EXPECT_EQ(SampleStops(stops, 0.75), (Color{255, 128, 128, false}));
    EXPECT_EQ(SampleStops(stops, 1.0), kWhite);
    EXPECT_EQ(SampleStops(stops, -3.0), kBlack);
    EXPECT_EQ(SampleStops(stops, 7.0), kWhite);
    // Stops that do not reach the ends hold their colours beyond them.
    const std::vector<RampStop> inner{{0.2, kRed}, {0.8, kWhite}};
    EXPECT_EQ(SampleStops(inner, 0.1), kRed);
    EXPECT_EQ(SampleStops(inner, 0.9), kWhite);
    EXPECT_NEAR(SampleStops(inner, 0.5).Green, 127.5, 0.5);

    const std::vector<RampStop> even = EvenStops({kBlack, kRed, kWhite});
    ASSERT_EQ(even.size(), 3U);
    EXPECT_DOUBLE_EQ(even[1].Position, 0.5);
    EXPECT_EQ(SampleRamp(*FindColorRamp("greys"), 1.0), kBlack);
}

TEST(PalettesTest, ClassColorsCycleQualitativeListsAndSpreadOverOthers) {
    const ColorRamp& set1 = ColorRampNamed("set1");
    const std::vector<Color> eleven = ClassColors(set1, 11);
    ASSERT_EQ(eleven.size(), 11U);
    EXPECT_EQ(eleven[0], set1.Colors[0]);
    EXPECT_EQ(eleven[8], set1.Colors[8]);
    EXPECT_EQ(eleven[9], set1.Colors[0]) << "the list repeats";

    const ColorRamp& blues = ColorRampNamed("blues");
    const std::vector<Color> three = ClassColors(blues, 3);
    ASSERT_EQ(three.size(), 3U);
    EXPECT_EQ(three.front(), blues.Colors.front());
    EXPECT_EQ(three[1], blues.Colors[4]);
    EXPECT_EQ(three.back(), blues.Colors.back());
    EXPECT_EQ(ClassColors(blues, 1), std::vector<Color>{blues.Colors[4]}) << "one class takes the middle";
    EXPECT_TRUE(ClassColors(blues, 0).empty());

    const std::vector<Color> listed{kBlack, kWhite};
    EXPECT_EQ(ClassColors(listed, 2), listed);
    EXPECT_EQ(ClassColors(listed, 3)[1], (Color{128, 128, 128, false}));
}

} // namespace
} // namespace chronova::gis
