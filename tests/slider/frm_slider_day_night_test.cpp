// The day/night band the slider form draws: one sample per tick at the place of the earliest layer, night and
// day stretches as boxes of a wide pen ANDed onto the band, and errors that go to the debug output.
#include <gtest/gtest.h>

#include <vector>

#include "platform/debug_output.h"
#include "slider/slider_fixture.h"

namespace chronova {
namespace {

using platform::ui::DrawOperation;
using testing::March;

constexpr int32_t kNight = 0x696969;
constexpr int32_t kDay = 0xFFFFFF;

struct Stretch {
    double from;
    double to;
    int32_t color;
    friend bool operator==(const Stretch&, const Stretch&) = default;
};

std::ostream& operator<<(std::ostream& out, const Stretch& s) {
    return out << "[" << s.from << ", " << s.to << (s.color == kNight ? " night]" : " day]");
}

class DayNightBandTest : public testing::SliderTest {
protected:
    // An hourly axis over a layer around (longitude, latitude) in geographic degrees.
    void HourlyAxisAt(double longitude, double latitude, int32_t first, int32_t last) {
        const Custom custom = AddCustom(first, last, 60);
        custom.layer->area = {longitude - 1, latitude - 1, longitude + 1, latitude + 1};
        custom.layer->spatial_reference = "EPSG:4326";
        form_->Update();
    }

    std::vector<Stretch> Stretches() const {
        std::vector<Stretch> stretches;
        for (const DrawOperation& op : form_->picDayNightBands.Operations()) {
            if (op.kind == DrawOperation::Kind::Box) {
                EXPECT_TRUE(op.filled);
                EXPECT_EQ(op.pen_width, 15);
                EXPECT_EQ(op.y1, 0);
                EXPECT_EQ(op.y2, 0);
                stretches.push_back({op.x1, op.x2, op.color});
            }
        }
        return stretches;
    }
};

TEST_F(DayNightBandTest, NightAndDayStretchesFollowTheSunAtTheDataPlace) {
    // 20 to 22 March 2008 on the equator at Greenwich: sunrise about 06:04, sunset about 18:11.
    HourlyAxisAt(0, 0, March(20, 0), March(22, 0));
    ASSERT_EQ(form_->Slider1.GetNumTicks(), 49);
    form_->DrawDayNight();

    EXPECT_EQ(form_->picDayNightBands.ScaleWidth(), 49) << "a unit per tick";
    EXPECT_EQ(form_->picDayNightBands.DrawMode(), platform::ui::PictureBox::kMaskPen);

    // Sample i is the time of position i: 1:00 to 6:00 dark, 7:00 to 18:00 light, and so on; the last stretch
    // runs past the right edge.
    const std::vector<Stretch> expected = {
        {0, 7, kNight}, {7, 19, kDay}, {19, 31, kNight}, {31, 43, kDay}, {43, 50, kNight},
    };
    EXPECT_EQ(Stretches(), expected);

    // Ninety degrees west the sun rises about 12:04 UT; the evening before ends at 00:11 UT.
    g_Layers->Clear();
    HourlyAxisAt(-90, 0, March(20, 0), March(21, 0));
    form_->DrawDayNight();
    const std::vector<Stretch> west = {{0, 13, kNight}, {13, 25, kDay}, {25, 26, kNight}};
    EXPECT_EQ(Stretches(), west);
}

TEST_F(DayNightBandTest, TooManyTicksForTheBandGoToTheDebugOutputAndLeaveItClear) {
    // The axis stops at 32767 ticks; a slider stretched one further has more ticks than the band counts.
    HourlyAxisAt(0, 0, March(1, 0), March(1, 0) + 32766 * 60);
    ASSERT_EQ(form_->Slider1.GetNumTicks(), 32767);
    form_->Slider1.Max(32767);
    const platform::ScopedDebugCapture capture;
    form_->DrawDayNight();
    ASSERT_EQ(capture.Lines().size(), 1U);
    EXPECT_EQ(capture.Lines()[0].rfind("error in drawDayNight: ", 0), 0U) << capture.Lines()[0];
    EXPECT_NE(capture.Lines()[0].find("Overflow"), std::string::npos) << capture.Lines()[0];
    EXPECT_TRUE(Stretches().empty());
    EXPECT_TRUE(messages_.MessageBoxes().empty());
}

} // namespace
} // namespace chronova
