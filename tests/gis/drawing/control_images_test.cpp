// Pixels of the headless controls: the raster modes and text of the image canvas, and the slider form's day/night
// band replayed at its size as the desktop window will show it.
#include "gis/drawing/control_images.h"
#include "gis/drawing/image_canvas.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QImage>

#include "slider/slider_fixture.h"

namespace chronova::gis {
namespace {

using platform::ui::kTwipsPerPixel;
namespace modes = platform::ui::draw_mode;

QImage Filled(int width, int height, QColor color) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(color);
    return image;
}

QColor At(const QImage& image, int x, int y) {
    return image.pixelColor(x, y);
}

TEST(ImageCanvasTest, DrawModesCombineThePenWithThePixels) {
    struct Case {
        int32_t mode;
        int32_t pen; // 0x00BBGGRR
        QColor under;
        QColor expected;
    };
    const QColor orange(200, 100, 50);
    const Case cases[] = {
        {modes::kMaskPen, 0x696969, Qt::white, QColor(105, 105, 105)},
        {modes::kMaskPen, 0x696969, orange, QColor(200 & 105, 100 & 105, 50 & 105)},
        {modes::kMaskPen, 0xFFFFFF, orange, orange},
        {modes::kXorPen, 0xFFFFFF, orange, QColor(55, 155, 205)},
        {modes::kCopyPen, 0x0000FF, orange, QColor(255, 0, 0)},
        {modes::kInvert, 0x000000, orange, QColor(55, 155, 205)},
        {modes::kNop, 0x000000, orange, orange},
    };
    for (const Case& c : cases) {
        QImage image = Filled(4, 4, c.under);
        {
            ImageCanvas canvas(image);
            canvas.FillRect({1, 1, 3, 3}, c.pen, c.mode);
        }
        EXPECT_EQ(At(image, 1, 1), c.expected) << "mode " << c.mode;
        EXPECT_EQ(At(image, 1, 1).alpha(), 255) << "mode " << c.mode;
        EXPECT_EQ(At(image, 0, 0), c.under) << "mode " << c.mode << ": outside the rectangle";
    }
}

TEST(ImageCanvasTest, TextStandsAtItsAnchorOnItsBackground) {
    QImage image = Filled(120, 30, Qt::white);
    platform::ui::TextStyle style;
    style.font.pixel_height = 12;
    style.color = 0x000000;
    style.background = 0x00FF00;
    style.align = platform::ui::TextAlign::Right;
    {
        ImageCanvas canvas(image);
        canvas.Text(80, 5, "12:00", style);
    }
    int leftmost = 120;
    int rightmost = -1;
    bool ink = false;
    for (int y = 0; y < 30; ++y) {
        for (int x = 0; x < 120; ++x) {
            if (At(image, x, y) != QColor(Qt::white)) {
                leftmost = std::min(leftmost, x);
                rightmost = std::max(rightmost, x);
                EXPECT_GE(y, 5);
            }
            ink = ink || At(image, x, y) == QColor(Qt::black);
        }
    }
    EXPECT_EQ(rightmost, 79) << "right-aligned text ends just before its anchor";
    EXPECT_LT(leftmost, 70);
    EXPECT_EQ(At(image, leftmost, 5), QColor(Qt::green));
    EXPECT_TRUE(ink);
}

// The form's band as the window shows it: hourly positions over 20 and 21 March 2008 for a layer on the equator
// at Greenwich, 20 pixels per position.
class DayNightBandImageTest : public testing::SliderTest {};

TEST_F(DayNightBandImageTest, TheBandIsDarkWhereTheSunIsDownAtTheDataPlace) {
    const Custom custom = AddCustom(testing::March(20, 0), testing::March(22, 0), 60);
    custom.layer->area = {-1, -1, 1, 1};
    custom.layer->spatial_reference = "EPSG:4326";
    form_->Update();
    form_->picDayNightBands.Move(0, 0, 49 * 20 * kTwipsPerPixel, 15 * kTwipsPerPixel);
    form_->DrawDayNight();
    const QImage band = RenderPicture(form_->picDayNightBands);
    ASSERT_EQ(band.size(), QSize(980, 15));
    const QColor night(105, 105, 105);
    const QColor day(Qt::white);
    // Sunrise is about 06:04 and sunset about 18:11; the 15-pixel pen reaches 7 pixels into the neighbours.
    for (int position = 0; position <= 48; ++position) {
        const int hour = position % 24;
        const bool dark = hour <= 6 || hour >= 19;
        const int x = position * 20 + 10;
        EXPECT_EQ(At(band, x, 0), dark ? night : day) << "position " << position;
        EXPECT_EQ(At(band, x, 7), dark ? night : day) << "position " << position;
        EXPECT_EQ(At(band, x, 8), day) << "below the pen, position " << position;
    }
    // The first night ends at position 7, x 140.
    EXPECT_EQ(At(band, 147, 0), night);
    EXPECT_EQ(At(band, 148, 0), day);
}

} // namespace
} // namespace chronova::gis
