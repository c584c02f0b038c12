// Edit fields that take the focus: one control of the application holds it, moving into another makes the first
// lose it, and controls that are disabled, hidden or destroyed cannot hold it.
#include "platform/ui/edit_fields.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace chronova::platform::ui {
namespace {

class FocusTest : public ::testing::Test {
protected:
    void Track(Focusable& field, const std::string& name) {
        field.GotFocus.Connect([this, name] { events_.push_back(name + " got"); });
        field.LostFocus.Connect([this, name] { events_.push_back(name + " lost"); });
    }
    std::vector<std::string> events_;
};

TEST_F(FocusTest, MovingIntoAFieldTakesTheFocusFromTheOneHoldingIt) {
    NumericEdit hour;
    TextEdit ampm;
    Track(hour, "hour");
    Track(ampm, "ampm");
    hour.UserFocus();
    hour.UserFocus();
    ampm.UserFocus();
    hour.UserLeave(); // holds no focus: nothing
    ampm.Enabled(false);
    ampm.UserLeave();
    hour.Visible(false);
    hour.UserFocus();
    EXPECT_EQ(events_, (std::vector<std::string>{"hour got", "hour lost", "ampm got", "ampm lost"}));
    EXPECT_FALSE(hour.HasFocus());
}

TEST_F(FocusTest, ADestroyedFieldGivesTheFocusUpSilently) {
    NumericEdit minute;
    Track(minute, "minute");
    {
        auto hour = std::make_unique<NumericEdit>();
        Track(*hour, "hour");
        hour->UserFocus();
    }
    minute.UserFocus();
    EXPECT_EQ(events_, (std::vector<std::string>{"hour got", "minute got"}));
    minute.UserLeave();
}

} // namespace
} // namespace chronova::platform::ui
