#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <cstdint>

namespace chronova::platform::ui {
class EventLoop;
} // namespace chronova::platform::ui

namespace chronova::qtui {

/// Runs the forms' timers on Qt's event loop: it sleeps with a single-shot QTimer until the loop's next due
/// tick and then advances the headless loop by the wall time that really passed, so the slider's playback timers
/// tick in real time while the window keeps answering input between ticks. The headless loop must outlive it.
///
/// Like a desktop timer, a tick that falls far behind (the window was busy, or a tick handler ran a nested event
/// loop, during which the headless loop cannot advance) is not made up in a burst: the loop skips that time.
class EventLoopDriver : public QObject {
public:
    explicit EventLoopDriver(platform::ui::EventLoop& loop, QObject* parent = nullptr);

    /// Re-reads the next due tick; called after code enabled or retimed a timer outside a tick (the driver
    /// also polls at a low rate so a forgotten call only delays a tick, never loses it).
    void Reschedule();

    /// The longest span one advance makes up; wall time beyond it is skipped.
    static constexpr int64_t kMaxCatchUpMs = 250;
    /// The safety poll's period.
    static constexpr int kPollMs = 100;

private:
    void Advance();
    /// The loop time the wall clock stands at now.
    int64_t WallLoopTime() const;

    platform::ui::EventLoop& loop_;
    QTimer timer_;
    QElapsedTimer clock_;
    int64_t started_ms_ = 0; // wall clock (QElapsedTimer) at loop time 0
};

} // namespace chronova::qtui
