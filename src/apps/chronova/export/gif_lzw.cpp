#include "apps/chronova/export/gif_lzw.h"

#include <array>

namespace chronova::cli::exporting {

namespace {

constexpr int kLargestCode = 4095; // codes have at most 12 bits
constexpr size_t kBlockBytes = 255;

// The strings seen so far, as (prefix code, next index) -> code, in an open-addressing table twice the size of
// the largest code table. Each slot packs the 20-bit key and the 12-bit code into one word, so the table (32 KiB)
// stays in the first-level cache, a probe reads one word, and clearing it is cheap.
class StringTable {
public:
    StringTable() { Clear(); }

    void Clear() { slots_.fill(kEmpty); }

    // The code of prefix followed by index, or -1.
    int Find(uint32_t key, size_t& slot) const {
        slot = (key * 2654435761u) >> (32 - kSlotBits);
        while (slots_[slot] != kEmpty) {
            if ((slots_[slot] >> kCodeBits) == key) {
                return static_cast<int>(slots_[slot] & kCodeMask);
            }
            slot = (slot + 1) & (kSlots - 1);
        }
        return -1;
    }

    // Adds a key at the empty slot Find stopped at.
    void Insert(size_t slot, uint32_t key, int code) {
        slots_[slot] = (key << kCodeBits) | static_cast<uint32_t>(code);
    }

private:
    static constexpr int kSlotBits = 13;
    static constexpr size_t kSlots = size_t{1} << kSlotBits;
    static constexpr int kCodeBits = 12;
    static constexpr uint32_t kCodeMask = (1u << kCodeBits) - 1;
    // No slot holds it: its prefix would be code 4095, which is never assigned (the table is cleared first).
    static constexpr uint32_t kEmpty = 0xffffffffu;
    std::array<uint32_t, kSlots> slots_{};
};

// Packs codes of a growing width into bytes, least significant bit first, and the bytes into sub-blocks.
class CodeWriter {
public:
    explicit CodeWriter(std::string& out) : out_(out) {}

    void Put(int code, int bits) {
        bit_buffer_ |= static_cast<uint64_t>(code) << bit_count_;
        bit_count_ += bits;
        while (bit_count_ >= 8) {
            PutByte(static_cast<uint8_t>(bit_buffer_ & 0xffu));
            bit_buffer_ >>= 8;
            bit_count_ -= 8;
        }
    }

    // Writes the last bits, the last sub-block and the empty one.
    void Finish() {
        if (bit_count_ > 0) {
            PutByte(static_cast<uint8_t>(bit_buffer_ & 0xffu));
        }
        if (block_size_ > 0) {
            FlushBlock();
        }
        out_.push_back('\0');
    }

private:
    void PutByte(uint8_t byte) {
        block_[block_size_++] = byte;
        if (block_size_ == kBlockBytes) {
            FlushBlock();
        }
    }

    void FlushBlock() {
        out_.push_back(static_cast<char>(block_size_));
        out_.append(reinterpret_cast<const char*>(block_.data()), block_size_);
        block_size_ = 0;
    }

    std::string& out_;
    uint64_t bit_buffer_ = 0;
    int bit_count_ = 0;
    std::array<uint8_t, kBlockBytes> block_{};
    size_t block_size_ = 0;
};

} // namespace

void AppendLzwData(const uint8_t* indices, size_t count, int code_size, std::string& out) {
    const int clear_code = 1 << code_size;
    const int end_code = clear_code + 1;
    int next_code = end_code + 1;
    int code_bits = code_size + 1;
    int width_limit = 1 << code_bits; // the first code that needs one more bit
    CodeWriter writer(out);
    StringTable strings;
    // A code is written with the current width; the width grows once the next code to assign no longer fits it.
    const auto put = [&](int code) {
        writer.Put(code, code_bits);
        if (next_code >= width_limit && code <= kLargestCode) {
            width_limit = 1 << ++code_bits;
        }
    };
    // The last string each code was extended to: runs of one index, which maps are full of, extend the same way
    // again and again and skip the table.
    std::array<int, kLargestCode + 1> last_extension{};
    std::array<uint8_t, kLargestCode + 1> last_extension_index{};
    last_extension.fill(-1);
    put(clear_code);
    int prefix = indices[0];
    for (size_t i = 1; i < count; ++i) {
        const uint8_t index = indices[i];
        const auto previous = static_cast<size_t>(prefix);
        if (last_extension[previous] >= 0 && last_extension_index[previous] == index) {
            prefix = last_extension[previous];
            continue;
        }
        const uint32_t key = (static_cast<uint32_t>(prefix) << 8) | index;
        size_t slot = 0;
        const int code = strings.Find(key, slot);
        if (code >= 0) {
            last_extension[previous] = code;
            last_extension_index[previous] = index;
            prefix = code;
            continue;
        }
        put(prefix);
        prefix = index;
        if (next_code >= kLargestCode) {
            put(clear_code);
            next_code = end_code + 1;
            code_bits = code_size + 1;
            width_limit = 1 << code_bits;
            strings.Clear();
            last_extension.fill(-1);
        } else {
            last_extension[previous] = next_code;
            last_extension_index[previous] = index;
            strings.Insert(slot, key, next_code++);
        }
    }
    put(prefix);
    put(end_code);
    writer.Finish();
}

} // namespace chronova::cli::exporting
