#include "apps/desktop/frame_copier.h"

#include <algorithm>
#include <cstring>

#if defined(__linux__)
#include <pthread.h>
#include <sched.h>
#endif
#include <iterator>

namespace chronova::desktop {

namespace {

// A deep copy made here: QImage::copy would do, but spelling it out keeps the source untouched (only constBits
// is read, which never detaches) while the drawing thread still shares it.
QImage DeepCopy(const QImage& source, QImage copy) {
    if (copy.isNull()) {
        copy = QImage(source.size(), source.format());
    }
    if (copy.isNull()) {
        return copy; // out of memory: the cache goes without this frame
    }
    copy.setDevicePixelRatio(source.devicePixelRatio());
    copy.setColorTable(source.colorTable());
    const auto bytes = static_cast<size_t>(source.sizeInBytes());
    if (copy.bytesPerLine() == source.bytesPerLine()) {
        std::memcpy(copy.bits(), source.constBits(), bytes);
    } else {
        const auto line = static_cast<size_t>(std::min(copy.bytesPerLine(), source.bytesPerLine()));
        for (int y = 0; y < source.height(); ++y) {
            std::memcpy(copy.scanLine(y), source.constScanLine(y), line);
        }
    }
    return copy;
}

} // namespace

FrameCopier::FrameCopier(std::function<void()> done) : done_callback_(std::move(done)) {
    worker_ = std::thread([this] { Run(); });
}

FrameCopier::~FrameCopier() {
    {
        const std::lock_guard lock(mutex_);
        stop_ = true;
        waiting_.clear();
    }
    wake_.notify_all();
    worker_.join();
}

bool FrameCopier::Submit(uint64_t ticket, QImage frame) {
    {
        // The worker runs only on idle cores and may be held up with the lock: the owner never waits for it here.
        const std::unique_lock lock(mutex_, std::try_to_lock);
        if (!lock.owns_lock() || waiting_.size() >= kMaxWaiting || frame.isNull()) {
            return false;
        }
        waiting_.emplace_back(ticket, std::move(frame));
    }
    wake_.notify_one();
    return true;
}

std::vector<std::pair<uint64_t, QImage>> FrameCopier::TakeDone() {
    const std::unique_lock lock(mutex_, std::try_to_lock);
    if (!lock.owns_lock()) {
        return {}; // taken at the next call
    }
    return std::exchange(done_, {});
}

void FrameCopier::Wait() {
    std::unique_lock lock(mutex_);
    idle_.wait(lock, [this] { return waiting_.empty() && !busy_; });
}

void FrameCopier::Cancel() {
    std::deque<std::pair<uint64_t, QImage>> dropped;
    std::vector<std::pair<uint64_t, QImage>> done;
    {
        const std::lock_guard lock(mutex_);
        dropped.swap(waiting_);
        done.swap(done_);
        ++generation_;
    }
    idle_.notify_all();
    // The images are released here, outside the lock.
}

void FrameCopier::Recycle(std::vector<QImage> frames) {
    if (frames.empty()) {
        return;
    }
    {
        const std::unique_lock lock(mutex_, std::try_to_lock);
        if (!lock.owns_lock()) {
            return; // freed here this time
        }
        for (QImage& frame : frames) {
            spare_.push_back(std::move(frame));
        }
    }
    wake_.notify_one();
}

QImage FrameCopier::TakeSpare(QSize size, QImage::Format format) {
    for (auto spare = spare_.begin(); spare != spare_.end(); ++spare) {
        // Held by nobody else (the cache dropped it and it is not shown): its memory can take a copy.
        if (spare->isDetached() && spare->size() == size && spare->format() == format) {
            QImage taken = std::move(*spare);
            spare_.erase(spare);
            return taken;
        }
    }
    return {};
}

void FrameCopier::Run() {
#if defined(__linux__)
    // Copies wait for a core nobody else wants: the window's own work comes first, and a frame not copied in time is
    // only a frame the cache goes without.
    const sched_param idle{};
    pthread_setschedparam(pthread_self(), SCHED_IDLE, &idle);
#endif
    std::unique_lock lock(mutex_);
    while (true) {
        // Idle only once back at the wait, so that the owner finds the lock free after Wait.
        busy_ = false;
        idle_.notify_all();
        wake_.wait(lock, [this] { return stop_ || !waiting_.empty() || spare_.size() > kMaxSpare; });
        if (stop_) {
            return;
        }
        busy_ = true;
        if (waiting_.empty()) {
            // Too many spares: the oldest go back to the system, from this thread.
            std::vector<QImage> freed(std::make_move_iterator(spare_.begin()),
                                      std::make_move_iterator(spare_.end() - kMaxSpare));
            spare_.erase(spare_.begin(), spare_.end() - kMaxSpare);
            lock.unlock();
            freed.clear();
            lock.lock();
            continue;
        }
        std::pair<uint64_t, QImage> job = std::move(waiting_.front());
        waiting_.pop_front();
        const uint64_t generation = generation_;
        QImage target = TakeSpare(job.second.size(), job.second.format());
        lock.unlock();
        QImage copy = DeepCopy(job.second, std::move(target));
        job.second = QImage(); // the drawer's image goes back before the owner hears of the copy
        lock.lock();
        const bool keep = generation == generation_ && !stop_ && !copy.isNull();
        if (keep) {
            done_.emplace_back(job.first, std::move(copy));
        }
        if (keep && done_callback_) {
            lock.unlock();
            done_callback_();
            lock.lock();
        }
    }
}

} // namespace chronova::desktop
