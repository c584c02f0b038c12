#include "platform/ui/event_loop.h"

#include "platform/automation_error.h"
#include "platform/ui/timer.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace chronova::platform::ui {
namespace {

// Ticks recorded as "name@time" so that order and moment are checked together.
class EventLoopTest : public ::testing::Test {
protected:
    Timer& Make(const std::string& name, int32_t interval, bool enabled = true) {
        auto timer = std::make_unique<Timer>(loop_);
        timer->Enabled(enabled);
        timer->Interval(interval);
        Timer* raw = timer.get();
        raw->Tick.Connect([this, name] { ticks_.push_back(name + "@" + std::to_string(loop_.Now())); });
        timers_.push_back(std::move(timer));
        return *raw;
    }

    EventLoop loop_;
    std::vector<std::unique_ptr<Timer>> timers_;
    std::vector<std::string> ticks_;
};

using Ticks = std::vector<std::string>;

TEST_F(EventLoopTest, FiresEveryDueTickInTimeOrder) {
    Make("a", 300);
    Make("b", 200);
    loop_.AdvanceBy(650);
    EXPECT_EQ(ticks_, (Ticks{"b@200", "a@300", "b@400", "a@600", "b@600"}));
    EXPECT_EQ(loop_.Now(), 650);
    loop_.AdvanceBy(150); // the next tick of b is due at 800, the end of the step
    EXPECT_EQ(ticks_.back(), "b@800");
}

TEST_F(EventLoopTest, StoppedTimersDoNotTick) {
    Make("off", 100, false);
    Make("zero", 0);
    loop_.AdvanceBy(1000);
    EXPECT_TRUE(ticks_.empty());
    EXPECT_FALSE(loop_.NextDueTime().has_value());
}

TEST_F(EventLoopTest, EnablingWaitsAFullIntervalFromNow) {
    Timer& t = Make("t", 100, false);
    loop_.AdvanceBy(250);
    t.Enabled(true);
    EXPECT_EQ(loop_.NextDueTime(), 350);
    loop_.AdvanceBy(100);
    EXPECT_EQ(ticks_, (Ticks{"t@350"}));
}

TEST_F(EventLoopTest, TimerMayDisableItselfDuringATick) {
    Timer& t = Make("t", 100);
    t.Tick.Connect([&] { t.Enabled(false); });
    loop_.AdvanceBy(1000);
    EXPECT_EQ(ticks_, (Ticks{"t@100"}));
}

TEST_F(EventLoopTest, TickMayStartAnotherTimerWhichThenTicksInTheSameAdvance) {
    Timer& starter = Make("s", 100);
    Timer& other = Make("o", 50, false);
    starter.Tick.Connect([&] {
        starter.Enabled(false);
        other.Enabled(true);
    });
    loop_.AdvanceBy(200);
    EXPECT_EQ(ticks_, (Ticks{"s@100", "o@150", "o@200"}));
}

TEST_F(EventLoopTest, TickMayStopATimerDueAtTheSameMoment) {
    Timer& first = Make("first", 100);
    Timer& second = Make("second", 100);
    first.Tick.Connect([&] { second.Enabled(false); });
    loop_.AdvanceBy(300);
    EXPECT_EQ(ticks_, (Ticks{"first@100", "first@200", "first@300"}));
}

TEST_F(EventLoopTest, ChangingTheIntervalDuringATickRestartsFromThatMoment) {
    Timer& t = Make("t", 100);
    t.Tick.Connect([&] { t.Interval(300); });
    loop_.AdvanceBy(700);
    EXPECT_EQ(ticks_, (Ticks{"t@100", "t@400", "t@700"}));
}

TEST_F(EventLoopTest, TimerDestroyedDuringItsOwnTickStopsCleanly) {
    Make("t", 100);
    timers_[0]->Tick.Connect([&] { timers_.clear(); });
    Make("u", 150);
    loop_.AdvanceBy(400);
    EXPECT_EQ(ticks_, (Ticks{"t@100"}));
}

TEST_F(EventLoopTest, RejectsGoingBackAndReentrantAdvance) {
    EXPECT_THROW(loop_.AdvanceBy(-1), AutomationError);
    Timer& t = Make("t", 10);
    bool inner_threw = false;
    bool advancing_inside = false;
    t.Tick.Connect([&] {
        advancing_inside = loop_.Advancing();
        try {
            loop_.AdvanceBy(10);
        } catch (const AutomationError&) {
            inner_threw = true;
        }
    });
    loop_.AdvanceBy(10);
    EXPECT_TRUE(inner_threw);
    EXPECT_TRUE(advancing_inside); // what a real-time driver asks before it advances
    EXPECT_FALSE(loop_.Advancing());
    EXPECT_EQ(loop_.Now(), 10);
}

TEST_F(EventLoopTest, HandlerErrorPropagatesAndLeavesTheLoopUsable) {
    Timer& t = Make("t", 10);
    bool fail = true;
    t.Tick.Connect([&] {
        if (fail) {
            fail = false;
            RaiseError(error::kTypeMismatch);
        }
    });
    EXPECT_THROW(loop_.AdvanceBy(10), AutomationError);
    EXPECT_FALSE(loop_.Advancing());
    loop_.AdvanceBy(10);
    EXPECT_EQ(ticks_, (Ticks{"t@10", "t@20"}));
}

TEST(TimerTest, NegativeIntervalIsRejectedAndTimerOutlivingItsLoopStops) {
    auto loop = std::make_unique<EventLoop>();
    Timer t(*loop);
    EXPECT_THROW(t.Interval(-5), AutomationError);
    t.Interval(10);
    EXPECT_TRUE(t.Running());
    loop.reset();
    EXPECT_FALSE(t.Running());
    t.Interval(20); // still safe to use
}

} // namespace
} // namespace chronova::platform::ui
