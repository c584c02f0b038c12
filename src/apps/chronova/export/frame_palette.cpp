#include "apps/chronova/export/frame_palette.h"

#include <gif_lib.h>

#include <algorithm>
#include <array>

#include "apps/chronova/export/colour_table.h"
#include "platform/automation_error.h"

namespace chronova::cli::exporting {

namespace {

void RaiseUnlessWithin(const QImage& frame, QRect area) {
    if (area.isEmpty() || !frame.rect().contains(area)) {
        platform::RaiseError(platform::error::kInvalidProcedureCall, "The area to reduce to a palette is not within "
                                                                     "the frame.");
    }
}

// The frame as 32-bit words whose low 24 bits are the colour.
QImage Words(const QImage& frame) {
    return frame.format() == QImage::Format_RGB32 || frame.format() == QImage::Format_ARGB32 ||
                   frame.format() == QImage::Format_ARGB32_Premultiplied
               ? frame
               : frame.convertToFormat(QImage::Format_RGB32);
}

// The area with its own colours, or an empty image when it has more than 256. Runs of one colour skip the table.
IndexedImage ExactColours(const QImage& pixels, QRect area) {
    IndexedImage image;
    image.Width = area.width();
    image.Height = area.height();
    image.Indices.resize(static_cast<size_t>(image.Width) * static_cast<size_t>(image.Height));
    image.Palette.reserve(ColourTable::kLimit);
    ColourTable table;
    uint8_t* out = image.Indices.data();
    for (int y = area.top(); y <= area.bottom(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(pixels.constScanLine(y));
        QRgb last = line[area.left()] | 0xff000000u;
        int last_index = table.IndexOf(last, image.Palette);
        for (int x = area.left(); x <= area.right() && last_index >= 0; ++x) {
            const QRgb colour = line[x] | 0xff000000u;
            if (colour != last) {
                last = colour;
                last_index = table.IndexOf(colour, image.Palette);
            }
            *out++ = static_cast<uint8_t>(last_index);
        }
        if (last_index < 0) {
            return {};
        }
    }
    return image;
}

} // namespace

IndexedImage QuantizeFrame(const QImage& frame, QRect area) {
    RaiseUnlessWithin(frame, area);
    const QImage pixels = Words(frame);
    IndexedImage exact = ExactColours(pixels, area);
    if (exact.Palette.empty()) {
        return QuantizeFrameMedianCut(pixels, area);
    }
    return exact;
}

IndexedImage QuantizeFrameMedianCut(const QImage& frame, QRect area) {
    RaiseUnlessWithin(frame, area);
    const QImage pixels = Words(frame);
    IndexedImage image;
    image.Width = area.width();
    image.Height = area.height();
    const size_t count = static_cast<size_t>(image.Width) * static_cast<size_t>(image.Height);
    std::vector<GifByteType> red(count);
    std::vector<GifByteType> green(count);
    std::vector<GifByteType> blue(count);
    size_t i = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(pixels.constScanLine(y));
        for (int x = area.left(); x <= area.right(); ++x, ++i) {
            red[i] = static_cast<GifByteType>(qRed(line[x]));
            green[i] = static_cast<GifByteType>(qGreen(line[x]));
            blue[i] = static_cast<GifByteType>(qBlue(line[x]));
        }
    }

    image.Indices.resize(count);
    std::array<GifColorType, 256> boxes{};
    int colours = static_cast<int>(boxes.size());
    if (GifQuantizeBuffer(static_cast<unsigned>(image.Width), static_cast<unsigned>(image.Height), &colours, red.data(),
                          green.data(), blue.data(), image.Indices.data(), boxes.data()) == GIF_ERROR) {
        platform::RaiseError(platform::error::kOutOfMemory, "No memory to reduce a frame to 256 colours.");
    }

    // The mean colour of the pixels of each box, exact where a box holds one colour.
    std::array<uint64_t, 256> sum_red{};
    std::array<uint64_t, 256> sum_green{};
    std::array<uint64_t, 256> sum_blue{};
    std::array<uint64_t, 256> pixels_in{};
    for (i = 0; i < count; ++i) {
        const uint8_t box = image.Indices[i];
        sum_red[box] += red[i];
        sum_green[box] += green[i];
        sum_blue[box] += blue[i];
        ++pixels_in[box];
    }
    image.Palette.resize(static_cast<size_t>(std::max(colours, 1)));
    for (size_t box = 0; box < image.Palette.size(); ++box) {
        const uint64_t n = pixels_in[box];
        image.Palette[box] =
            n == 0 ? qRgb(boxes[box].Red, boxes[box].Green, boxes[box].Blue)
                   : qRgb(static_cast<int>((sum_red[box] + n / 2) / n), static_cast<int>((sum_green[box] + n / 2) / n),
                          static_cast<int>((sum_blue[box] + n / 2) / n));
    }
    return image;
}

} // namespace chronova::cli::exporting
