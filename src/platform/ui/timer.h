#pragma once

#include "platform/event.h"

#include <cstdint>

namespace chronova::platform::ui {

class EventLoop;

/// A form's timer control: fires Tick every Interval milliseconds of its event loop while Enabled and the
/// interval is above 0. Changing Interval or switching it on restarts the wait from the current moment.
class Timer {
public:
    explicit Timer(EventLoop& loop);
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;
    ~Timer();

    int32_t Interval() const noexcept { return interval_; }
    //! Milliseconds between ticks; 0 stops the timer. Error 380 for a negative interval.
    void Interval(int32_t milliseconds);

    bool Enabled() const noexcept { return enabled_; }
    //! Starts or stops the timer; starting it waits a full interval before the first tick.
    void Enabled(bool value);

    /// True when the timer will tick: enabled, with an interval, and its loop still alive.
    bool Running() const noexcept { return enabled_ && interval_ > 0 && loop_ != nullptr; }

    /// Raised on each tick (the classic Timer event; a member cannot share its class's name).
    Event<> Tick;

private:
    friend class EventLoop;
    void Restart();

    EventLoop* loop_;
    int32_t interval_ = 0;
    bool enabled_ = true;
    int64_t next_due_ = 0;
};

} // namespace chronova::platform::ui
