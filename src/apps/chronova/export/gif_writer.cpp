#include "apps/chronova/export/gif_writer.h"

#include <gif_lib.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <vector>

#include "apps/chronova/export/colour_table.h"
#include "apps/chronova/export/frame_palette.h"
#include "apps/chronova/export/gif_lzw.h"
#include "platform/automation_error.h"

namespace chronova::cli::exporting {

namespace {

constexpr int kLargestSide = 65535;
// Players stretch shorter delays to a tenth of a second.
constexpr int kShortestDelay = 2;

// The NETSCAPE2.0 application extension that makes players loop: sub-block 1, loop count 0 (forever).
constexpr char kLoopApplication[] = "NETSCAPE2.0";
constexpr unsigned char kLoopForever[] = {1, 0, 0};

// The smallest rectangle holding every pixel in which two frames of one size differ; empty when none does.
QRect ChangedArea(const QImage& previous, const QImage& current) {
    const int width = current.width();
    const size_t row_bytes = static_cast<size_t>(width) * sizeof(QRgb);
    int top = 0;
    while (top < current.height() &&
           std::memcmp(previous.constScanLine(top), current.constScanLine(top), row_bytes) == 0) {
        ++top;
    }
    if (top == current.height()) {
        return {};
    }
    int bottom = current.height() - 1;
    while (std::memcmp(previous.constScanLine(bottom), current.constScanLine(bottom), row_bytes) == 0) {
        --bottom;
    }
    int left = width;
    int right = -1;
    for (int y = top; y <= bottom; ++y) {
        const auto* before = reinterpret_cast<const QRgb*>(previous.constScanLine(y));
        const auto* now = reinterpret_cast<const QRgb*>(current.constScanLine(y));
        int x = 0;
        while (x < left && before[x] == now[x]) {
            ++x;
        }
        left = std::min(left, x);
        x = width - 1;
        while (x > right && before[x] == now[x]) {
            --x;
        }
        right = std::max(right, x);
    }
    return QRect(QPoint(left, top), QPoint(right, bottom));
}

// Whether the frame is in 32-bit words whose colours are its pixels: the opaque pixels of a 32-bit format.
bool OpaqueWords(const QImage& frame) {
    if (frame.format() == QImage::Format_RGB32) {
        return true;
    }
    if (frame.format() != QImage::Format_ARGB32 && frame.format() != QImage::Format_ARGB32_Premultiplied) {
        return false;
    }
    return AllOpaque(frame);
}

// The file to write, once the animation's size and pace are known to fit a GIF.
const std::filesystem::path& Checked(const std::filesystem::path& file, int width, int height, int fps) {
    if (width < 1 || height < 1 || width > kLargestSide || height > kLargestSide) {
        platform::RaiseError(platform::error::kInvalidProcedureCall,
                             "A GIF cannot be " + std::to_string(width) + " x " + std::to_string(height) +
                                 " pixels: each side must be 1 to " + std::to_string(kLargestSide) + ".");
    }
    if (fps < 1) {
        platform::RaiseError(platform::error::kInvalidProcedureCall,
                             "An animation needs at least 1 frame per second, not " + std::to_string(fps) + ".");
    }
    return file;
}

} // namespace

void GifWriter::GifCloser::operator()(GifFileType* gif) const noexcept {
    int ignored = 0;
    EGifCloseFile(gif, &ignored);
}

GifWriter::GifWriter(std::filesystem::path file, int width, int height, int fps, GifEncoding encoding)
    : file_(std::move(file)), width_(width), height_(height), fps_(fps), encoding_(encoding),
      output_(Checked(file_, width, height, fps)) {
    int error = 0;
    gif_.reset(EGifOpen(this, Collect, &error));
    if (!gif_) {
        platform::RaiseError(platform::error::kOutOfMemory,
                             "Cannot start the GIF '" + file_.string() + "': " + GifErrorString(error) + ".");
    }
    // Frame delays and the loop need GIF89a; giflib cannot tell before the first frame when writing a stream.
    EGifSetGifVersion(gif_.get(), true);
    if (EGifPutScreenDesc(gif_.get(), width_, height_, 8, 0, nullptr) == GIF_ERROR ||
        EGifPutExtensionLeader(gif_.get(), APPLICATION_EXT_FUNC_CODE) == GIF_ERROR ||
        EGifPutExtensionBlock(gif_.get(), static_cast<int>(std::strlen(kLoopApplication)), kLoopApplication) ==
            GIF_ERROR ||
        EGifPutExtensionBlock(gif_.get(), sizeof kLoopForever, kLoopForever) == GIF_ERROR ||
        EGifPutExtensionTrailer(gif_.get()) == GIF_ERROR) {
        RaiseGifError("Cannot start");
    }
    FlushBuffer();
}

GifWriter::~GifWriter() = default;

int GifWriter::DelayOf(int frame, int fps) {
    // Each frame ends at the hundredth nearest its exact end, so rounding never adds up.
    const auto end_of = [fps](int n) { return static_cast<int>(std::lround(100.0 * n / fps)); };
    return std::max(end_of(frame + 1) - end_of(frame), kShortestDelay);
}

void GifWriter::Add(const QImage& frame) {
    RaiseIfUnusable();
    if (frame.width() != width_ || frame.height() != height_) {
        platform::RaiseError(platform::error::kInvalidProcedureCall,
                             "A frame of " + std::to_string(frame.width()) + " x " + std::to_string(frame.height()) +
                                 " pixels cannot join the " + std::to_string(width_) + " x " + std::to_string(height_) +
                                 " GIF '" + file_.string() + "'.");
    }
    try {
        WriteFrame(frame);
    } catch (...) {
        // Half a frame may be in the stream: nothing more can be added to it.
        broken_ = true;
        gif_.reset();
        output_.Discard();
        throw;
    }
}

void GifWriter::WriteFrame(const QImage& frame) {
    const bool fast = encoding_ == GifEncoding::Fast;
    // Frames are compared and reduced as opaque 32-bit pixels; an opaque 32-bit frame is one already.
    QImage current = fast && OpaqueWords(frame) ? frame : frame.convertToFormat(QImage::Format_RGB32);
    QRect area = previous_.isNull() ? current.rect() : ChangedArea(previous_, current);
    if (area.isEmpty()) {
        area = QRect(0, 0, 1, 1); // a frame must hold a pixel; this one shows what is there already
    }
    const IndexedImage indexed = fast ? QuantizeFrame(current, area) : QuantizeFrameMedianCut(current, area);

    // Palettes of a power of two entries, as GIF stores them.
    const int palette_size = 1 << GifBitSize(static_cast<int>(indexed.Palette.size()));
    std::vector<GifColorType> colours(static_cast<size_t>(palette_size), GifColorType{0, 0, 0});
    for (size_t i = 0; i < indexed.Palette.size(); ++i) {
        const QRgb colour = indexed.Palette[i];
        colours[i] = {static_cast<GifByteType>(qRed(colour)), static_cast<GifByteType>(qGreen(colour)),
                      static_cast<GifByteType>(qBlue(colour))};
    }
    std::unique_ptr<ColorMapObject, void (*)(ColorMapObject*)> palette(GifMakeMapObject(palette_size, colours.data()),
                                                                       GifFreeMapObject);
    if (!palette) {
        platform::RaiseError(platform::error::kOutOfMemory,
                             "No memory for a palette of the GIF '" + file_.string() + "'.");
    }

    // Earlier frames stay on screen under this one: only the changed area is stored.
    GraphicsControlBlock control{};
    control.DisposalMode = DISPOSE_DO_NOT;
    control.UserInputFlag = false;
    control.DelayTime = DelayOf(frames_, fps_);
    control.TransparentColor = NO_TRANSPARENT_COLOR;
    GifByteType control_bytes[4];
    EGifGCBToExtension(&control, control_bytes);
    if (EGifPutExtension(gif_.get(), GRAPHICS_EXT_FUNC_CODE, sizeof control_bytes, control_bytes) == GIF_ERROR ||
        EGifPutImageDesc(gif_.get(), area.left(), area.top(), area.width(), area.height(), false, palette.get()) ==
            GIF_ERROR) {
        RaiseGifError("Cannot write");
    }
    WriteIndices(indexed.Indices, indexed.Width, indexed.Height, palette_size);
    FlushBuffer();
    previous_ = std::move(current);
    ++frames_;
}

void GifWriter::WriteIndices(const std::vector<uint8_t>& indices, int width, int height, int palette_size) {
    if (encoding_ == GifEncoding::Reference) {
        // giflib takes rows by a non-const pointer but does not change them.
        auto* rows = const_cast<GifByteType*>(indices.data());
        for (int y = 0; y < height; ++y) {
            if (EGifPutLine(gif_.get(), rows + static_cast<size_t>(y) * static_cast<size_t>(width), width) ==
                GIF_ERROR) {
                RaiseGifError("Cannot write");
            }
        }
        return;
    }
    // giflib wrote the code size with the image descriptor; the sub-blocks of codes follow as they are.
    lzw_.clear();
    AppendLzwData(indices.data(), indices.size(), std::max(2, GifBitSize(palette_size)), lzw_);
    const auto* block = reinterpret_cast<const GifByteType*>(lzw_.data());
    for (; *block != 0; block += *block + 1) {
        if (EGifPutCodeNext(gif_.get(), block) == GIF_ERROR) {
            RaiseGifError("Cannot write");
        }
    }
    if (EGifPutCodeNext(gif_.get(), nullptr) == GIF_ERROR) {
        RaiseGifError("Cannot write");
    }
}

void GifWriter::Finish() {
    if (finished_ && !broken_) {
        return;
    }
    RaiseIfUnusable();
    if (frames_ == 0) {
        platform::RaiseError(platform::error::kInvalidProcedureCall,
                             "The GIF '" + file_.string() + "' has no frames to write.");
    }
    finished_ = true;
    previous_ = QImage();
    int error = 0;
    if (EGifCloseFile(gif_.release(), &error) == GIF_ERROR || buffer_failed_) {
        broken_ = true;
        output_.Discard();
        platform::RaiseError(platform::error::kPathFileAccess,
                             "Cannot write '" + file_.string() +
                                 "': " + (buffer_failed_ ? std::string("out of memory") : GifErrorString(error)) + ".");
    }
    try {
        output_.Write(buffer_);
        output_.Commit(true);
    } catch (...) {
        broken_ = true;
        throw;
    }
}

void GifWriter::RaiseIfUnusable() const {
    if (broken_) {
        platform::RaiseError(platform::error::kPathFileAccess,
                             "Cannot write '" + file_.string() + "': an earlier error stopped it.");
    }
    if (finished_) {
        platform::RaiseError(platform::error::kInvalidProcedureCall,
                             "The GIF '" + file_.string() + "' is finished already.");
    }
}

void GifWriter::RaiseGifError(const std::string& what) {
    const std::string reason = buffer_failed_ ? "out of memory" : GifErrorString(gif_->Error);
    platform::RaiseError(platform::error::kPathFileAccess, what + " '" + file_.string() + "': " + reason + ".");
}

void GifWriter::FlushBuffer() {
    if (buffer_failed_) {
        platform::RaiseError(platform::error::kOutOfMemory, "No memory to write the GIF '" + file_.string() + "'.");
    }
    output_.Write(buffer_);
    buffer_.clear();
}

int GifWriter::Collect(GifFileType* gif, const unsigned char* data, int length) {
    auto* writer = static_cast<GifWriter*>(gif->UserData);
    try {
        writer->buffer_.append(reinterpret_cast<const char*>(data), static_cast<size_t>(length));
    } catch (const std::bad_alloc&) {
        writer->buffer_failed_ = true;
        return 0;
    }
    return length;
}

} // namespace chronova::cli::exporting
