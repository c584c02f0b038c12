#include "platform/ui/toolbar.h"

#include "platform/automation_error.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace chronova::platform::ui {
namespace {

TEST(ToolbarTest, PressReportsTheKeyOnlyWhenToolbarAndButtonAreEnabled) {
    Toolbar tb;
    tb.Add("Play", "Play the animation");
    tb.Add("Stop");
    std::vector<std::string> keys;
    tb.ButtonClick.Connect([&](const std::string& key) { keys.push_back(key); });
    tb.Press("Play");
    tb.Buttons("Stop").Enabled(false);
    tb.Press("Stop");
    tb.Enabled(false);
    tb.Press("Play");
    EXPECT_EQ(keys, (std::vector<std::string>{"Play"}));
    EXPECT_THROW(tb.Press("Pause"), AutomationError);
}

TEST(ToolbarTest, KeysAreUniqueAndButtonsKeepTheirState) {
    Toolbar tb;
    Toolbar::Button& play = tb.Add("Play");
    tb.Add("Stop"); // adding more buttons keeps earlier references valid
    play.Value(true);
    EXPECT_TRUE(tb.Buttons("Play").Value());
    EXPECT_EQ(tb.Buttons("Play").Key(), "Play");
    EXPECT_EQ(&tb.ButtonAt(1), &tb.Buttons("Stop"));
    EXPECT_THROW(tb.ButtonAt(2), AutomationError);
    EXPECT_THROW(tb.Add("Play"), AutomationError);
    EXPECT_THROW(tb.Add(""), AutomationError);
    EXPECT_THROW(tb.Buttons("play"), AutomationError);
    EXPECT_EQ(tb.Count(), 2);
}

} // namespace
} // namespace chronova::platform::ui
