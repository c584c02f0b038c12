#include "gis/layout/scale_bar.h"
#include "gis/ogr/ground_units.h"

#include <gtest/gtest.h>

#include <QColor>
#include <cmath>

#include "gis/drawing/view_transform.h"

namespace chronova::gis {
namespace {

// The longest run of dark pixels on any row of an image: the scale bar's drawn length.
int LongestDarkRun(const QImage& image, const QRect& within) {
    int longest = 0;
    for (int y = within.top(); y <= within.bottom(); ++y) {
        int run = 0;
        for (int x = within.left(); x <= within.right(); ++x) {
            run = QColor(image.pixel(x, y)).lightness() < 80 ? run + 1 : 0;
            longest = std::max(longest, run);
        }
    }
    return longest;
}

bool IsRoundLength(double metres) {
    const double decade = std::pow(10.0, std::floor(std::log10(metres) + 1e-9));
    const double step = metres / decade;
    return std::abs(step - 1.0) < 1e-9 || std::abs(step - 2.0) < 1e-9 || std::abs(step - 5.0) < 1e-9;
}

TEST(ScaleBarTest, GroundLengthOfAMapUnitFollowsTheSpatialReference) {
    const Envelope equator{-10.0, -1.0, 10.0, 1.0};
    const Envelope sixty_north{0.0, 55.0, 10.0, 65.0};
    // A degree of longitude on the WGS 84 ellipsoid: 111.32 km at the equator, 55.80 km at 60 degrees.
    EXPECT_NEAR(MetresPerMapUnit("EPSG:4326", equator), 111319.49, 1.0);
    EXPECT_NEAR(MetresPerMapUnit("EPSG:4326", sixty_north), 55800.0, 25.0);
    // Projected references measure in their linear unit: metres, or US survey feet.
    EXPECT_DOUBLE_EQ(MetresPerMapUnit("EPSG:3857", {0, 0, 1e6, 1e6}), 1.0);
    EXPECT_NEAR(MetresPerMapUnit("EPSG:2227", {6e6, 2e6, 6.1e6, 2.1e6}), 1200.0 / 3937.0, 1e-9);
    // Without a reference, an extent within longitude and latitude bounds is taken as degrees.
    EXPECT_NEAR(MetresPerMapUnit("", equator), 111319.49, 1.0);
    EXPECT_DOUBLE_EQ(MetresPerMapUnit("", {0, 0, 5000, 5000}), 1.0);
}

TEST(ScaleBarTest, LengthIsRoundAndNearTheTarget) {
    for (const double metres_per_pixel : {0.013, 0.9, 3.7, 48.0, 1234.5, 98765.0}) {
        SCOPED_TRACE(metres_per_pixel);
        const ScaleBarLength length = RoundScaleBar(metres_per_pixel, 200.0, 400.0);
        ASSERT_GT(length.Metres, 0.0);
        EXPECT_TRUE(IsRoundLength(length.Metres)) << length.Metres;
        EXPECT_NEAR(length.Pixels * metres_per_pixel, length.Metres, length.Metres * 1e-9);
        // 1-2-5 steps are at most 2.5 apart, so the nearest is within a factor 1.6 of the target.
        EXPECT_GT(length.Pixels, 200.0 / 1.6);
        EXPECT_LT(length.Pixels, 200.0 * 1.6);
    }
    EXPECT_EQ(RoundScaleBar(10.0, 200.0, 400.0).Label, "2 km");
    EXPECT_EQ(RoundScaleBar(2.5, 200.0, 400.0).Label, "500 m");
    // The longest allowed bar wins over the target.
    EXPECT_LE(RoundScaleBar(1.0, 200.0, 150.0).Pixels, 150.0);
    EXPECT_EQ(RoundScaleBar(0.0, 200.0, 400.0).Metres, 0.0);
    EXPECT_EQ(RoundScaleBar(std::nan(""), 200.0, 400.0).Metres, 0.0);
}

// The drawn bar is as long as the view's scale makes the round length, within a pixel.
TEST(ScaleBarTest, DrawnBarMatchesTheViewScale) {
    for (const auto& [reference, extent] :
         {std::pair<std::string, Envelope>{"EPSG:3857", {0, 0, 23456, 17000}},
          std::pair<std::string, Envelope>{"EPSG:4326", {-20.5, 30.0, 12.25, 61.0}},
          std::pair<std::string, Envelope>{"EPSG:2227", {6.01e6, 2.0e6, 6.0137e6, 2.0021e6}}}) {
        SCOPED_TRACE(reference);
        const ViewTransform transform(extent, 1024, 768);
        const double metres_per_pixel = MetresPerMapUnit(reference, transform.VisibleExtent()) / transform.Scale();
        const ScaleBarLength length = RoundScaleBar(metres_per_pixel, 1024 / 5.0, 900);
        const QImage bar = DrawScaleBar(length, PieceStyle::For({1024, 768}));
        ASSERT_FALSE(bar.isNull());
        const double expected =
            length.Metres / MetresPerMapUnit(reference, transform.VisibleExtent()) * transform.Scale();
        EXPECT_NEAR(LongestDarkRun(bar, bar.rect().adjusted(1, 1, -1, -1)), expected, 1.0);
    }
}

} // namespace
} // namespace chronova::gis
