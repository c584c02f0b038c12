#pragma once

#include <QImage>
#include <QRect>
#include <cstdint>
#include <vector>

namespace chronova::cli::exporting {

/// A part of a frame in at most 256 colours, as a GIF image holds it.
struct IndexedImage {
    int Width = 0;
    int Height = 0;
    std::vector<uint8_t> Indices; //!< row by row, one palette index per pixel
    std::vector<QRgb> Palette;    //!< 1 to 256 opaque colours
};

/// Reduces an area of a frame to at most 256 colours. An area of at most 256 distinct colours keeps them exactly,
/// in the order they first appear; any other goes through QuantizeFrameMedianCut. Alpha is ignored. Raises 5 for
/// an area outside the frame, 7 when memory runs out.
IndexedImage QuantizeFrame(const QImage& frame, QRect area);

/// Reduces an area of a frame to at most 256 colours whatever it holds. giflib's median cut picks the colour
/// boxes and maps every pixel to one; each palette colour is then made the mean of the pixels mapped to it,
/// because the median cut keeps only 5 bits per channel and would turn a white map background light grey. Maps
/// have few colours, large flat areas and anti-aliased edges, which this keeps exact or close without the noise
/// of dithering. Alpha is ignored. Raises 5 for an area outside the frame, 7 when memory runs out.
IndexedImage QuantizeFrameMedianCut(const QImage& frame, QRect area);

} // namespace chronova::cli::exporting
