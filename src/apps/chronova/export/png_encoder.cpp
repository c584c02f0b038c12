#include "apps/chronova/export/png_encoder.h"

#include <libdeflate.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

#include "apps/chronova/export/colour_table.h"
#include "apps/chronova/export/run_zlib.h"
#include "apps/chronova/export/uninitialized_buffer.h"
#include "platform/automation_error.h"

namespace chronova::cli::exporting {

namespace {

constexpr std::array<uint8_t, 8> kSignature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
constexpr uint8_t kColourTypeRgb = 2;
constexpr uint8_t kColourTypePalette = 3;
constexpr uint8_t kColourTypeRgba = 6;
constexpr uint8_t kFilterNone = 0;
constexpr uint8_t kFilterSub = 1;
constexpr uint8_t kFilterUp = 2;
// Up to this level rows are not filtered: at the fast levels deflate runs faster on unfiltered map frames, and
// their anti-aliased points and lines even come out smaller.
constexpr int kHighestUnfilteredLevel = 3;
// A chunk's length must stay below 2^31; larger streams go in several IDAT chunks.
constexpr size_t kLargestChunk = size_t{1} << 30;
// Scratch buffers of a thread are kept between frames (no page faults per frame) up to this size.
constexpr size_t kKeptScratch = size_t{64} << 20;

struct CompressorFree {
    void operator()(libdeflate_compressor* compressor) const noexcept { libdeflate_free_compressor(compressor); }
};
using Compressor = std::unique_ptr<libdeflate_compressor, CompressorFree>;

// A compressor per level and thread: allocating one costs more than compressing a small frame.
libdeflate_compressor& CompressorFor(int level) {
    thread_local std::array<Compressor, 10> compressors;
    Compressor& compressor = compressors.at(static_cast<size_t>(level));
    if (!compressor) {
        compressor.reset(libdeflate_alloc_compressor(level));
        if (!compressor) {
            platform::RaiseError(platform::error::kOutOfMemory, "No memory to compress a PNG image.");
        }
    }
    return *compressor;
}

// The image's pixels as 32-bit words of straight alpha (0xAARRGGBB), and the bits an opaque format leaves unset.
struct Pixels {
    QImage Image;
    QRgb OpaqueBits = 0; // 0xff000000 when the format has no alpha and its alpha byte means nothing
};

Pixels StraightPixels(const QImage& image) {
    switch (image.format()) {
    case QImage::Format_RGB32:
        return {image, 0xff000000u};
    case QImage::Format_ARGB32:
    case QImage::Format_ARGB32_Premultiplied: // straight while opaque; ReadColours converts it when it is not
        return {image, 0};
    default:
        return image.hasAlphaChannel() ? Pixels{image.convertToFormat(QImage::Format_ARGB32), 0}
                                       : Pixels{image.convertToFormat(QImage::Format_RGB32), 0xff000000u};
    }
}

// What one pass over the pixels learnt: whether every pixel is opaque and, when the image has at most 256
// colours, its palette (the rows of indices are then in the scratch buffer).
struct ColourCount {
    bool Opaque = true;
    bool Indexed = false;
    std::vector<QRgb> Palette;
};

// Maps every pixel to a palette index, writing rows of a filter byte (none) and indices into rows, until a 257th
// colour turns up; then only checks the opacity of the rest. Runs of one colour skip the table.
ColourCount ReadColours(const Pixels& pixels, std::vector<uint8_t>& rows) {
    const QImage& image = pixels.Image;
    const int width = image.width();
    const size_t row_bytes = static_cast<size_t>(width) + 1;
    ColourCount count;
    count.Palette.reserve(ColourTable::kLimit);
    ColourTable table;
    QRgb all = 0xffffffffu;
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        uint8_t* out = rows.data() + static_cast<size_t>(y) * row_bytes;
        *out++ = kFilterNone;
        QRgb last = line[0] | pixels.OpaqueBits;
        int last_index = table.IndexOf(last, count.Palette);
        for (int x = 0; x < width && last_index >= 0; ++x) {
            const QRgb colour = line[x] | pixels.OpaqueBits;
            all &= colour;
            if (colour != last) {
                last = colour;
                last_index = table.IndexOf(colour, count.Palette);
            }
            out[x] = static_cast<uint8_t>(last_index);
        }
        if (last_index < 0) {
            count.Opaque = qAlpha(all) == 255 && (pixels.OpaqueBits != 0 || AllOpaque(image, y));
            count.Palette.clear();
            return count;
        }
    }
    count.Opaque = qAlpha(all) == 255;
    count.Indexed = true;
    return count;
}

// How far a filtered byte is from zero, as a signed byte: small sums mean bytes that deflate codes cheaply.
inline int Distance(uint8_t byte) {
    return std::abs(static_cast<int>(static_cast<int8_t>(byte)));
}

// How rows are filtered before compression.
enum class RowFilter {
    None,     // as they are: libdeflate's fast levels run faster on them
    Adaptive, // none, Sub or Up by the smallest sum of distances from zero, for libdeflate's slow levels
    Runs      // Sub or Up, whichever leaves more bytes equal to their neighbour, for RunZlib
};

// Filters a row in place with Sub or Up, whichever leaves fewer bytes unlike the byte before them (runs of equal
// bytes, mostly zeros, are what RunZlib codes cheaply), and writes the filter byte before it. previous holds the
// unfiltered row above (zeros for the first) and takes this row's unfiltered bytes.
void FilterRowForRuns(uint8_t* row, std::vector<uint8_t>& previous, size_t bytes_per_pixel) {
    uint8_t* raw = row + 1;
    const size_t size = previous.size();
    uint8_t* above = previous.data();
    // Each filtered byte against the one before it, from the unfiltered bytes: no loop-carried value, no branch and
    // 32-bit sums, so that the loops vectorize. The first pixel's few bytes do not matter.
    uint32_t sub_changes = 0;
    uint32_t up_changes = 0;
    for (size_t i = bytes_per_pixel + 1; i < size; ++i) {
        const auto sub = static_cast<uint8_t>(raw[i] - raw[i - bytes_per_pixel]);
        const auto sub_before = static_cast<uint8_t>(raw[i - 1] - raw[i - 1 - bytes_per_pixel]);
        sub_changes += sub != sub_before ? 1u : 0u;
    }
    for (size_t i = 1; i < size; ++i) {
        const auto up = static_cast<uint8_t>(raw[i] - above[i]);
        const auto up_before = static_cast<uint8_t>(raw[i - 1] - above[i - 1]);
        up_changes += up != up_before ? 1u : 0u;
    }
    if (sub_changes < up_changes) {
        row[0] = kFilterSub;
        std::memcpy(above, raw, size);
        // From the copy, front to back: vectorizes, unlike going back to front in place.
        for (size_t i = bytes_per_pixel; i < size; ++i) {
            raw[i] = static_cast<uint8_t>(above[i] - above[i - bytes_per_pixel]);
        }
    } else {
        row[0] = kFilterUp;
        for (size_t i = 0; i < size; ++i) {
            const uint8_t value = raw[i];
            raw[i] = static_cast<uint8_t>(value - above[i]);
            above[i] = value;
        }
    }
}

// A pixel's red, green and blue as the low three bytes of a little-endian word: R first.
inline uint64_t RgbBytes(QRgb pixel) {
    return ((pixel >> 16) & 0xffu) | (pixel & 0xff00u) | ((pixel & 0xffu) << 16);
}

// Rows of RGB (bytes_per_pixel 3) or RGBA (4) bytes, each behind its filter byte; filtered for runs, each row goes
// to coder as soon as it is ready.
void FilterRows(const QImage& image, size_t bytes_per_pixel, RowFilter filter, std::vector<uint8_t>& rows,
                RunCoder& coder) {
    const int width = image.width();
    const size_t raw_bytes = static_cast<size_t>(width) * bytes_per_pixel;
    std::vector<uint8_t> previous(raw_bytes, 0);
    std::vector<uint8_t> sub(raw_bytes);
    std::vector<uint8_t> up(raw_bytes);
    const size_t line_bytes = static_cast<size_t>(width) * sizeof(QRgb);
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        if (filter == RowFilter::Runs && y > 0 && std::memcmp(line, image.constScanLine(y - 1), line_bytes) == 0) {
            coder.AddZeros(kFilterUp, raw_bytes); // previous already holds this row
            continue;
        }
        uint8_t* out = rows.data() + static_cast<size_t>(y) * (raw_bytes + 1);
        out[0] = kFilterNone;
        uint8_t* raw = out + 1;
        if (bytes_per_pixel == 3) {
            int x = 0;
            // Two pixels per 8-byte store, moving on by 6; the last pixel takes the tail, so no store passes the row.
            for (; x + 2 < width; x += 2, raw += 6) {
                uint64_t two = RgbBytes(line[x]) | (RgbBytes(line[x + 1]) << 24);
                if constexpr (std::endian::native == std::endian::big) {
                    two = __builtin_bswap64(two);
                }
                std::memcpy(raw, &two, sizeof two);
            }
            for (; x < width; ++x, raw += 3) {
                raw[0] = static_cast<uint8_t>(qRed(line[x]));
                raw[1] = static_cast<uint8_t>(qGreen(line[x]));
                raw[2] = static_cast<uint8_t>(qBlue(line[x]));
            }
        } else {
            for (int x = 0; x < width; ++x, raw += 4) {
                raw[0] = static_cast<uint8_t>(qRed(line[x]));
                raw[1] = static_cast<uint8_t>(qGreen(line[x]));
                raw[2] = static_cast<uint8_t>(qBlue(line[x]));
                raw[3] = static_cast<uint8_t>(qAlpha(line[x]));
            }
        }
        if (filter == RowFilter::None) {
            continue;
        }
        if (filter == RowFilter::Runs) {
            FilterRowForRuns(out, previous, bytes_per_pixel);
            coder.Add(out, raw_bytes + 1);
            continue;
        }
        const uint8_t* current = out + 1;
        int none_sum = 0;
        int sub_sum = 0;
        int up_sum = 0;
        for (size_t i = 0; i < raw_bytes; ++i) {
            sub[i] = static_cast<uint8_t>(current[i] - (i >= bytes_per_pixel ? current[i - bytes_per_pixel] : 0));
            up[i] = static_cast<uint8_t>(current[i] - previous[i]);
            none_sum += Distance(current[i]);
            sub_sum += Distance(sub[i]);
            up_sum += Distance(up[i]);
        }
        std::memcpy(previous.data(), current, raw_bytes);
        if (sub_sum < none_sum && sub_sum <= up_sum) {
            out[0] = kFilterSub;
            std::memcpy(out + 1, sub.data(), raw_bytes);
        } else if (up_sum < none_sum) {
            out[0] = kFilterUp;
            std::memcpy(out + 1, up.data(), raw_bytes);
        }
    }
}

void AppendBigEndian(std::string& out, uint32_t value) {
    const std::array<char, 4> bytes = {static_cast<char>(value >> 24), static_cast<char>(value >> 16),
                                       static_cast<char>(value >> 8), static_cast<char>(value)};
    out.append(bytes.data(), bytes.size());
}

void AppendChunk(std::string& out, const char (&type)[5], const uint8_t* data, size_t size) {
    AppendBigEndian(out, static_cast<uint32_t>(size));
    out.append(type, 4);
    if (size > 0) {
        out.append(reinterpret_cast<const char*>(data), size);
    }
    uint32_t crc = libdeflate_crc32(0, type, 4);
    if (size > 0) { // a null buffer would start the checksum afresh
        crc = libdeflate_crc32(crc, data, size);
    }
    AppendBigEndian(out, crc);
}

// A scratch buffer of a thread that keeps its pages from frame to frame, unless it grew unusually large.
template <typename Buffer>
struct Scratch {
    Buffer& Bytes;
    explicit Scratch(Buffer& bytes, size_t size) : Bytes(bytes) {
        if (Bytes.size() < size) {
            Bytes.resize(size);
        }
    }
    ~Scratch() {
        if (Bytes.capacity() > kKeptScratch) {
            Buffer().swap(Bytes);
        }
    }
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;
};

// Whether level 1 is RunZlib's (EncodePng) or libdeflate's (EncodePngWithLibdeflate).
enum class FastestLevel { Runs, Libdeflate };

std::string Encode(const QImage& image, int compression, FastestLevel fastest) {
    if (image.isNull()) {
        platform::RaiseError(platform::error::kInvalidProcedureCall, "An empty image cannot be written as PNG.");
    }
    if (compression < 0 || compression > 9) {
        platform::RaiseError(platform::error::kInvalidProcedureCall,
                             "The PNG compression level " + std::to_string(compression) + " is not between 0 and 9.");
    }
    thread_local std::vector<uint8_t> rows_buffer;
    // Sized for the worst case, of which compressed maps use a small part.
    thread_local UninitializedBuffer<uint8_t> compressed_buffer;

    Pixels pixels = StraightPixels(image);
    const size_t width = static_cast<size_t>(pixels.Image.width());
    const size_t height = static_cast<size_t>(pixels.Image.height());
    const Scratch<std::vector<uint8_t>> rows(rows_buffer, height * (width * 4 + 1));
    ColourCount colours = ReadColours(pixels, rows.Bytes);
    if (!colours.Opaque && pixels.Image.format() == QImage::Format_ARGB32_Premultiplied) {
        pixels.Image = pixels.Image.convertToFormat(QImage::Format_ARGB32);
        colours = ReadColours(pixels, rows.Bytes);
    }
    const bool runs = compression == 1 && fastest == FastestLevel::Runs;
    const RowFilter filter = runs                                     ? RowFilter::Runs
                             : compression <= kHighestUnfilteredLevel ? RowFilter::None
                                                                      : RowFilter::Adaptive;
    thread_local RunCoder coder;
    uint8_t colour_type = kColourTypePalette;
    size_t row_bytes = width + 1;
    if (colours.Indexed) {
        if (runs) {
            coder.Start(row_bytes * height);
            std::vector<uint8_t> previous(width, 0);
            for (size_t y = 0; y < height; ++y) {
                uint8_t* row = rows.Bytes.data() + y * row_bytes;
                if (y > 0 && std::memcmp(row + 1, previous.data(), width) == 0) {
                    coder.AddZeros(kFilterUp, width);
                    continue;
                }
                FilterRowForRuns(row, previous, 1);
                coder.Add(row, row_bytes);
            }
        }
    } else {
        const size_t bytes_per_pixel = colours.Opaque ? 3 : 4;
        colour_type = colours.Opaque ? kColourTypeRgb : kColourTypeRgba;
        row_bytes = width * bytes_per_pixel + 1;
        coder.Start(runs ? row_bytes * height : 0);
        FilterRows(pixels.Image, bytes_per_pixel, filter, rows.Bytes, coder);
    }
    const size_t raw_size = row_bytes * height;
    size_t compressed_size = 0;
    std::optional<Scratch<UninitializedBuffer<uint8_t>>> compressed;
    if (runs) {
        compressed.emplace(compressed_buffer, RunZlibBound(raw_size));
        compressed_size = coder.Finish(compressed->Bytes.data());
        coder.Trim(kKeptScratch);
    } else {
        libdeflate_compressor& compressor = CompressorFor(compression);
        compressed.emplace(compressed_buffer, libdeflate_zlib_compress_bound(&compressor, raw_size));
        compressed_size = libdeflate_zlib_compress(&compressor, rows.Bytes.data(), raw_size, compressed->Bytes.data(),
                                                   compressed->Bytes.size());
    }
    if (compressed_size == 0) {
        platform::RaiseError(platform::error::kInternalError, "The image cannot be compressed as PNG.");
    }

    std::string out;
    out.reserve(compressed_size + 1024 + (compressed_size / kLargestChunk) * 12);
    out.append(reinterpret_cast<const char*>(kSignature.data()), kSignature.size());
    std::array<uint8_t, 13> header{};
    for (size_t i = 0; i < 4; ++i) {
        header[i] = static_cast<uint8_t>(width >> (24 - 8 * i));
        header[4 + i] = static_cast<uint8_t>(height >> (24 - 8 * i));
    }
    header[8] = 8; // bits per sample or palette index
    header[9] = colour_type;
    AppendChunk(out, "IHDR", header.data(), header.size()); // compression, filter method, interlace: 0
    if (colours.Indexed) {
        std::vector<uint8_t> palette;
        palette.reserve(colours.Palette.size() * 3);
        std::vector<uint8_t> alphas;
        alphas.reserve(colours.Palette.size());
        size_t translucent_end = 0; // tRNS lists alphas up to the last colour that is not opaque
        for (const QRgb colour : colours.Palette) {
            palette.push_back(static_cast<uint8_t>(qRed(colour)));
            palette.push_back(static_cast<uint8_t>(qGreen(colour)));
            palette.push_back(static_cast<uint8_t>(qBlue(colour)));
            alphas.push_back(static_cast<uint8_t>(qAlpha(colour)));
            if (qAlpha(colour) != 255) {
                translucent_end = alphas.size();
            }
        }
        AppendChunk(out, "PLTE", palette.data(), palette.size());
        if (translucent_end > 0) {
            AppendChunk(out, "tRNS", alphas.data(), translucent_end);
        }
    }
    for (size_t offset = 0; offset < compressed_size; offset += kLargestChunk) {
        AppendChunk(out, "IDAT", compressed->Bytes.data() + offset, std::min(kLargestChunk, compressed_size - offset));
    }
    AppendChunk(out, "IEND", nullptr, 0);
    return out;
}

} // namespace

std::string EncodePng(const QImage& image, int compression) {
    return Encode(image, compression, FastestLevel::Runs);
}

std::string EncodePngWithLibdeflate(const QImage& image, int compression) {
    return Encode(image, compression, FastestLevel::Libdeflate);
}

} // namespace chronova::cli::exporting
