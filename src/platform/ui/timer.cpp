#include "platform/ui/timer.h"

#include "platform/automation_error.h"
#include "platform/ui/event_loop.h"

namespace chronova::platform::ui {

Timer::Timer(EventLoop& loop) : loop_(&loop) {
    loop_->Register(this);
}

Timer::~Timer() {
    if (loop_ != nullptr) {
        loop_->Unregister(this);
    }
}

void Timer::Interval(int32_t milliseconds) {
    if (milliseconds < 0) {
        RaiseError(380, "Invalid property value");
    }
    interval_ = milliseconds;
    Restart();
}

void Timer::Enabled(bool value) {
    if (value == enabled_) {
        return;
    }
    enabled_ = value;
    Restart();
}

void Timer::Restart() {
    if (loop_ != nullptr) {
        next_due_ = loop_->Now() + interval_;
    }
}

} // namespace chronova::platform::ui
