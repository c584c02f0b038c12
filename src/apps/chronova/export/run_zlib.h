#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "apps/chronova/export/uninitialized_buffer.h"

namespace chronova::cli::exporting {

/// The most bytes RunZlib writes for size bytes of input.
size_t RunZlibBound(size_t size);

/// Compresses data as a zlib stream made for filtered image rows, which are mostly zeros: one deflate block
/// whose Huffman code is built for the data, where every byte is a literal except runs of one byte value, which
/// are matches at distance 1. No search for other matches makes it several times faster than general deflate on
/// map frames, for files somewhat larger. Writes to out (at least RunZlibBound(size) bytes) and returns the
/// stream's length.
size_t RunZlib(const uint8_t* data, size_t size, uint8_t* out);

/// RunZlib piece by piece: each piece is split into tokens as it comes, while it is still in the cache (a run does
/// not go on into the next piece), and the stream is written at Finish. Keeps its buffers from image to image.
class RunCoder {
public:
    static constexpr size_t kTokenKinds = 512; //!< literals 0-255, matches of 3 to 258 bytes

    /// Starts a stream of about expected_size bytes.
    void Start(size_t expected_size);
    void Add(const uint8_t* data, size_t size);
    /// Adds the byte first and zeros after it: a row the same as the row above, filtered with Up, without
    /// building or scanning it.
    void AddZeros(uint8_t first, size_t zeros);
    /// Writes the stream of everything added since Start to out, at least RunZlibBound(total size) bytes; returns
    /// its length.
    size_t Finish(uint8_t* out) const;
    /// The bytes added since Start.
    size_t Size() const noexcept { return size_; }
    /// Frees the coder's buffers when they hold more than bytes, so that one huge image does not keep its memory.
    void Trim(size_t bytes);

private:
    UninitializedBuffer<uint16_t> tokens_; // sized for one token per byte; only the tokens made are touched
    size_t token_count_ = 0;
    size_t size_ = 0;
    uint32_t adler_ = 1;
    std::array<uint64_t, kTokenKinds> frequency_{};
};

} // namespace chronova::cli::exporting
