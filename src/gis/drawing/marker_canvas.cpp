#include "gis/drawing/marker_canvas.h"

#include <QImage>
#include <QPaintEngine>
#include <QTransform>
#include <algorithm>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
// Wider blending where the processor has it, chosen when the program runs.
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define CHRONOVA_BLEND_AVX2 1
#include <immintrin.h>
#endif

namespace chronova::gis {

namespace {

// Each 8-bit channel of a premultiplied pixel times alpha / 255, rounded as Qt's raster engine rounds, so the
// direct path and the painter give the same pixels.
inline uint32_t ByteMul(uint32_t pixel, uint32_t alpha) {
    uint32_t red_blue = (pixel & 0xff00ffu) * alpha;
    red_blue = ((red_blue + ((red_blue >> 8) & 0xff00ffu) + 0x800080u) >> 8) & 0xff00ffu;
    uint32_t alpha_green = ((pixel >> 8) & 0xff00ffu) * alpha;
    alpha_green = (alpha_green + ((alpha_green >> 8) & 0xff00ffu) + 0x800080u) & 0xff00ff00u;
    return alpha_green | red_blue;
}

// Rows per band: a band of a wide image and the markers reaching out of it stay within a processor's L2 cache.
constexpr int kBandRows = 64;
// Fewer markers than this are drawn in the order they came: they touch too little of the image to gain.
constexpr size_t kSortedFrom = 512;

#if defined(CHRONOVA_BLEND_AVX2)
// BlendRow eight pixels at a time, on processors that have AVX2; returns how many pixels it blended.
__attribute__((target("avx2"))) int BlendEights(const uint32_t* over, uint32_t* under, int count) {
    const __m256i zero = _mm256_setzero_si256();
    const __m256i full = _mm256_set1_epi32(0xff);
    const __m256i half = _mm256_set1_epi16(0x80);
    int i = 0;
    for (; i + 8 <= count; i += 8) {
        const __m256i source = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(over + i));
        const __m256i target = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(under + i));
        // Unpacking works within each 128-bit half, the same way for pixels, factors and packing back.
        __m256i remaining = _mm256_sub_epi32(full, _mm256_srli_epi32(source, 24));
        remaining = _mm256_or_si256(remaining, _mm256_slli_epi32(remaining, 16));
        __m256i low =
            _mm256_mullo_epi16(_mm256_unpacklo_epi8(target, zero), _mm256_unpacklo_epi32(remaining, remaining));
        __m256i high =
            _mm256_mullo_epi16(_mm256_unpackhi_epi8(target, zero), _mm256_unpackhi_epi32(remaining, remaining));
        low = _mm256_srli_epi16(_mm256_add_epi16(_mm256_add_epi16(low, _mm256_srli_epi16(low, 8)), half), 8);
        high = _mm256_srli_epi16(_mm256_add_epi16(_mm256_add_epi16(high, _mm256_srli_epi16(high, 8)), half), 8);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(under + i),
                            _mm256_add_epi8(source, _mm256_packus_epi16(low, high)));
    }
    return i;
}

bool HasAvx2() {
    static const bool has = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2") != 0;
    }();
    return has;
}
#endif

// Source-over blending of premultiplied pixels: under = over + under * (255 - alpha of over) / 255. A fully
// transparent pixel leaves the pixel under it exactly as it was.
void BlendRow(const uint32_t* over, uint32_t* under, int count) {
    int i = 0;
#if defined(CHRONOVA_BLEND_AVX2)
    if (count >= 8 && HasAvx2()) {
        i = BlendEights(over, under, count);
    }
#endif
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    const __m128i full = _mm_set1_epi32(0xff);
    const __m128i half = _mm_set1_epi16(0x80);
    for (; i + 4 <= count; i += 4) {
        const __m128i source = _mm_loadu_si128(reinterpret_cast<const __m128i*>(over + i));
        const __m128i target = _mm_loadu_si128(reinterpret_cast<const __m128i*>(under + i));
        // 255 - alpha of each pixel, in all four 16-bit channels of that pixel once unpacked.
        __m128i remaining = _mm_sub_epi32(full, _mm_srli_epi32(source, 24));
        remaining = _mm_or_si128(remaining, _mm_slli_epi32(remaining, 16));
        __m128i low = _mm_mullo_epi16(_mm_unpacklo_epi8(target, zero), _mm_unpacklo_epi32(remaining, remaining));
        __m128i high = _mm_mullo_epi16(_mm_unpackhi_epi8(target, zero), _mm_unpackhi_epi32(remaining, remaining));
        low = _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(low, _mm_srli_epi16(low, 8)), half), 8);
        high = _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(high, _mm_srli_epi16(high, 8)), half), 8);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(under + i), _mm_add_epi8(source, _mm_packus_epi16(low, high)));
    }
#endif
    for (; i < count; ++i) {
        under[i] = over[i] + ByteMul(under[i], 0xffu - (over[i] >> 24));
    }
}

// Queues longer than this are given back to the system rather than kept for the next frame (16 MB each).
constexpr size_t kLargestKeptQueue = size_t{1} << 20;

// The queues of the last canvas of the thread, handed on to the next one: a frame then neither allocates
// them again nor faults in fresh memory pages for them.
struct Queues {
    std::vector<MarkerCanvas::Stamp> stamps;
    std::vector<MarkerCanvas::Stamp> sorted;
    std::vector<uint32_t> band_starts;
};

Queues& KeptQueues() {
    thread_local Queues queues;
    return queues;
}

} // namespace

MarkerCanvas::MarkerCanvas(QPainter& painter, bool keep_order) : painter_(painter), keep_order_(keep_order) {
    Queues& kept = KeptQueues();
    stamps_.swap(kept.stamps);
    sorted_.swap(kept.sorted);
    band_starts_.swap(kept.band_starts);
    QPaintDevice* device = painter.device();
    if (device == nullptr) {
        return;
    }
    // Either way markers go in bands of the device's rows, so both ways draw overlapping markers alike.
    width_ = device->width();
    height_ = device->height();
    if (device->devType() != QInternal::Image || painter.paintEngine() == nullptr ||
        painter.paintEngine()->type() != QPaintEngine::Raster) {
        return;
    }
    auto* image = static_cast<QImage*>(device);
    const QImage::Format format = image->format();
    if ((format != QImage::Format_ARGB32_Premultiplied && format != QImage::Format_RGB32) ||
        image->devicePixelRatio() != 1.0 || painter.hasClipping() || painter.opacity() != 1.0 ||
        painter.compositionMode() != QPainter::CompositionMode_SourceOver ||
        painter.deviceTransform().type() > QTransform::TxTranslate) {
        return;
    }
    // The painter writes into the buffer the image had when painting began; constBits() is that buffer,
    // where bits() could detach a shared image and write elsewhere.
    bits_ = const_cast<uint8_t*>(image->constBits());
    bytes_per_line_ = image->bytesPerLine();
    shift_x_ = painter.deviceTransform().dx();
    shift_y_ = painter.deviceTransform().dy();
}

MarkerCanvas::~MarkerCanvas() {
    Flush();
    if (sorted_.capacity() > kLargestKeptQueue) {
        return;
    }
    Queues& kept = KeptQueues();
    stamps_.swap(kept.stamps);
    sorted_.swap(kept.sorted);
    band_starts_.swap(kept.band_starts);
}

void MarkerCanvas::Add(double x, double y, const MarkerSprite& sprite) {
    const int left = MarkerSheet::AnchorPixel(x + shift_x_) + sprite.Offset.x();
    const int top = MarkerSheet::AnchorPixel(y + shift_y_) + sprite.Offset.y();
    stamps_.push_back(Stamp{left, top, &sprite});
}

void MarkerCanvas::Flush() {
    if (stamps_.empty()) {
        return;
    }
    if (stamps_.size() < kSortedFrom || height_ <= 0 || (keep_order_ && bits_ == nullptr)) {
        for (const Stamp& stamp : stamps_) {
            Draw(stamp);
        }
    } else if (keep_order_) {
        BlendInBands();
    } else {
        DrawSortedByBand();
    }
    stamps_.clear();
}

void MarkerCanvas::DrawSortedByBand() {
    // A stable counting sort by the band of the top row.
    const auto bands = static_cast<size_t>((height_ + kBandRows - 1) / kBandRows);
    const auto band_of = [&](const Stamp& stamp) {
        return static_cast<size_t>(std::clamp(stamp.Top, 0, height_ - 1) / kBandRows);
    };
    band_starts_.assign(bands + 1, 0);
    for (const Stamp& stamp : stamps_) {
        ++band_starts_[band_of(stamp) + 1];
    }
    for (size_t band = 1; band <= bands; ++band) {
        band_starts_[band] += band_starts_[band - 1];
    }
    sorted_.resize(stamps_.size());
    for (const Stamp& stamp : stamps_) {
        sorted_[band_starts_[band_of(stamp)]++] = stamp;
    }
    for (const Stamp& stamp : sorted_) {
        Draw(stamp);
    }
}

void MarkerCanvas::BlendInBands() {
    // A stable counting sort into the bands each marker's rows reach; most reach one band, some two.
    const auto bands = static_cast<size_t>((height_ + kBandRows - 1) / kBandRows);
    const auto first_band = [&](const Stamp& stamp) {
        return static_cast<size_t>(std::clamp(stamp.Top, 0, height_ - 1) / kBandRows);
    };
    const auto last_band = [&](const Stamp& stamp) {
        return static_cast<size_t>(std::clamp(stamp.Top + stamp.Sprite->Image.height() - 1, 0, height_ - 1) /
                                   kBandRows);
    };
    band_starts_.assign(bands + 1, 0);
    for (const Stamp& stamp : stamps_) {
        for (size_t band = first_band(stamp); band <= last_band(stamp); ++band) {
            ++band_starts_[band + 1];
        }
    }
    for (size_t band = 1; band <= bands; ++band) {
        band_starts_[band] += band_starts_[band - 1];
    }
    sorted_.resize(band_starts_[bands]);
    for (const Stamp& stamp : stamps_) {
        for (size_t band = first_band(stamp); band <= last_band(stamp); ++band) {
            sorted_[band_starts_[band]++] = stamp;
        }
    }
    // band_starts_[band] is now where the band's markers end.
    size_t begin = 0;
    for (size_t band = 0; band < bands; ++band) {
        const int band_top = static_cast<int>(band) * kBandRows;
        const int band_end = std::min(band_top + kBandRows, height_);
        for (size_t i = begin; i < band_starts_[band]; ++i) {
            const Stamp& stamp = sorted_[i];
            BlendInto(stamp.Left, stamp.Top, *stamp.Sprite, band_top, band_end);
        }
        begin = band_starts_[band];
    }
}

void MarkerCanvas::Draw(const Stamp& stamp) {
    if (bits_ != nullptr) {
        BlendInto(stamp.Left, stamp.Top, *stamp.Sprite, 0, height_);
    } else {
        painter_.drawImage(QPoint(stamp.Left, stamp.Top), stamp.Sprite->Image);
    }
}

void MarkerCanvas::BlendInto(int left, int top, const MarkerSprite& sprite, int first_image_row, int end_image_row) {
    const int first_row = std::max(0, first_image_row - top);
    const int end_row = std::min(sprite.Image.height(), end_image_row - top);
    const uint8_t* sprite_bits = sprite.Image.constBits();
    const int64_t sprite_bytes_per_line = sprite.Image.bytesPerLine();
    for (int row = first_row; row < end_row; ++row) {
        const auto [span_begin, span_end] = sprite.Spans[static_cast<size_t>(row)];
        const int begin = std::max<int>(span_begin, -left);
        const int end = std::min<int>(span_end, width_ - left);
        if (begin < end) {
            BlendRow(reinterpret_cast<const uint32_t*>(sprite_bits + row * sprite_bytes_per_line) + begin,
                     reinterpret_cast<uint32_t*>(bits_ + (top + row) * bytes_per_line_) + left + begin, end - begin);
        }
    }
}

} // namespace chronova::gis
