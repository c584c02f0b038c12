#pragma once

#include <QImage>
#include <string>

namespace chronova::cli::exporting {

/// The fastest zlib level: frames of an animation are written once and read rarely, so speed beats size.
inline constexpr int kFastPngCompression = 1;

/// Encodes an image as PNG in memory with libpng. An opaque image is written as 8-bit RGB, one with any
/// transparency as 8-bit RGBA. compression is the zlib level 0 (none) to 9 (smallest); at the fast levels (up to 3)
/// rows are not filtered, which halves the time of a map frame for a few percent of size. Raises 5 for a null image
/// or a level out of range.
std::string EncodePng(const QImage& image, int compression = kFastPngCompression);

} // namespace chronova::cli::exporting
