#include "apps/chronova/export/png_sequence_writer.h"

#include <algorithm>
#include <cstdio>
#include <system_error>

#include "apps/chronova/export/temporary_output.h"
#include "platform/automation_error.h"

namespace chronova::cli::exporting {

namespace {

// Frames waiting per worker: enough to keep every worker busy while the caller draws, few enough that a
// 1024 x 768 frame sequence holds well under 50 MB.
constexpr size_t kQueuedFramesPerWorker = 2;
// Pixels waiting or being encoded: past this, a frame waits until the frames before it are written, so that large
// frames are not held several at a time (at 8192 x 8192, one frame is 256 MiB).
constexpr size_t kFrameBytesInFlight = size_t{256} << 20;

} // namespace

PngSequenceWriter::PngSequenceWriter(std::filesystem::path folder, int threads, int compression)
    : folder_(std::move(folder)), compression_(compression) {
    if (compression < 0 || compression > 9) {
        platform::RaiseError(platform::error::kInvalidProcedureCall,
                             "The PNG compression level " + std::to_string(compression) + " is not between 0 and 9.");
    }
    std::error_code ec;
    std::filesystem::create_directories(folder_, ec);
    if (ec || !std::filesystem::is_directory(folder_)) {
        platform::RaiseError(platform::error::kPathFileAccess,
                             "Cannot create the folder '" + folder_.string() +
                                 "': " + (ec ? ec.message() : std::string("a file of that name is in the way")) + ".");
    }
    const int worker_count = std::max(threads, 1);
    capacity_ = kQueuedFramesPerWorker * static_cast<size_t>(worker_count);
    workers_.reserve(static_cast<size_t>(worker_count));
    try {
        for (int i = 0; i < worker_count; ++i) {
            workers_.emplace_back([this] { Work(); });
        }
    } catch (...) {
        Stop(true); // the destructor does not run for a constructor that raises
        throw;
    }
}

PngSequenceWriter::~PngSequenceWriter() {
    Stop(true);
}

std::string PngSequenceWriter::FileName(int position) {
    char name[32];
    std::snprintf(name, sizeof name, "frame_%05d.png", position);
    return name;
}

void PngSequenceWriter::Add(int position, QImage frame) {
    if (position < 0) {
        platform::RaiseError(platform::error::kInvalidProcedureCall,
                             "A frame position cannot be negative (" + std::to_string(position) + ").");
    }
    if (frame.isNull()) {
        platform::RaiseError(platform::error::kInvalidProcedureCall,
                             "The frame at position " + std::to_string(position) + " is empty.");
    }
    std::unique_lock lock(mutex_);
    if (finished_) {
        platform::RaiseError(platform::error::kInvalidProcedureCall,
                             "The frame sequence in '" + folder_.string() + "' is finished already.");
    }
    const size_t bytes = frame.sizeInBytes() > 0 ? static_cast<size_t>(frame.sizeInBytes()) : 0;
    room_ready_.wait(lock, [&] {
        const size_t in_flight = queue_.size() + encoding_;
        return error_ ||
               (queue_.size() < capacity_ && (in_flight == 0 || (in_flight + 1) * bytes <= kFrameBytesInFlight));
    });
    if (error_) {
        std::rethrow_exception(error_);
    }
    queue_.push_back({position, std::move(frame)});
    work_ready_.notify_one();
}

void PngSequenceWriter::Finish() {
    {
        std::lock_guard lock(mutex_);
        if (finished_) {
            return;
        }
    }
    Stop(false);
    RaiseFirstError();
}

void PngSequenceWriter::Stop(bool drop_queued) {
    {
        std::lock_guard lock(mutex_);
        finished_ = true;
        stopping_ = true;
        if (drop_queued) {
            queue_.clear();
        }
    }
    work_ready_.notify_all();
    room_ready_.notify_all();
    for (std::thread& worker : workers_) {
        if (worker.joinable()) {
            worker.join();
        }
    }
}

void PngSequenceWriter::RaiseFirstError() {
    std::lock_guard lock(mutex_);
    if (error_) {
        std::rethrow_exception(error_);
    }
}

void PngSequenceWriter::Encoded() {
    {
        std::lock_guard lock(mutex_);
        --encoding_;
    }
    room_ready_.notify_all();
}

void PngSequenceWriter::Work() {
    for (;;) {
        Job job;
        {
            std::unique_lock lock(mutex_);
            work_ready_.wait(lock, [this] { return !queue_.empty() || stopping_; });
            if (queue_.empty()) {
                return;
            }
            job = std::move(queue_.front());
            queue_.pop_front();
            ++encoding_;
        }
        room_ready_.notify_one();
        const std::filesystem::path path = folder_ / FileName(job.Position);
        try {
            std::string png;
            try {
                png = EncodePng(job.Frame, compression_);
            } catch (const platform::AutomationError& e) {
                throw platform::AutomationError(e.Number(), e.Source(),
                                                "Cannot write '" + path.string() + "': " + e.Description());
            }
            job.Frame = QImage(); // the pixels are not needed while the file is written
            Encoded();
            TemporaryOutput file(path);
            file.Write(png);
            file.Commit(false);
        } catch (...) {
            if (!job.Frame.isNull()) {
                job.Frame = QImage();
                Encoded();
            }
            std::lock_guard lock(mutex_);
            if (!error_) {
                error_ = std::current_exception();
            }
            // Nothing more is written once a frame failed: the sequence would have a hole anyway.
            queue_.clear();
            room_ready_.notify_all();
        }
    }
}

} // namespace chronova::cli::exporting
