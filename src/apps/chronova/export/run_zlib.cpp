#include "apps/chronova/export/run_zlib.h"

#include <libdeflate.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <utility>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace chronova::cli::exporting {

namespace {

// Tokens: a literal byte 0-255, or 256 + (length - 3) for a match of 3 to 258 bytes at distance 1.
constexpr int kLiterals = 256;
constexpr int kTokens = RunCoder::kTokenKinds;
constexpr int kShortestMatch = 3;
constexpr int kLongestMatch = 258;
// Runs shorter than this stay literals: a literal and a match would cost about as much.
constexpr size_t kShortestRun = 5;
constexpr int kEndOfBlock = 256;
constexpr size_t kFirstLengthSymbol = 257;
constexpr int kLengthSymbols = 286; // literals, end of block and the 29 length codes
constexpr int kCodeLengthSymbols = 19;
constexpr int kLongestCode = 15;
constexpr int kLongestCodeLengthCode = 7;

// The first length of each length code 257-285 and its number of extra bits.
constexpr std::array<int, 29> kLengthBase = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                             31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr std::array<int, 29> kLengthExtraBits = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                                  2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
// The order in which the block header lists the lengths of the code-length code.
constexpr std::array<int, kCodeLengthSymbols> kCodeLengthOrder = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                                                  11, 4,  12, 3, 13, 2, 14, 1, 15};

// The length code (0 for 257) of a match length.
constexpr int LengthCode(int length) {
    if (length == kLongestMatch) {
        return 28; // 258 has a code of its own, though code 27 could reach it with its extra bits
    }
    int code = 27;
    while (kLengthBase.at(static_cast<size_t>(code)) > length) {
        --code;
    }
    return code;
}

// Packs bits into bytes, least significant bit first, as deflate wants them. Each Put stores eight bytes and moves
// on by the whole bytes it filled, without a branch: the output needs 8 bytes to spare.
class BitWriter {
public:
    explicit BitWriter(uint8_t* out) : out_(out) {}

    // count is at most 56.
    void Put(uint64_t bits, int count) {
        buffer_ |= bits << count_;
        count_ += count;
        uint64_t little_endian = buffer_;
        if constexpr (std::endian::native == std::endian::big) {
            little_endian = __builtin_bswap64(little_endian);
        }
        std::memcpy(out_, &little_endian, sizeof little_endian);
        const int whole_bytes = count_ >> 3;
        out_ += whole_bytes;
        buffer_ = whole_bytes == 8 ? 0 : buffer_ >> (8 * whole_bytes);
        count_ &= 7;
    }

    // Writes the bits left, padded to a whole byte; returns the end of the output.
    uint8_t* Finish() {
        if (count_ > 0) {
            *out_++ = static_cast<uint8_t>(buffer_);
        }
        buffer_ = 0;
        count_ = 0;
        return out_;
    }

private:
    uint8_t* out_;
    uint64_t buffer_ = 0;
    int count_ = 0;
};

// The code lengths of a Huffman code for the frequencies, none longer than limit; 0 for symbols never used. Too
// long a code is cured by halving the frequencies (the rare symbols grow more alike) and building it again.
std::vector<uint8_t> CodeLengths(std::vector<uint64_t> frequencies, int limit) {
    std::vector<uint8_t> lengths(frequencies.size(), 0);
    std::vector<std::pair<uint64_t, int>> leaves; // frequency, symbol
    leaves.reserve(frequencies.size());
    for (;;) {
        leaves.clear();
        for (size_t symbol = 0; symbol < frequencies.size(); ++symbol) {
            if (frequencies[symbol] > 0) {
                leaves.emplace_back(frequencies[symbol], static_cast<int>(symbol));
            }
        }
        if (leaves.size() < 2) {
            for (const auto& leaf : leaves) {
                lengths[static_cast<size_t>(leaf.second)] = 1;
            }
            return lengths;
        }
        std::sort(leaves.begin(), leaves.end());
        // Nodes 0 to m - 1 are the leaves by weight; the joined nodes follow, made in the order of their weights, so
        // that the two lightest nodes are always at the front of one of the two lists.
        const size_t m = leaves.size();
        std::vector<uint64_t> weight(2 * m - 1);
        std::vector<size_t> parent(2 * m - 1, 0);
        for (size_t i = 0; i < m; ++i) {
            weight[i] = leaves[i].first;
        }
        size_t next_leaf = 0;
        size_t next_joined = m;
        const auto take_lightest = [&](size_t made) {
            if (next_leaf < m && (next_joined >= made || weight[next_leaf] <= weight[next_joined])) {
                return next_leaf++;
            }
            return next_joined++;
        };
        for (size_t made = m; made < 2 * m - 1; ++made) {
            const size_t a = take_lightest(made);
            const size_t b = take_lightest(made);
            weight[made] = weight[a] + weight[b];
            parent[a] = made;
            parent[b] = made;
        }
        std::vector<int> depth(2 * m - 1, 0);
        int deepest = 0;
        for (size_t i = 2 * m - 1; i-- > 0;) {
            depth[i] = i == 2 * m - 2 ? 0 : depth[parent[i]] + 1;
            deepest = std::max(deepest, depth[i]);
        }
        if (deepest <= limit) {
            for (size_t i = 0; i < m; ++i) {
                lengths[static_cast<size_t>(leaves[i].second)] = static_cast<uint8_t>(depth[i]);
            }
            return lengths;
        }
        for (uint64_t& frequency : frequencies) {
            if (frequency > 0) {
                frequency = (frequency >> 1) | 1;
            }
        }
    }
}

// The canonical codes of the lengths, bit-reversed for writing least significant bit first.
std::vector<uint32_t> CanonicalCodes(const std::vector<uint8_t>& lengths) {
    std::array<uint32_t, kLongestCode + 2> per_length{};
    for (const uint8_t length : lengths) {
        ++per_length.at(length);
    }
    per_length[0] = 0;
    std::array<uint32_t, kLongestCode + 2> next{};
    for (size_t bits = 1; bits < next.size(); ++bits) {
        next.at(bits) = (next.at(bits - 1) + per_length.at(bits - 1)) << 1;
    }
    std::vector<uint32_t> codes(lengths.size(), 0);
    for (size_t symbol = 0; symbol < lengths.size(); ++symbol) {
        const int length = lengths[symbol];
        if (length == 0) {
            continue;
        }
        const uint32_t code = next.at(static_cast<size_t>(length))++;
        uint32_t reversed = 0;
        for (int bit = 0; bit < length; ++bit) {
            reversed |= ((code >> bit) & 1u) << (length - 1 - bit);
        }
        codes[symbol] = reversed;
    }
    return codes;
}

// The code lengths of the literal/length and distance codes, one after the other, as symbols of the code-length
// code: 0-15 a length, 17 and 18 runs of zeros (3 extra bits for 3-10, 7 for 11-138). Each entry is the symbol
// and the value of its extra bits.
std::vector<std::pair<int, int>> CodeLengthSymbols(const std::vector<uint8_t>& lengths) {
    std::vector<std::pair<int, int>> symbols;
    symbols.reserve(lengths.size());
    for (size_t i = 0; i < lengths.size();) {
        size_t run = 1;
        while (lengths[i] == 0 && i + run < lengths.size() && lengths[i + run] == 0 && run < 138) {
            ++run;
        }
        if (lengths[i] == 0 && run >= 11) {
            symbols.emplace_back(18, static_cast<int>(run - 11));
        } else if (lengths[i] == 0 && run >= 3) {
            symbols.emplace_back(17, static_cast<int>(run - 3));
        } else {
            run = 1;
            symbols.emplace_back(lengths[i], 0);
        }
        i += run;
    }
    return symbols;
}

// The first index from `from` on whose byte is not value, or size: where a run of value ends.
size_t RunEnd(const uint8_t* data, size_t from, size_t size, uint8_t value) {
#if defined(__SSE2__)
    const __m128i pattern = _mm_set1_epi8(static_cast<char>(value));
    while (from + 16 <= size) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + from));
        const auto same = static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, pattern)));
        if (same != 0xffffu) {
            return from + static_cast<size_t>(std::countr_zero(~same));
        }
        from += 16;
    }
#else
    const uint64_t pattern = value * uint64_t{0x0101010101010101u};
    while (from + 8 <= size) {
        uint64_t word = 0;
        std::memcpy(&word, data + from, 8);
        const uint64_t differ = word ^ pattern;
        if (differ != 0) {
            return from + static_cast<size_t>(std::endian::native == std::endian::little ? std::countr_zero(differ)
                                                                                         : std::countl_zero(differ)) /
                              8;
        }
        from += 8;
    }
#endif
    while (from < size && data[from] == value) {
        ++from;
    }
    return from;
}

// The tokens of a run of value of at least kShortestRun bytes: the value and matches at distance 1. Returns their
// number.
size_t TokenizeRun(uint8_t value, size_t run, uint16_t* tokens, std::array<uint64_t, kTokens>& frequency) {
    uint16_t* token = tokens;
    *token++ = value;
    ++frequency[value];
    constexpr auto kShortest = static_cast<size_t>(kShortestMatch);
    size_t left = run - 1;
    while (left > 0) {
        // Never leave a rest shorter than a match.
        size_t length = std::min(left, static_cast<size_t>(kLongestMatch));
        if (left - length > 0 && left - length < kShortest) {
            length = left - kShortest;
        }
        const size_t kind = kLiterals + length - kShortest;
        *token++ = static_cast<uint16_t>(kind);
        ++frequency[kind];
        left -= length;
    }
    return static_cast<size_t>(token - tokens);
}

// Splits the data into tokens, and counts them: runs of one value of kShortestRun bytes or more become a literal
// and matches at distance 1; every other byte a literal. Returns the number of tokens.
size_t Tokenize(const uint8_t* data, size_t size, uint16_t* tokens, std::array<uint64_t, kTokens>& frequency) {
    uint16_t* token = tokens;
    size_t i = 0;
    while (i < size) {
        const uint8_t value = data[i];
        if (i + 1 < size && data[i + 1] != value) { // most literals: no run to look for
            *token++ = value;
            ++frequency[value];
            ++i;
            continue;
        }
        const size_t end = RunEnd(data, i + 1, size, value);
        const size_t run = end - i;
        if (run < kShortestRun) {
            for (; i < end; ++i) {
                *token++ = value;
                ++frequency[value];
            }
            continue;
        }
        token += TokenizeRun(value, run, token, frequency);
        i = end;
    }
    return static_cast<size_t>(token - tokens);
}

void PutBigEndian(uint8_t* out, uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        out[i] = static_cast<uint8_t>(value >> (24 - 8 * i));
    }
}

} // namespace

size_t RunZlibBound(size_t size) {
    // At most 15 bits a byte, a header of under 400 bytes, the zlib wrapping and the bit writer's 8 spare bytes.
    return size * 2 + 1024;
}

void RunCoder::Start(size_t expected_size) {
    if (tokens_.size() < expected_size) {
        tokens_.resize(expected_size);
    }
    token_count_ = 0;
    size_ = 0;
    adler_ = 1;
    frequency_.fill(0);
}

void RunCoder::Add(const uint8_t* data, size_t size) {
    if (tokens_.size() < token_count_ + size) {
        tokens_.resize(std::max(token_count_ + size, tokens_.size() * 2));
    }
    token_count_ += Tokenize(data, size, tokens_.data() + token_count_, frequency_);
    adler_ = libdeflate_adler32(adler_, data, size);
    size_ += size;
}

void RunCoder::AddZeros(uint8_t first, size_t zeros) {
    static constexpr std::array<uint8_t, 4096> kZeros{};
    std::array<uint8_t, 1 + kShortestRun> head{};
    head[0] = first;
    if (zeros < kShortestRun) {
        Add(head.data(), 1 + zeros);
        return;
    }
    const size_t most_tokens = token_count_ + 3 + zeros / (kLongestMatch - kShortestMatch);
    if (tokens_.size() < most_tokens) {
        tokens_.resize(std::max(most_tokens, tokens_.size() * 2));
    }
    // The same tokens as Tokenize gives: the byte, a literal zero and matches for the rest.
    token_count_ += Tokenize(head.data(), 1, tokens_.data() + token_count_, frequency_);
    token_count_ += TokenizeRun(0, zeros, tokens_.data() + token_count_, frequency_);
    adler_ = libdeflate_adler32(adler_, head.data(), 1);
    for (size_t left = zeros; left > 0;) {
        const size_t piece = std::min(left, kZeros.size());
        adler_ = libdeflate_adler32(adler_, kZeros.data(), piece);
        left -= piece;
    }
    size_ += 1 + zeros;
}

size_t RunCoder::Finish(uint8_t* out) const {
    const uint16_t* tokens = tokens_.data();
    const size_t token_count = token_count_;
    const std::array<uint64_t, kTokenKinds>& token_frequency = frequency_;
    std::vector<uint64_t> frequency(kLengthSymbols, 0);
    for (int token = 0; token < kTokens; ++token) {
        const uint64_t count = token_frequency.at(static_cast<size_t>(token));
        if (token < kLiterals) {
            frequency[static_cast<size_t>(token)] = count;
        } else if (count > 0) {
            frequency[kFirstLengthSymbol + static_cast<size_t>(LengthCode(token - kLiterals + kShortestMatch))] +=
                count;
        }
    }
    frequency[kEndOfBlock] = 1;
    const std::vector<uint8_t> lengths = CodeLengths(frequency, kLongestCode);
    const std::vector<uint32_t> codes = CanonicalCodes(lengths);
    size_t literal_codes = kLengthSymbols;
    while (literal_codes > kEndOfBlock + 1 && lengths[literal_codes - 1] == 0) {
        --literal_codes;
    }
    // One distance code, distance 1, of one bit (the code "0"), as deflate writes a code of a single symbol.
    std::vector<uint8_t> all_lengths(lengths.begin(), lengths.begin() + static_cast<std::ptrdiff_t>(literal_codes));
    all_lengths.push_back(1);
    const std::vector<std::pair<int, int>> length_symbols = CodeLengthSymbols(all_lengths);
    std::vector<uint64_t> length_frequency(kCodeLengthSymbols, 0);
    for (const auto& symbol : length_symbols) {
        ++length_frequency[static_cast<size_t>(symbol.first)];
    }
    if (std::count_if(length_frequency.begin(), length_frequency.end(), [](uint64_t n) { return n > 0; }) < 2) {
        // Decoders refuse a code-length code of one symbol: give it a second, unused one.
        length_frequency[length_frequency[0] > 0 ? 1 : 0] = 1;
    }
    const std::vector<uint8_t> length_lengths = CodeLengths(length_frequency, kLongestCodeLengthCode);
    const std::vector<uint32_t> length_codes = CanonicalCodes(length_lengths);

    out[0] = 0x78; // deflate with a 32 KiB window
    out[1] = 0x01; // the fastest level; makes the header a multiple of 31
    BitWriter bits(out + 2);
    bits.Put(1, 1); // the last block
    bits.Put(2, 2); // with Huffman codes of its own
    bits.Put(static_cast<uint32_t>(literal_codes - 257), 5);
    bits.Put(0, 5); // one distance code
    size_t listed = kCodeLengthSymbols;
    while (listed > 4 && length_lengths[static_cast<size_t>(kCodeLengthOrder.at(listed - 1))] == 0) {
        --listed;
    }
    bits.Put(static_cast<uint32_t>(listed - 4), 4);
    for (size_t i = 0; i < listed; ++i) {
        bits.Put(length_lengths[static_cast<size_t>(kCodeLengthOrder.at(i))], 3);
    }
    for (const auto& symbol : length_symbols) {
        const auto s = static_cast<size_t>(symbol.first);
        bits.Put(length_codes[s], length_lengths[s]);
        if (symbol.first == 17) {
            bits.Put(static_cast<uint32_t>(symbol.second), 3);
        } else if (symbol.first == 18) {
            bits.Put(static_cast<uint32_t>(symbol.second), 7);
        }
    }

    // Every token's bits at once: a literal's code, or a length code, its extra bits and the distance code.
    std::array<uint32_t, kTokens> token_bits{};
    std::array<uint8_t, kTokens> token_bit_count{};
    for (int token = 0; token < kTokens; ++token) {
        const auto t = static_cast<size_t>(token);
        if (token < kLiterals) {
            token_bits.at(t) = codes[t];
            token_bit_count.at(t) = lengths[t];
            continue;
        }
        const int length = token - kLiterals + kShortestMatch;
        const int code = LengthCode(length);
        const size_t symbol = kFirstLengthSymbol + static_cast<size_t>(code);
        const int extra_bits = kLengthExtraBits.at(static_cast<size_t>(code));
        const auto extra = static_cast<uint32_t>(length - kLengthBase.at(static_cast<size_t>(code)));
        token_bits.at(t) = codes[symbol] | (extra << lengths[symbol]); // then distance code 0: a zero bit
        token_bit_count.at(t) = static_cast<uint8_t>(lengths[symbol] + extra_bits + 1);
    }
    // Two tokens (at most 21 bits each) per Put: half the chain of dependent shifts.
    size_t i = 0;
    for (; i + 2 <= token_count; i += 2) {
        const uint16_t first = tokens[i];
        const uint16_t second = tokens[i + 1];
        const int first_count = token_bit_count[first];
        bits.Put(token_bits[first] | (static_cast<uint64_t>(token_bits[second]) << first_count),
                 first_count + token_bit_count[second]);
    }
    if (i < token_count) {
        bits.Put(token_bits[tokens[i]], token_bit_count[tokens[i]]);
    }
    bits.Put(codes[kEndOfBlock], lengths[kEndOfBlock]);
    uint8_t* end = bits.Finish();
    PutBigEndian(end, adler_);
    return static_cast<size_t>(end + 4 - out);
}

void RunCoder::Trim(size_t bytes) {
    if (tokens_.capacity() * sizeof(uint16_t) > bytes) {
        decltype(tokens_)().swap(tokens_);
        token_count_ = 0;
    }
}

size_t RunZlib(const uint8_t* data, size_t size, uint8_t* out) {
    // Kept between calls up to this size: no page faults per image.
    constexpr size_t kKeptTokens = size_t{64} << 20;
    thread_local RunCoder coder;
    coder.Start(size);
    coder.Add(data, size);
    const size_t written = coder.Finish(out);
    coder.Trim(kKeptTokens);
    return written;
}

} // namespace chronova::cli::exporting
