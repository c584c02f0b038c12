// A dialog's window is centred on the screen in whole twips.
#include "platform/ui/dialog_window.h"

#include <gtest/gtest.h>

namespace chronova::platform::ui {
namespace {

TEST(DialogWindowTest, CentresInWholeTwipsKeepingItsSize) {
    const ScreenArea saved = DialogScreen();
    EXPECT_EQ(saved.width, 1024 * kTwipsPerPixel) << "the headless screen";
    DialogWindow window;
    window.Move(100, 200, 3000, 2001);
    SetDialogScreen({15001, 10000});
    window.CenterOnScreen();
    EXPECT_EQ(window.Left(), 6000);
    EXPECT_EQ(window.Top(), 3999);
    EXPECT_EQ(window.Width(), 3000);
    EXPECT_EQ(window.Height(), 2001);
    SetDialogScreen({1000, 1000});
    window.CenterOnScreen();
    EXPECT_EQ(window.Left(), -1000) << "a dialog wider than the screen overhangs both sides";
    EXPECT_EQ(window.Top(), -500);
    SetDialogScreen(saved);
}

} // namespace
} // namespace chronova::platform::ui
