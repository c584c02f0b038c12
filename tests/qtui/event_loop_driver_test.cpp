// The driver runs the forms' timers on Qt's event loop in wall time.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTest>

#include "platform/ui/event_loop.h"
#include "platform/ui/timer.h"
#include "qtui/event_loop_driver.h"

namespace chronova::qtui {
namespace {

namespace ui = platform::ui;

// Processes Qt events until the condition holds or a generous limit passes; the limit only keeps a broken
// driver from hanging the test.
template <typename Condition>
bool WaitFor(Condition condition) {
    QElapsedTimer waited;
    waited.start();
    while (!condition() && waited.elapsed() < 5000) {
        QTest::qWait(10);
    }
    return condition();
}

TEST(EventLoopDriverTest, TimersTickOnQtsEventLoopAndTheClockFollowsWallTime) {
    ui::EventLoop loop;
    ui::Timer timer(loop);
    timer.Interval(20);
    int ticks = 0;
    timer.Tick.Connect([&] { ++ticks; });
    EventLoopDriver driver(loop);
    EXPECT_TRUE(WaitFor([&] { return ticks >= 2; }));
    EXPECT_GE(loop.Now(), 40);
}

TEST(EventLoopDriverTest, ATimerSwitchedOnLaterTicksAfterReschedule) {
    ui::EventLoop loop;
    ui::Timer timer(loop);
    timer.Interval(30);
    timer.Enabled(false);
    int ticks = 0;
    timer.Tick.Connect([&] { ++ticks; });
    EventLoopDriver driver(loop);
    QTest::qWait(50);
    EXPECT_EQ(ticks, 0);
    timer.Enabled(true);
    driver.Reschedule();
    EXPECT_TRUE(WaitFor([&] { return ticks >= 1; }));
}

TEST(EventLoopDriverTest, ANestedEventLoopInsideATickDoesNotAdvanceTheStoppedClock) {
    ui::EventLoop loop;
    ui::Timer slow(loop);
    ui::Timer fast(loop);
    slow.Interval(30);
    fast.Interval(10);
    int nested = 0;
    int fast_ticks = 0;
    fast.Tick.Connect([&] { ++fast_ticks; });
    slow.Tick.Connect([&] {
        if (nested++ == 0) {
            // A tick that shows a dialog runs Qt's loop; the driver must not advance from inside it.
            const int64_t frozen = loop.Now();
            QTest::qWait(150);
            EXPECT_EQ(loop.Now(), frozen);
        }
    });
    EventLoopDriver driver(loop);
    EXPECT_TRUE(WaitFor([&] { return nested >= 2; }));
    EXPECT_GE(fast_ticks, 1);
}

} // namespace
} // namespace chronova::qtui
