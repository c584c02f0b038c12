#include "gis/symbology/renderers.h"

#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "support/error_number.h"

namespace chronova::gis {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

void ExpectBreaks(double minimum, double maximum, int32_t classes, const std::vector<double>& expected) {
    const std::vector<double> breaks = EqualIntervalBreaks(minimum, maximum, classes);
    ASSERT_EQ(breaks.size(), expected.size()) << minimum << ".." << maximum << " in " << classes;
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_DOUBLE_EQ(breaks[i], expected[i]) << minimum << ".." << maximum << " in " << classes << " at " << i;
    }
}

TEST(EqualIntervalBreaksTest, DividesTheRangeIntoEqualClasses) {
    ExpectBreaks(0, 10, 5, {0, 2, 4, 6, 8, 10});
    ExpectBreaks(0, 10, 1, {0, 10});
    ExpectBreaks(-5, 5, 2, {-5, 0, 5});
    ExpectBreaks(3, 3, 5, {3, 3}); // an empty range makes one class
    ExpectBreaks(0, 10, 0, {});
    ExpectBreaks(10, 0, 5, {});
    ExpectBreaks(kNaN, 1, 5, {});
    // Stepping by the width would miss the maximum by rounding; the largest value must stay in a class.
    for (const int32_t classes : {3, 7, 49}) {
        EXPECT_EQ(EqualIntervalBreaks(0.1, 0.7, classes).back(), 0.7) << classes;
    }
}

TEST(ClassBreaksRendererTest, AClassHoldsValuesAboveTheBreakBelowUpToItsOwn) {
    ClassBreaksRenderer renderer;
    const auto breaks = EqualIntervalBreaks(0, 10, 5);
    renderer.MinimumBreak = breaks.front();
    renderer.BreakCount(5);
    for (int32_t i = 0; i < 5; ++i) {
        renderer.Break(i, breaks[static_cast<size_t>(i) + 1]);
    }
    for (const auto& [value, expected] : std::vector<std::pair<double, int32_t>>{
             {0.0, 0}, {2.0, 0}, {2.0001, 1}, {5.5, 2}, {10.0, 4}, {-0.1, -1}, {10.01, -1}, {kNaN, -1}}) {
        EXPECT_EQ(renderer.ClassOf(value), expected) << value;
    }
    // Shrinking keeps the lower classes and their breaks.
    renderer.BreakCount(2);
    EXPECT_EQ(renderer.ClassOf(3.0), 1);
    EXPECT_EQ(renderer.ClassOf(5.0), -1);
    EXPECT_EQ(ClassBreaksRenderer().ClassOf(0.0), -1);
}

TEST(ClassBreaksRendererTest, RejectsBadCountsAndIndexes) {
    ClassBreaksRenderer renderer;
    renderer.BreakCount(2);
    EXPECT_RAISES(renderer.BreakCount(-1), 5);
    EXPECT_EQ(renderer.BreakCount(), 2);
    for (const int32_t index : {-1, 2}) {
        EXPECT_RAISES(renderer.Break(index, 1.0), 9) << index;
        EXPECT_RAISES(renderer.Symbol(index), 9) << index;
        EXPECT_RAISES(renderer.Label(index, "x"), 9) << index;
        EXPECT_RAISES(renderer.LowBreak(index), 9) << index;
    }
}

} // namespace
} // namespace chronova::gis
