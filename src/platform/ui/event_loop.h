#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace chronova::platform::ui {

class Timer;

/// The clock that drives every timer of the forms: the desktop app advances it from a real timer, tests
/// advance it by hand, so playback runs the same code path in both and tests never wait on wall time.
class EventLoop {
public:
    EventLoop() = default;
    EventLoop(const EventLoop&) = delete;
    EventLoop& operator=(const EventLoop&) = delete;
    //! Detaches the timers still registered so that they stop ticking instead of pointing at a dead loop.
    ~EventLoop();

    /// Milliseconds elapsed on this loop since it was created.
    int64_t Now() const noexcept { return now_; }

    /// Moves the clock forward and fires every tick that falls due on the way, earliest first (timers due at
    /// the same moment in the order they were created). Handlers may enable, disable, retime or destroy any
    /// timer; the change applies to the ticks after it. Error 5 for a negative span or when called from
    /// inside a tick.
    void AdvanceBy(int64_t milliseconds);

    /// True while AdvanceBy fires ticks: a tick handler that runs a nested event loop leaves the clock stopped.
    bool Advancing() const noexcept { return advancing_; }

    /// The moment of the next tick of a running timer, or nothing when no timer runs; lets a real-time driver
    /// sleep exactly until then.
    std::optional<int64_t> NextDueTime() const;

private:
    friend class Timer;
    void Register(Timer* timer);
    void Unregister(Timer* timer);
    Timer* NextDue(int64_t limit) const;

    int64_t now_ = 0;
    bool advancing_ = false;
    std::vector<Timer*> timers_; // in creation order
};

} // namespace chronova::platform::ui
