// Screenshots of the main window and the slider window on the demo project, taken under a real X server
// (xvfb-run, see tests/desktop/CMakeLists.txt) and compared with the stored images in tests/desktop/screenshots by
// a pixel tolerance. To store new images after a deliberate change of the look:
//
//   CHRONOVA_UPDATE_GOLDEN=1 ctest --test-dir build/test -R desktop_screenshots
//
// and look at every changed PNG before committing it.
#include "desktop_fixture.h"

#include <QDockWidget>
#include <QGuiApplication>

#include "apps/desktop/host_docks.h"
#include "support/image_compare.h"

namespace chronova::testing {
namespace {

class ScreenshotTest : public DesktopTest {
protected:
    static std::filesystem::path Stored(const std::string& name) {
        return std::filesystem::path(CHRONOVA_SCREENSHOT_DIR) / (name + ".png");
    }
    std::filesystem::path Failures() const { return std::filesystem::path(CHRONOVA_SCREENSHOT_FAILURES); }

    /// The demo in a 1280 x 800 window with the slider window docked, as the README's picture shows it.
    desktop::MainWindow& OpenDemo() {
        window_ = std::make_unique<desktop::MainWindow>(desktop::DialogServices::Installed);
        window_->RememberRecentFiles(false);
        window_->resize(1280, 800);
        window_->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
        EXPECT_TRUE(window_->OpenProject(DemoProject()));
        // Let the docks settle and the canvas draw at its final size.
        for (int round = 0; round < 20; ++round) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        }
        return *window_;
    }
};

TEST_F(ScreenshotTest, RunsUnderARealXServer) {
    // Under the offscreen platform these pictures would not show what a user sees.
    EXPECT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb"));
}

TEST_F(ScreenshotTest, MainWindowOnTheDemoMatchesItsStoredImage) {
    desktop::MainWindow& window = OpenDemo();
    const QImage shot = window.grab().toImage();
    ASSERT_EQ(shot.size(), QSize(1280, 800));
    EXPECT_TRUE(MatchesStoredImage(shot, Stored("main_window"), Failures()));
}

TEST_F(ScreenshotTest, SliderWindowMatchesItsStoredImageAndLaysOutAgainWhenWider) {
    desktop::MainWindow& window = OpenDemo();
    QDockWidget* dock = window.Docks().DockOf(gis::UID(kProgID_TimeToolbar));
    ASSERT_NE(dock, nullptr);
    QWidget* view = dock->findChild<QWidget*>("SliderWindowView");
    ASSERT_NE(view, nullptr);
    EXPECT_TRUE(MatchesStoredImage(view->grab().toImage(), Stored("slider_window"), Failures()));

    // Floating and wider, the finish label stays at the right edge and the buttons in the middle.
    dock->setFloating(true);
    dock->resize(1000, dock->height());
    for (int round = 0; round < 20; ++round) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    EXPECT_TRUE(MatchesStoredImage(view->grab().toImage(), Stored("slider_window_wide"), Failures()));
}

} // namespace
} // namespace chronova::testing
