#pragma once

#include <QImage>
#include <QRgb>
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace chronova::cli::exporting {

/// Whether every pixel from a row down is opaque, for an image in a 32-bit format with alpha.
inline bool AllOpaque(const QImage& image, int from_row = 0) {
    const int width = image.width();
    for (int y = from_row; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        QRgb all = 0xffffffffu;
        for (int x = 0; x < width; ++x) {
            all &= line[x];
        }
        if (qAlpha(all) != 255) {
            return false;
        }
    }
    return true;
}

/// The distinct colours of an image, up to 256, each with its palette index, in a small open-addressing table:
/// counting the colours of a map frame, which mostly has few, costs about one look at each pixel.
class ColourTable {
public:
    static constexpr size_t kLimit = 256;

    ColourTable() { index_.fill(kEmpty); }

    /// The index of colour in palette, appended when it is new; -1 when it would be the 257th.
    int IndexOf(QRgb colour, std::vector<QRgb>& palette) {
        size_t slot = (colour * 2654435761u) >> (32 - kSlotBits);
        while (index_[slot] != kEmpty) {
            if (colour_[slot] == colour) {
                return index_[slot];
            }
            slot = (slot + 1) & (kSlots - 1);
        }
        if (palette.size() == kLimit) {
            return -1;
        }
        colour_[slot] = colour;
        index_[slot] = static_cast<int16_t>(palette.size());
        palette.push_back(colour);
        return index_[slot];
    }

private:
    // Four slots per colour keep probe runs short.
    static constexpr int kSlotBits = 10;
    static constexpr size_t kSlots = size_t{1} << kSlotBits;
    static constexpr int16_t kEmpty = -1;
    std::array<QRgb, kSlots> colour_{};
    std::array<int16_t, kSlots> index_{};
};

} // namespace chronova::cli::exporting
