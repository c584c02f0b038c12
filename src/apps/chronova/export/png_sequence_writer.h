#pragma once

#include <QImage>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "apps/chronova/export/png_encoder.h"

namespace chronova::cli::exporting {

/// Writes the frames of an animation as PNG files, one per slider position, encoding them on worker threads: PNG
/// encoding costs more than drawing a frame, so the caller draws the next frame while workers encode the last
/// ones. Each file appears whole or not at all (written under a temporary name, then renamed).
class PngSequenceWriter {
public:
    /// Creates the folder when it does not exist (raises 75 naming it when it cannot be made) and starts the
    /// workers: threads below 1 mean one. compression is the deflate level (see EncodePng).
    explicit PngSequenceWriter(std::filesystem::path folder,
                               int threads = static_cast<int>(std::thread::hardware_concurrency()),
                               int compression = kFastPngCompression);
    /// Joins the workers; frames still queued when Finish was not called are dropped.
    ~PngSequenceWriter();
    PngSequenceWriter(const PngSequenceWriter&) = delete;
    PngSequenceWriter& operator=(const PngSequenceWriter&) = delete;

    /// Queues a frame for the file FileName(position). Blocks while a few frames per worker wait already, or while
    /// the frames waiting and being encoded hold 256 MiB of pixels (large frames then go one at a time), so that
    /// memory stays bounded however fast and large frames come. Raises the first error of a worker as soon as one
    /// occurred, 5 for a negative position, a null image or a call after Finish.
    void Add(int position, QImage frame);
    /// Waits until every queued frame is written and raises the first error of a worker (an AutomationError
    /// naming the file). Later calls do nothing.
    void Finish();

    const std::filesystem::path& Folder() const noexcept { return folder_; }
    /// The file name of a position: "frame_00000.png", five digits or more, so names sort by position.
    static std::string FileName(int position);

private:
    struct Job {
        int Position = 0;
        QImage Frame;
    };

    void Work();
    void Stop(bool drop_queued);
    void RaiseFirstError();
    // A worker is done with a frame's pixels: the caller may hand over the next.
    void Encoded();

    std::filesystem::path folder_;
    int compression_;
    size_t capacity_;

    std::mutex mutex_;
    std::condition_variable work_ready_;
    std::condition_variable room_ready_;
    std::deque<Job> queue_;
    size_t encoding_ = 0; // frames taken by workers whose pixels they still hold
    bool stopping_ = false;
    bool finished_ = false;
    std::exception_ptr error_;
    std::vector<std::thread> workers_;
};

} // namespace chronova::cli::exporting
