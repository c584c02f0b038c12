// The window's size and dock arrangement outlast the session.
#include "desktop_fixture.h"

#include <QDockWidget>

#include "apps/desktop/window_layout.h"
#include "platform/settings_store.h"

namespace chronova::testing {
namespace {

using WindowLayoutTest = DesktopTest;

TEST_F(WindowLayoutTest, TheNextWindowOpensAsTheUserLeftTheLastOne) {
    desktop::MainWindow& first = OpenWindow();
    EXPECT_FALSE(desktop::WindowLayout::Restore(first)) << "nothing is stored yet";
    first.resize(900, 600);
    first.LayersDock()->hide();
    QCoreApplication::processEvents();
    desktop::WindowLayout::Save(first);

    desktop::MainWindow& second = OpenWindow();
    ASSERT_TRUE(second.LayersDock()->isVisible());
    EXPECT_TRUE(desktop::WindowLayout::Restore(second));
    QCoreApplication::processEvents();
    EXPECT_EQ(second.size(), QSize(900, 600));
    EXPECT_FALSE(second.LayersDock()->isVisible());
}

TEST_F(WindowLayoutTest, AStoredLayoutThatIsNotQtsIsIgnored) {
    {
        platform::SettingsStore store;
        ASSERT_TRUE(store.WriteValue(platform::HKEY_CURRENT_USER, "Software\\Chronova\\Desktop\\Window", "Docks",
                                     platform::SettingsValue::String("bm90IGEgbGF5b3V0")));
    }
    desktop::MainWindow& window = OpenWindow();
    EXPECT_FALSE(desktop::WindowLayout::Restore(window));
    EXPECT_TRUE(window.LayersDock()->isVisible());
}

} // namespace
} // namespace chronova::testing
