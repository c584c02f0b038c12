#pragma once

#include <QImage>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "apps/chronova/export/temporary_output.h"

struct GifFileType;

namespace chronova::cli::exporting {

/// How GifWriter turns a frame into GIF data.
enum class GifEncoding {
    Fast,     //!< exact colours when an area has at most 256 (else the median cut), and the writer's own LZW coder
    Reference //!< the median cut for every area and giflib's LZW coder: slower; the baseline of the benchmarks
};

/// Writes an animated GIF that loops forever, frame by frame as they come, with giflib. Each frame gets its own
/// palette of up to 256 colours (QuantizeFrame), and only the rectangle that changed since the previous frame is
/// stored, which keeps map animations, where most of the map stands still, small and fast to encode. The file
/// appears at Finish, whole; on an error or without Finish nothing is left behind.
class GifWriter {
public:
    /// Starts the file (under a temporary name beside it). Raises 5 for a size outside 1 to 65535 pixels or fps
    /// below 1, 75 when the file cannot be created.
    GifWriter(std::filesystem::path file, int width, int height, int fps, GifEncoding encoding = GifEncoding::Fast);
    ~GifWriter();
    GifWriter(const GifWriter&) = delete;
    GifWriter& operator=(const GifWriter&) = delete;

    /// Appends a frame of the writer's size (raises 5 for another size or after Finish). Frames are shown for
    /// 1/fps seconds each, in the hundredths of a second GIF counts in: the delays alternate so that the
    /// animation keeps its pace (at 3 fps: 33, 34, 33 hundredths), and no frame is shorter than 2 hundredths,
    /// which players would stretch to a tenth of a second.
    void Add(const QImage& frame);
    /// Ends the animation and moves the file into place. Raises 5 when no frame was added, 75 on a write error or
    /// after an Add that failed half-way. Later calls do nothing.
    void Finish();

    int FrameCount() const noexcept { return frames_; }
    /// The delay of a frame in hundredths of a second, as Add writes it.
    static int DelayOf(int frame, int fps);

private:
    struct GifCloser {
        void operator()(GifFileType* gif) const noexcept;
    };

    void WriteFrame(const QImage& frame);
    void WriteIndices(const std::vector<uint8_t>& indices, int width, int height, int palette_size);
    void RaiseIfUnusable() const;
    [[noreturn]] void RaiseGifError(const std::string& what);
    void FlushBuffer();
    static int Collect(GifFileType* gif, const unsigned char* data, int length);

    std::filesystem::path file_;
    int width_;
    int height_;
    int fps_;
    GifEncoding encoding_;
    int frames_ = 0;
    bool finished_ = false;
    bool broken_ = false; // an error left the stream unusable
    TemporaryOutput output_;
    // What giflib produced and is not yet on disk: giflib writes through a C callback that cannot raise errors, so
    // the bytes gather here and are written after each frame.
    std::string buffer_;
    bool buffer_failed_ = false;
    QImage previous_;
    std::string lzw_; // the LZW data of the frame being written, kept for its capacity
    std::unique_ptr<GifFileType, GifCloser> gif_;
};

} // namespace chronova::cli::exporting
