#include "platform/ui/list_box.h"

#include "platform/automation_error.h"

#include <gtest/gtest.h>

namespace chronova::platform::ui {
namespace {

class ListBoxTest : public ::testing::Test {
protected:
    ListBoxTest() {
        for (const char* text : {"a", "b", "c"}) {
            list_.AddItem(text);
        }
        list_.Click.Connect([this] { ++clicks_; });
    }

    ListBox list_;
    int clicks_ = 0;
};

TEST_F(ListBoxTest, SelectionIsPerEntryAndClicksOnlyOnRealChange) {
    list_.Selected(0, true);
    list_.Selected(2, true);
    list_.Selected(2, true);
    EXPECT_EQ(list_.SelCount(), 2);
    EXPECT_EQ(clicks_, 2);
    list_.Selected(0, false);
    EXPECT_FALSE(list_.Selected(0));
    EXPECT_TRUE(list_.Selected(2));
    EXPECT_EQ(clicks_, 3);
    EXPECT_THROW(list_.Selected(3, true), AutomationError);
}

TEST_F(ListBoxTest, SelectionAndCurrentEntryFollowInsertAndRemove) {
    list_.Selected(1, true);
    list_.ListIndex(1);
    list_.AddItem("z", 0);
    EXPECT_TRUE(list_.Selected(2));
    EXPECT_EQ(list_.ListIndex(), 2);
    list_.RemoveItem(2);
    EXPECT_EQ(list_.SelCount(), 0);
    EXPECT_EQ(list_.ListIndex(), -1);
    EXPECT_THROW(list_.ListIndex(3), AutomationError);
}

} // namespace
} // namespace chronova::platform::ui
