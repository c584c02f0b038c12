#pragma once

#include <QImage>
#include <filesystem>
#include <memory>
#include <string>
#include <sys/types.h>

#include "apps/chronova/export/temporary_output.h"

namespace chronova::cli::exporting {

/// Whether an ffmpeg program is on the PATH. MP4 output needs it; without it the command line writes frames and
/// GIFs only.
bool FfmpegAvailable();

/// Writes an MP4 video (H.264 when ffmpeg has it, in yuv420p so that every player shows it) by piping raw RGB
/// frames to an ffmpeg process. ffmpeg is started directly with an argument list, never through a shell, so no
/// file name can inject a command. The video appears at Finish, whole; on an error or without Finish nothing is
/// left behind.
class Mp4Writer {
public:
    /// Starts ffmpeg. Raises 53 when ffmpeg is not installed, 5 for a size below 1 pixel or fps below 1, 75 when
    /// the file cannot be created or ffmpeg cannot start. Odd sizes are padded by a pixel, as yuv420p needs.
    Mp4Writer(std::filesystem::path file, int width, int height, int fps);
    /// Stops ffmpeg if Finish was not called, and removes what it wrote.
    ~Mp4Writer();
    Mp4Writer(const Mp4Writer&) = delete;
    Mp4Writer& operator=(const Mp4Writer&) = delete;

    /// Sends a frame of the writer's size (raises 5 for another size or after Finish); raises 75 with ffmpeg's
    /// message when ffmpeg stopped early.
    void Add(const QImage& frame);
    /// Ends the input, waits for ffmpeg and moves the video into place. Raises 75 with ffmpeg's message when it
    /// failed. Later calls do nothing.
    void Finish();

private:
    void SendAll(const char* data, size_t length);
    // Waits for ffmpeg to end; its exit status, or -1 when a signal ended it.
    int Wait();
    std::string Messages() const;

    std::filesystem::path file_;
    int width_;
    int height_;
    TemporaryOutput output_;
    pid_t process_ = -1;
    int input_ = -1;    // the write end of ffmpeg's standard input
    int messages_ = -1; // an unnamed file that collects ffmpeg's standard error
    bool finished_ = false;
    bool broken_ = false;
    std::string row_buffer_;
};

} // namespace chronova::cli::exporting
