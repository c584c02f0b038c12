#include "qtui/event_loop_driver.h"

#include <QDebug>
#include <algorithm>
#include <exception>

#include "platform/ui/event_loop.h"

namespace chronova::qtui {

EventLoopDriver::EventLoopDriver(platform::ui::EventLoop& loop, QObject* parent) : QObject(parent), loop_(loop) {
    clock_.start();
    // The loop may have run before (tests, a headless start); wall time continues from where it stands.
    started_ms_ = -loop_.Now();
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, [this] { Advance(); });
    Reschedule();
}

int64_t EventLoopDriver::WallLoopTime() const {
    return clock_.elapsed() - started_ms_;
}

void EventLoopDriver::Reschedule() {
    int64_t wait = kPollMs;
    const std::optional<int64_t> due = loop_.NextDueTime();
    // While a tick runs a nested event loop the clock stands still; only the poll looks again.
    if (due.has_value() && !loop_.Advancing()) {
        wait = std::clamp<int64_t>(*due - WallLoopTime(), 0, kPollMs);
    }
    timer_.start(static_cast<int>(wait));
}

void EventLoopDriver::Advance() {
    // A tick handler that runs a nested event loop (a modal dialog, a message box) brings this timer back while
    // the headless loop is still inside that tick, where it cannot advance; the time is taken up afterwards.
    if (!loop_.Advancing()) {
        int64_t behind = WallLoopTime() - loop_.Now();
        if (behind > kMaxCatchUpMs) {
            started_ms_ += behind - kMaxCatchUpMs;
            behind = kMaxCatchUpMs;
        } else if (behind < 0) {
            // Somebody else moved the loop ahead (a test, a step by hand): the wall clock continues from there.
            started_ms_ += behind;
            behind = 0;
        }
        if (behind > 0) {
            try {
                loop_.AdvanceBy(behind);
            } catch (const std::exception& error) {
                qWarning().noquote() << "A timer's tick failed:" << error.what();
            } catch (...) {
                qWarning().noquote() << "A timer's tick failed";
            }
        }
    }
    Reschedule();
}

} // namespace chronova::qtui
