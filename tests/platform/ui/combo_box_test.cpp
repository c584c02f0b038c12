#include "platform/ui/combo_box.h"

#include "platform/automation_error.h"

#include <gtest/gtest.h>

namespace chronova::platform::ui {
namespace {

class ComboBoxTest : public ::testing::Test {
protected:
    ComboBoxTest() {
        for (const char* text : {"Roads", "Rivers", "Towns"}) {
            combo_.AddItem(text);
        }
        combo_.Click.Connect([this] { ++clicks_; });
    }

    ComboBox combo_;
    int clicks_ = 0;
};

TEST_F(ComboBoxTest, ListIndexShowsTheTextAndClicksOnlyOnRealChange) {
    combo_.ListIndex(1);
    combo_.ListIndex(1);
    EXPECT_EQ(combo_.Text(), "Rivers");
    EXPECT_EQ(clicks_, 1);
    combo_.ListIndex(-1);
    EXPECT_EQ(combo_.Text(), "");
    EXPECT_EQ(clicks_, 2);
    EXPECT_THROW(combo_.ListIndex(3), AutomationError);
    EXPECT_THROW(combo_.ListIndex(-2), AutomationError);
}

TEST_F(ComboBoxTest, TextSelectsTheMatchingEntryOrNone) {
    combo_.Text("Towns");
    EXPECT_EQ(combo_.ListIndex(), 2);
    EXPECT_EQ(clicks_, 1);
    combo_.Text("Lakes");
    EXPECT_EQ(combo_.ListIndex(), -1);
    EXPECT_EQ(combo_.Text(), "Lakes");
}

TEST_F(ComboBoxTest, InsertAndRemoveKeepTheSelectionOnItsEntryWithoutClick) {
    combo_.ListIndex(1);
    combo_.AddItem("Lakes", 0);
    EXPECT_EQ(combo_.ListIndex(), 2);
    EXPECT_EQ(combo_.List(2), "Rivers");
    combo_.RemoveItem(0);
    EXPECT_EQ(combo_.ListIndex(), 1);
    combo_.RemoveItem(1);
    EXPECT_EQ(combo_.ListIndex(), -1);
    EXPECT_EQ(clicks_, 1);
    EXPECT_THROW(combo_.RemoveItem(5), AutomationError);
    EXPECT_THROW(combo_.AddItem("x", 5), AutomationError);
}

TEST_F(ComboBoxTest, ItemDataTravelsWithItsEntryAndClearEmptiesAll) {
    combo_.ItemData(2, 42);
    combo_.AddItem("Lakes", 0);
    EXPECT_EQ(combo_.ItemData(3), 42);
    EXPECT_THROW(combo_.ItemData(4), AutomationError);
    combo_.ListIndex(0);
    combo_.Clear();
    EXPECT_EQ(combo_.ListCount(), 0);
    EXPECT_EQ(combo_.ListIndex(), -1);
    EXPECT_EQ(combo_.Text(), "");
}

} // namespace
} // namespace chronova::platform::ui
