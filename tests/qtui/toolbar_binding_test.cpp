// The tool bar: one tool per button key with a drawn glyph, states followed, presses reaching the toolbar.
#include <gtest/gtest.h>

#include <QAction>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <memory>
#include <string>
#include <vector>

#include "platform/ui/toolbar.h"
#include "qtui/bindings.h"
#include "qtui/playback_icons.h"

namespace chronova::qtui {
namespace {

namespace ui = platform::ui;

QAction* ActionFor(QToolBar& bar, const char* key) {
    for (QAction* action : bar.actions()) {
        if (action->objectName() == key) {
            return action;
        }
    }
    return nullptr;
}

TEST(ToolbarBindingTest, ToolsFollowTheButtonsAndAPressReachesTheToolbar) {
    QWidget window;
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    ui::Toolbar control;
    control.Add("ID_PLAY", "Play");
    control.Add("ID_STOP", "Stop");
    control.Add("Export", "Save the frames");
    std::vector<std::string> pressed;
    control.ButtonClick.Connect([&](const std::string& key) {
        pressed.push_back(key);
        // As the slider window does: a press starts playback and shows Play pressed.
        control.Buttons("ID_PLAY").Value(key == "ID_PLAY");
    });
    QToolBar* bar = BindToolbar(control, &window);
    bar->resize(300, 40);
    ASSERT_EQ(bar->actions().size(), 3);
    QAction* play = ActionFor(*bar, "ID_PLAY");
    QAction* stop = ActionFor(*bar, "ID_STOP");
    ASSERT_NE(play, nullptr);
    ASSERT_NE(stop, nullptr);
    EXPECT_FALSE(play->icon().isNull());
    EXPECT_EQ(play->toolTip(), "Play");
    EXPECT_EQ(ActionFor(*bar, "Export")->text(), "Export"); // no glyph: the key shows as text

    QTest::mouseClick(bar->widgetForAction(play), Qt::LeftButton);
    EXPECT_TRUE(play->isChecked());
    QTest::mouseClick(bar->widgetForAction(stop), Qt::LeftButton);
    EXPECT_FALSE(play->isChecked());
    EXPECT_FALSE(stop->isChecked()); // Qt toggled it; the toolbar does not show Stop pressed

    control.Buttons("ID_STOP").Enabled(false);
    control.Buttons("Export").Visible(false);
    control.Buttons("ID_STOP").ToolTipText("Stop playing");
    EXPECT_FALSE(stop->isEnabled());
    EXPECT_FALSE(ActionFor(*bar, "Export")->isVisible());
    EXPECT_EQ(stop->toolTip(), "Stop playing");
    QTest::mouseClick(bar->widgetForAction(stop), Qt::LeftButton);
    EXPECT_EQ(pressed, (std::vector<std::string>{"ID_PLAY", "ID_STOP"}));

    control.Add("ID_STEP", "Step");
    EXPECT_EQ(bar->actions().size(), 4);
    EXPECT_FALSE(ActionFor(*bar, "ID_STEP")->icon().isNull());
}

TEST(ToolbarBindingTest, EveryPlaybackToolOfTheSliderWindowHasItsOwnGlyph) {
    const char* keys[] = {"ID_REWIND", "ID_STEP", "ID_STOP", "ID_PLAY", "ID_FORWARD", "ID_PLAYBACK", "ID_STEPBACK"};
    std::vector<QImage> glyphs;
    for (const char* key : keys) {
        const QIcon icon = PlaybackIcon(key);
        ASSERT_FALSE(icon.isNull()) << key;
        const QImage image = icon.pixmap(24, 24).toImage();
        // Something is drawn, and no two tools look alike.
        EXPECT_NE(image, QImage(24, 24, image.format())) << key;
        for (const QImage& other : glyphs) {
            EXPECT_NE(image, other) << key;
        }
        glyphs.push_back(image);
    }
    EXPECT_EQ(PlaybackIcon("Pause").isNull(), false);
    EXPECT_TRUE(PlaybackIcon("ID_EXPORT").isNull());
}

} // namespace
} // namespace chronova::qtui
