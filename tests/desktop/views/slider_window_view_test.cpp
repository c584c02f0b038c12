// The slider window's view: its widgets stand where the form's layout puts the controls, follow the window's
// size, and the user's drags and clicks reach the form.
#include "views_fixture.h"

#include "apps/desktop/views/slider_window_view.h"
#include "platform/ui/canvas.h"

#include <QLabel>
#include <QPushButton>

namespace chronova::testing {
namespace {

using platform::ui::kTwipsPerPixel;

QRect TwipRect(const platform::ui::Control& control) {
    return {control.Left() / kTwipsPerPixel, control.Top() / kTwipsPerPixel, control.Width() / kTwipsPerPixel,
            control.Height() / kTwipsPerPixel};
}

class SliderViewTest : public ViewsTest {
protected:
    void Show(desktop::SliderWindowView& view, QSize size) {
        view.resize(size);
        view.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
        QApplication::processEvents();
    }
    static QWidget& Child(QWidget& view, const char* name) {
        auto* child = view.findChild<QWidget*>(name);
        EXPECT_NE(child, nullptr) << name;
        return child != nullptr ? *child : view;
    }
};

TEST_F(SliderViewTest, ControlsFollowTheFormsLayoutWhenTheWindowIsResized) {
    RegisterShips();
    desktop::SliderWindowView view(Slider());
    Show(view, {800, 180});
    frmSlider& form = Slider();

    // The window's size is Picture1's, and the form laid the controls out for it.
    EXPECT_EQ(form.Picture1.Width(), 800 * kTwipsPerPixel);
    EXPECT_EQ(form.Picture1.Height(), 180 * kTwipsPerPixel);
    EXPECT_EQ(form.Slider1.Width(), 800 * kTwipsPerPixel);
    QWidget& slider = Child(view, "Slider1");
    QWidget& band = Child(view, "picDayNightBands");
    QWidget& frame = Child(view, "fraCenterFrame");
    QWidget& finish = Child(view, "lblTime1");
    EXPECT_EQ(slider.geometry(), TwipRect(form.Slider1));
    EXPECT_EQ(band.geometry(), TwipRect(form.picDayNightBands));
    EXPECT_EQ(frame.geometry(), TwipRect(form.fraCenterFrame));
    EXPECT_EQ(finish.geometry().right() + 1, 800);
    EXPECT_EQ(band.geometry().top(), slider.geometry().bottom() + 1);
    EXPECT_NEAR(frame.geometry().center().x(), 400, 1);
    EXPECT_GT(frame.geometry().top(), band.geometry().bottom());
    Shoot(view, "slider_800x180");

    // Narrower, down to the smallest width: the slider and the band shrink with the window, the frame stays
    // centred, the finish label and the maker's logo move to the new right edge.
    const int narrow = view.minimumSizeHint().width();
    ASSERT_LT(narrow, 800);
    view.resize(narrow, 180);
    QApplication::processEvents();
    EXPECT_EQ(form.Picture1.Width(), narrow * kTwipsPerPixel);
    EXPECT_EQ(slider.width(), narrow);
    EXPECT_EQ(band.width(), narrow);
    EXPECT_NEAR(frame.geometry().center().x(), narrow / 2, 1);
    EXPECT_EQ(finish.geometry().right() + 1, narrow);
    QWidget& powered = Child(view, "picPowered");
    EXPECT_TRUE(powered.isVisible());
    EXPECT_EQ(powered.geometry().bottomRight(), QPoint(narrow - 1, 179));
    Shoot(view, "slider_narrow");
}

TEST_F(SliderViewTest, TheButtonsFitBetweenTheLogosAtTheSmallestSize) {
    RegisterShips();
    desktop::SliderWindowView view(Slider());
    const QSize smallest = view.minimumSizeHint();
    EXPECT_GE(view.sizeHint().width(), 640);
    EXPECT_GE(view.sizeHint().height(), smallest.height());
    Show(view, smallest);
    EXPECT_EQ(view.size(), smallest);

    const QRect frame = Child(view, "fraCenterFrame").geometry();
    const QRect logo = Child(view, "picLogo").geometry();
    const QRect powered = Child(view, "picPowered").geometry();
    const QRect band = Child(view, "picDayNightBands").geometry();
    EXPECT_FALSE(frame.intersects(logo));
    EXPECT_FALSE(frame.intersects(powered));
    EXPECT_LE(frame.bottom(), smallest.height() - 1);
    EXPECT_GT(logo.top(), band.bottom());
    // Every button and list of the frame is inside it, wide enough for its caption.
    for (auto* button : Child(view, "fraCenterFrame").findChildren<QPushButton*>()) {
        EXPECT_TRUE(frame.contains(QRect(button->mapTo(&view, QPoint(0, 0)), button->size())))
            << button->text().toStdString();
        EXPECT_GE(button->width(), button->fontMetrics().horizontalAdvance(button->text()));
    }
    Shoot(view, "slider_smallest");
}

TEST_F(SliderViewTest, DraggingTheThumbScrollsTheCurrentLabelThenAppliesTheTimeOnRelease) {
    auto ships = RegisterShips();
    desktop::SliderWindowView view(Slider());
    Show(view, {640, 170});
    frmSlider& form = Slider();
    ASSERT_EQ(form.Slider1.Max(), 2);
    ASSERT_EQ(form.Slider1.Value(), 0);
    ASSERT_EQ(Drawn(*ships), (std::vector<uint32_t>{0}));

    QWidget& slider = Child(view, "Slider1");
    const platform::ui::PixelRect thumb = form.Slider1.ThumbRect();
    const QPoint grab((thumb.left + thumb.right) / 2, (thumb.top + thumb.bottom) / 2);
    const QPoint drop(form.Slider1.ValueX(2), grab.y());
    QTest::mousePress(&slider, Qt::LeftButton, {}, grab);
    QTest::mouseMove(&slider, drop);
    // While the thumb moves only the current label follows; the layers still show the first day.
    EXPECT_EQ(form.Slider1.Value(), 2);
    EXPECT_EQ(form.lblTime[2].Caption(), "030600Z MAR 2008");
    EXPECT_EQ(Drawn(*ships), (std::vector<uint32_t>{0}));
    QTest::mouseRelease(&slider, Qt::LeftButton, {}, drop);

    EXPECT_EQ(form.Slider1.Value(), 2);
    EXPECT_EQ(Drawn(*ships), (std::vector<uint32_t>{2}));
    EXPECT_EQ(Child(view, "lblTime2").property("text").toString(), QStringLiteral("030600Z MAR 2008"));
}

TEST_F(SliderViewTest, ClickingTheCurrentTimeOpensThePickerAndItsChoiceMovesTheSlider) {
    auto ships = RegisterShips();
    desktop::SliderWindowView view(Slider());
    Show(view, {640, 170});

    WhenDialogShows("DateTimePickerDialog", [&](QDialog& dialog) {
        Shoot(dialog, "picker_from_slider");
        auto* calendar = dialog.findChild<QCalendarWidget*>();
        ASSERT_NE(calendar, nullptr);
        EXPECT_EQ(calendar->selectedDate(), QDate(2008, 3, 1));
        ClickDay(*calendar, 2);
        auto* ok = FindButton(dialog, "OK");
        ASSERT_NE(ok, nullptr);
        QTest::mouseClick(ok, Qt::LeftButton);
    });
    QTest::mouseClick(&Child(view, "lblTime2"), Qt::LeftButton);

    EXPECT_FALSE(modDateTime::Picker().bCancelled);
    EXPECT_EQ(Slider().Slider1.Value(), 1);
    EXPECT_EQ(Drawn(*ships), (std::vector<uint32_t>{1}));
    EXPECT_EQ(Slider().lblTime[2].Caption(), "020600Z MAR 2008");
}

TEST_F(SliderViewTest, DisplayOptionsSwitchedToUniquePointsReachTheSliderThroughItsButton) {
    RegisterShips();
    desktop::SliderWindowView view(Slider());
    Show(view, {640, 170});

    WhenDialogShows("DisplayOptionsDialog", [&](QDialog& dialog) {
        auto* unique = FindRadio(dialog, "Show All Unique Data Points");
        ASSERT_NE(unique, nullptr);
        QTest::mouseClick(unique, Qt::LeftButton, {}, QPoint(6, unique->height() / 2));
        EXPECT_TRUE(unique->isChecked());
        EXPECT_FALSE(FindRadio(dialog, "Use Fixed Interval")->isChecked());
        // The interval boxes and "Calculate" go grey with the fixed interval.
        for (auto* box : dialog.findChildren<QLineEdit*>()) {
            EXPECT_FALSE(box->isEnabled());
        }
        EXPECT_FALSE(FindButton(dialog, "Calculate")->isEnabled());
        Shoot(dialog, "display_options_unique");
        QTest::mouseClick(FindButton(dialog, "Done"), Qt::LeftButton);
    });
    QTest::mouseClick(FindButton(view, "Display Options..."), Qt::LeftButton);

    EXPECT_EQ(g_iDisplayType, 1);
    EXPECT_EQ(Slider().Label1[2].Caption(), "Unique Data Points");
    EXPECT_EQ(qobject_cast<QLabel*>(&Child(view, "Label1_2"))->text(), QStringLiteral("Unique Data Points"));
    EXPECT_EQ(Slider().Slider1.Max(), 2);
}

} // namespace
} // namespace chronova::testing
