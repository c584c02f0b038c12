#include "platform/ui/event_loop.h"

#include "platform/automation_error.h"
#include "platform/ui/timer.h"

#include <algorithm>

namespace chronova::platform::ui {

EventLoop::~EventLoop() {
    for (Timer* timer : timers_) {
        timer->loop_ = nullptr;
    }
}

void EventLoop::Register(Timer* timer) {
    timers_.push_back(timer);
}

void EventLoop::Unregister(Timer* timer) {
    std::erase(timers_, timer);
}

Timer* EventLoop::NextDue(int64_t limit) const {
    Timer* next = nullptr;
    for (Timer* timer : timers_) {
        if (timer->Running() && timer->next_due_ <= limit && (next == nullptr || timer->next_due_ < next->next_due_)) {
            next = timer;
        }
    }
    return next;
}

std::optional<int64_t> EventLoop::NextDueTime() const {
    if (const Timer* next = NextDue(INT64_MAX)) {
        return next->next_due_;
    }
    return std::nullopt;
}

void EventLoop::AdvanceBy(int64_t milliseconds) {
    if (milliseconds < 0) {
        RaiseError(error::kInvalidProcedureCall, "The event loop cannot go back in time");
    }
    if (advancing_) {
        RaiseError(error::kInvalidProcedureCall, "The event loop is already advancing");
    }
    advancing_ = true;
    const int64_t target = now_ + milliseconds;
    try {
        // The timer is looked up afresh for every tick because a handler may have changed or destroyed any of
        // them; the next due time is set before the fire so that a handler that restarts the timer wins.
        while (Timer* timer = NextDue(target)) {
            now_ = timer->next_due_;
            timer->next_due_ += timer->interval_;
            timer->Tick.Fire();
        }
    } catch (...) {
        advancing_ = false;
        throw;
    }
    now_ = target;
    advancing_ = false;
}

} // namespace chronova::platform::ui
