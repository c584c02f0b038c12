#pragma once

#include <QImage>
#include <string>

namespace chronova::cli::exporting {

/// The fastest level short of storing: frames of an animation are written once and read rarely, so speed beats size.
inline constexpr int kFastPngCompression = 1;

/// Encodes an image as PNG in memory. Pixels come back exactly as they were, in straight alpha:
/// an image of at most 256 distinct colours (map frames mostly are) is written as an 8-bit palette, with a tRNS
/// chunk when a colour is not opaque; any other as 8-bit RGB when it is opaque, else as RGBA. compression is the
/// deflate level 0 (stored) to 9 (smallest). Level 1 filters each row with Sub or Up and codes runs of equal bytes
/// only (RunZlib): several times faster than general deflate on map frames, for files somewhat larger. Levels 2
/// and 3 leave rows unfiltered (libdeflate runs faster on them); above them each row takes none, Sub or Up,
/// whichever looks cheapest to code. Raises 5 for a null image or a level out of range.
std::string EncodePng(const QImage& image, int compression = kFastPngCompression);

/// EncodePng with libdeflate at level 1 as well, rows unfiltered: the encoder before RunZlib, kept as a baseline
/// for benchmarks and tests.
std::string EncodePngWithLibdeflate(const QImage& image, int compression = kFastPngCompression);

/// The same image as EncodePng, through libpng: 8-bit RGB when opaque, else RGBA; rows unfiltered up to level 3
/// and adaptively filtered above it. Slower; kept as the baseline that benchmarks and tests compare with.
std::string EncodePngWithLibpng(const QImage& image, int compression = kFastPngCompression);

} // namespace chronova::cli::exporting
