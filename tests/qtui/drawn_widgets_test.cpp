// The picture box and the slider: widgets that show the headless drawing pixel for pixel, report their size to
// their control, and turn the mouse and keys into the slider's drags and steps.
#include <gtest/gtest.h>

#include <QTest>
#include <QVBoxLayout>
#include <memory>
#include <string>
#include <vector>

#include "gis/drawing/control_images.h"
#include "platform/ui/picture_box.h"
#include "platform/ui/slider.h"
#include "qtui/bindings.h"
#include "qtui/shown_window.h"

namespace chronova::qtui {
namespace {

namespace ui = platform::ui;
using ui::kTwipsPerPixel;

class DrawnWidgetTest : public ShownWindowTest {
protected:
    // What the widget shows on screen now.
    static QImage Shown(QWidget& widget) { return widget.grab().toImage().convertToFormat(QImage::Format_RGB32); }
};

// A slider over 0..24 in a 300 x 30 pixel place, as the slider window lays it out.
struct HourSlider {
    HourSlider() {
        slider.Max(24);
        slider.LargeChange(6);
        slider.Move(0, 0, 300 * kTwipsPerPixel, 30 * kTwipsPerPixel);
        slider.Scroll.Connect([this] { log.push_back("scroll " + std::to_string(slider.Value())); });
        slider.Change.Connect([this] { log.push_back("change " + std::to_string(slider.Value())); });
    }
    QPoint ThumbCentre() const {
        const ui::PixelRect thumb = slider.ThumbRect();
        return {(thumb.left + thumb.right) / 2, (thumb.top + thumb.bottom) / 2};
    }
    std::vector<std::string> Take() { return std::exchange(log, {}); }

    ui::Slider slider;
    std::vector<std::string> log;
};

TEST_F(DrawnWidgetTest, APictureShowsWhatTheBoxDrawsAndFollowsNewDrawing) {
    ui::PictureBox box;
    box.Move(0, 0, 120 * kTwipsPerPixel, 20 * kTwipsPerPixel);
    box.BackColor(0xFFFFFF);
    box.Cls();
    box.Scale(0, 0, 24, 1);
    box.LineBox(0, 0, 6, 1, 0x802000, true); // a night band
    QWidget* widget = BindPictureBox(box, Window(), Placement::Twips);
    EXPECT_EQ(widget->size(), QSize(120, 20));
    EXPECT_EQ(Shown(*widget), gis::RenderPicture(box));

    box.LineBox(18, 0, 24, 1, 0x802000, true); // drawn later, no Refresh asked
    QApplication::processEvents();
    const QImage shown = Shown(*widget);
    EXPECT_EQ(shown, gis::RenderPicture(box));
    EXPECT_EQ(shown.pixelColor(115, 10), QColor(0x00, 0x20, 0x80)); // 0x00BBGGRR: the band's colour
}

TEST_F(DrawnWidgetTest, APictureLaidOutByQtHandsItsSizeToTheBoxWhichLaysOut) {
    ui::PictureBox box;
    std::vector<int32_t> widths;
    box.Resize.Connect([&] { widths.push_back(box.Width()); });
    int clicks = 0;
    box.Click.Connect([&] { ++clicks; });
    auto* layout = new QVBoxLayout(Window());
    layout->setContentsMargins(0, 0, 0, 0);
    QWidget* widget = BindPictureBox(box, Window());
    layout->addWidget(widget);
    QApplication::processEvents();
    ASSERT_FALSE(widths.empty());
    EXPECT_EQ(box.Width(), widget->width() * kTwipsPerPixel);
    EXPECT_EQ(box.Height(), widget->height() * kTwipsPerPixel);

    Window()->resize(250, 100);
    QApplication::processEvents();
    EXPECT_EQ(widths.back(), 250 * kTwipsPerPixel);
    QTest::mouseClick(widget, Qt::LeftButton);
    EXPECT_EQ(clicks, 1);
}

TEST_F(DrawnWidgetTest, ASliderLooksAsItDrawsItselfAlsoWithItsContainersDrawing) {
    HourSlider hours;
    ui::PictureBox box;
    bool paint_channel_red = false;
    box.WindowProcedure([&](const ui::CustomDraw& draw) {
        if (!paint_channel_red) {
            return ui::custom_draw::kDoDefault;
        }
        if (draw.stage == ui::DrawStage::PrePaint) {
            return ui::custom_draw::kNotifyItemDraw;
        }
        if (draw.stage == ui::DrawStage::ItemPrePaint && draw.part == ui::SliderPart::Channel) {
            draw.canvas.FillRect(draw.rect, 0x0000FF, ui::draw_mode::kCopyPen);
            return ui::custom_draw::kSkipDefault;
        }
        return ui::custom_draw::kDoDefault;
    });
    hours.slider.Container(&box);
    hours.slider.Value(12);
    QWidget* widget = BindSlider(hours.slider, Window(), Placement::Twips);
    EXPECT_EQ(Shown(*widget), gis::RenderSlider(hours.slider));

    paint_channel_red = true;
    box.Refresh(); // the slider repaints with its container
    QApplication::processEvents();
    const ui::PixelRect channel = hours.slider.ChannelRect();
    EXPECT_EQ(Shown(*widget).pixelColor(channel.left + 2, (channel.top + channel.bottom) / 2), QColor(Qt::red));
}

TEST_F(DrawnWidgetTest, DraggingTheThumbScrollsAndLettingGoChangesOnce) {
    HourSlider hours;
    QWidget* widget = BindSlider(hours.slider, Window(), Placement::Twips);
    const QPoint start = hours.ThumbCentre();
    const QPoint end(hours.slider.ValueX(10), start.y());
    QTest::mousePress(widget, Qt::LeftButton, {}, start);
    QTest::mouseMove(widget, QPoint(hours.slider.ValueX(5), start.y()));
    EXPECT_TRUE(hours.slider.Dragging());
    QTest::mouseMove(widget, end);
    QTest::mouseRelease(widget, Qt::LeftButton, {}, end);
    EXPECT_FALSE(hours.slider.Dragging());
    EXPECT_EQ(hours.Take(), (std::vector<std::string>{"scroll 5", "scroll 10", "change 10"}));

    // Grabbing the thumb off its centre does not make it jump.
    const QPoint off_centre = hours.ThumbCentre() + QPoint(3, 0);
    QTest::mousePress(widget, Qt::LeftButton, {}, off_centre);
    QTest::mouseMove(widget, off_centre + QPoint(1, 0));
    QTest::mouseRelease(widget, Qt::LeftButton, {}, off_centre + QPoint(1, 0));
    EXPECT_EQ(hours.slider.Value(), 10);
    EXPECT_EQ(hours.Take(), (std::vector<std::string>{"scroll 10"}));
}

TEST_F(DrawnWidgetTest, AClickBesideTheThumbStepsALargeChangeTowardsIt) {
    HourSlider hours;
    hours.slider.Value(12);
    hours.Take();
    QWidget* widget = BindSlider(hours.slider, Window(), Placement::Twips);
    const int y = hours.ThumbCentre().y();
    QTest::mouseClick(widget, Qt::LeftButton, {}, QPoint(hours.slider.ValueX(23), y));
    EXPECT_EQ(hours.slider.Value(), 18);
    QTest::mouseClick(widget, Qt::LeftButton, {}, QPoint(hours.slider.ValueX(1), y));
    QTest::mouseClick(widget, Qt::LeftButton, {}, QPoint(hours.slider.ValueX(1), y));
    EXPECT_EQ(hours.slider.Value(), 6);
    EXPECT_EQ(hours.Take(), (std::vector<std::string>{"change 18", "change 12", "change 6"}));
}

TEST_F(DrawnWidgetTest, KeysStepAsTheClassicTrackBarAndADisabledSliderIgnoresThem) {
    HourSlider hours;
    hours.slider.Value(12);
    QWidget* widget = BindSlider(hours.slider, Window(), Placement::Twips);
    EXPECT_EQ(widget->focusPolicy(), Qt::StrongFocus);
    widget->setFocus();
    const std::pair<Qt::Key, int32_t> steps[] = {
        {Qt::Key_Right, 13},  {Qt::Key_Left, 12}, {Qt::Key_Down, 13},     {Qt::Key_Up, 12},  {Qt::Key_PageDown, 18},
        {Qt::Key_PageUp, 12}, {Qt::Key_End, 24},  {Qt::Key_PageDown, 24}, {Qt::Key_Home, 0},
    };
    for (const auto& [key, value] : steps) {
        QTest::keyClick(widget, key);
        EXPECT_EQ(hours.slider.Value(), value) << QTest::toString(key);
    }
    hours.slider.Enabled(false);
    EXPECT_FALSE(widget->isEnabled());
    QTest::keyClick(widget, Qt::Key_End);
    EXPECT_EQ(hours.slider.Value(), 0);
}

TEST_F(DrawnWidgetTest, ASliderLaidOutByQtDrawsAndHitTestsAtTheWidgetsSize) {
    HourSlider hours;
    auto* layout = new QVBoxLayout(Window());
    QWidget* widget = BindSlider(hours.slider, Window());
    layout->addWidget(widget);
    Window()->resize(500, 60);
    QApplication::processEvents();
    EXPECT_EQ(hours.slider.Width(), widget->width() * kTwipsPerPixel);
    const QPoint target(hours.slider.ValueX(20), hours.ThumbCentre().y());
    QTest::mousePress(widget, Qt::LeftButton, {}, hours.ThumbCentre());
    QTest::mouseMove(widget, target);
    QTest::mouseRelease(widget, Qt::LeftButton, {}, target);
    EXPECT_EQ(hours.slider.Value(), 20);
}

} // namespace
} // namespace chronova::qtui
