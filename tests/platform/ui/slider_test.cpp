#include "platform/ui/slider.h"

#include "platform/automation_error.h"

#include <gtest/gtest.h>

#include <string>

namespace chronova::platform::ui {
namespace {

// Records the slider's notifications as a string: 'C' for Change (with the value seen), 'S' for Scroll.
class SliderTest : public ::testing::Test {
protected:
    SliderTest() {
        slider_.Change.Connect([this] { log_ += "C" + std::to_string(slider_.Value()) + " "; });
        slider_.Scroll.Connect([this] { log_ += "S" + std::to_string(slider_.Value()) + " "; });
    }

    std::string TakeLog() { return std::exchange(log_, {}); }

    Slider slider_;
    std::string log_;
};

TEST_F(SliderTest, ValueIsClampedAndChangeFiresOnlyOnRealChange) {
    struct Case {
        int32_t set;
        int32_t expected;
        const char* log;
    };
    const Case cases[] = {
        {5, 5, "C5 "}, {5, 5, ""}, {99, 10, "C10 "}, {11, 10, ""}, {-3, 0, "C0 "}, {0, 0, ""},
    };
    for (const Case& c : cases) {
        slider_.Value(c.set);
        EXPECT_EQ(slider_.Value(), c.expected) << "set " << c.set;
        EXPECT_EQ(TakeLog(), c.log) << "set " << c.set;
    }
}

TEST_F(SliderTest, NarrowingTheRangeReclampsValueWithChange) {
    slider_.Max(100);
    slider_.Value(80);
    TakeLog();
    slider_.Max(50);
    EXPECT_EQ(slider_.Value(), 50);
    EXPECT_EQ(TakeLog(), "C50 ");
    slider_.Min(60); // Min above Max: the range runs backwards, 50..60
    EXPECT_EQ(slider_.Value(), 50);
    EXPECT_EQ(TakeLog(), "");
    slider_.Max(70);
    EXPECT_EQ(slider_.Value(), 60);
    EXPECT_EQ(TakeLog(), "C60 ");
}

TEST_F(SliderTest, DragFiresScrollThenOneChangeOnRelease) {
    slider_.Value(2);
    TakeLog();
    slider_.UserDrag(4);
    slider_.UserDrag(20); // clamped to Max
    EXPECT_TRUE(slider_.Dragging());
    EXPECT_EQ(TakeLog(), "S4 S10 ");
    slider_.UserRelease();
    EXPECT_EQ(TakeLog(), "C10 ");
    slider_.UserRelease(); // a second release without a drag is nothing
    EXPECT_EQ(TakeLog(), "");
}

TEST_F(SliderTest, DragBackToTheStartGivesNoChange) {
    slider_.Value(3);
    TakeLog();
    slider_.UserDrag(6);
    slider_.UserDrag(3);
    slider_.UserRelease();
    EXPECT_EQ(TakeLog(), "S6 S3 ");
}

TEST_F(SliderTest, CodeChangeDuringDragIsReportedOnceAndNotAgainOnRelease) {
    slider_.UserDrag(4);
    slider_.Value(8);
    slider_.UserRelease();
    EXPECT_EQ(TakeLog(), "S4 C8 ");
}

TEST_F(SliderTest, DisabledSliderIgnoresTheUserButNotCode) {
    slider_.Enabled(false);
    slider_.UserDrag(5);
    slider_.UserRelease();
    EXPECT_EQ(slider_.Value(), 0);
    slider_.Value(5);
    EXPECT_EQ(TakeLog(), "C5 ");
}

TEST_F(SliderTest, HandlerMayDisconnectItselfDuringChange) {
    int calls = 0;
    Connection once;
    once = slider_.Change.Connect([&] {
        ++calls;
        once.Disconnect();
    });
    slider_.Value(1);
    slider_.Value(2);
    EXPECT_EQ(calls, 1);
}

void ExpectTicks(int32_t min, int32_t max, int32_t frequency, int32_t expected) {
    Slider slider;
    slider.Max(max);
    slider.Min(min);
    slider.TickFrequency(frequency);
    EXPECT_EQ(slider.GetNumTicks(), expected) << min << ".." << max << " every " << frequency;
}

TEST(SliderTicksTest, CountsTicksBothEndsIncluded) {
    ExpectTicks(0, 10, 1, 11);
    ExpectTicks(0, 10, 5, 3);
    ExpectTicks(0, 10, 3, 5); // 0 3 6 9 and the end at 10
    ExpectTicks(0, 10, 0, 2);
    ExpectTicks(4, 4, 1, 1);
    ExpectTicks(10, 0, 5, 3); // backwards range
    ExpectTicks(-2147483647 - 1, 2147483647, 1 << 30, 5);
}

TEST(SliderPropertiesTest, RejectsInvalidPropertyValues) {
    Slider slider;
    EXPECT_THROW(slider.SmallChange(-1), AutomationError);
    EXPECT_THROW(slider.LargeChange(-1), AutomationError);
    EXPECT_THROW(slider.TickFrequency(-1), AutomationError);
    EXPECT_THROW(slider.SelLength(-1), AutomationError);
    EXPECT_THROW(slider.SelStart(11), AutomationError);
    slider.SelStart(10);
    slider.SelLength(3);
    EXPECT_EQ(slider.SelStart(), 10);
    EXPECT_EQ(slider.SelLength(), 3);
}

} // namespace
} // namespace chronova::platform::ui
