#pragma once

#include <QImage>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

namespace chronova::desktop {

/// Copies frames into memory of their own on a worker thread. A frame the cache keeps must not stay the drawer's
/// own image, or the drawer takes fresh memory for every next frame, and touching fresh pages costs more than the
/// drawing (18 ms per 4 MB frame on some virtual machines). The copy is made here instead, away from the thread
/// that draws, and the drawer's image goes back to it once copied. The worker runs only when a core is idle, so
/// that the window's own work comes first, and it touches images only: never a host object.
class FrameCopier {
public:
    /// Copies that may wait at once; a frame submitted beyond them is not copied (the cache goes without it).
    static constexpr size_t kMaxWaiting = 2;
    /// Frames given back (Recycle) kept for their memory; more are freed.
    static constexpr size_t kMaxSpare = 2;

    /// `done` is called on the worker thread after each copy (to wake the owner's thread); it may be empty.
    explicit FrameCopier(std::function<void()> done = {});
    ~FrameCopier();
    FrameCopier(const FrameCopier&) = delete;
    FrameCopier& operator=(const FrameCopier&) = delete;

    /// Queues a copy of a frame under a ticket; false when kMaxWaiting copies wait already or the worker holds
    /// the queue this instant (the owner's thread never waits for a worker that runs only on idle cores).
    bool Submit(uint64_t ticket, QImage frame);
    /// The copies done since the last call, in the order submitted (none when the worker holds them this instant).
    std::vector<std::pair<uint64_t, QImage>> TakeDone();
    /// Waits until every queued copy is done.
    void Wait();
    /// Drops the copies not begun and every copy done; a copy under way finishes and is dropped too.
    void Cancel();
    /// Frames no longer needed: the worker copies into their memory when nothing else holds it, and frees the
    /// rest itself, so neither fresh pages nor handing pages back costs the owner's thread.
    void Recycle(std::vector<QImage> frames);

private:
    void Run();
    // A spare frame of a size and format that nothing else holds, or a null image. Called with the lock held.
    QImage TakeSpare(QSize size, QImage::Format format);

    std::function<void()> done_callback_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable idle_;
    std::deque<std::pair<uint64_t, QImage>> waiting_;
    std::vector<std::pair<uint64_t, QImage>> done_;
    std::vector<QImage> spare_;
    bool busy_ = false;
    bool stop_ = false;
    // Bumped by Cancel: a copy begun before it is dropped when it ends.
    uint64_t generation_ = 0;
    std::thread worker_;
};

} // namespace chronova::desktop
