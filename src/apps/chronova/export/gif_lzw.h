#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace chronova::cli::exporting {

/// Appends to out the image data of a GIF image: the LZW codes of indices (each below 2^code_size) in sub-blocks of
/// up to 255 bytes, and the empty sub-block that ends them; the code size byte before them is the caller's. The
/// codes are the ones giflib writes for the same pixels: a clear code first, codes growing to 12 bits, and a clear
/// code whenever the table is full. code_size is 2 to 8 and count at least 1.
void AppendLzwData(const uint8_t* indices, size_t count, int code_size, std::string& out);

} // namespace chronova::cli::exporting
