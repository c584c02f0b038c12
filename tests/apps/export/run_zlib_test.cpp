#include "apps/chronova/export/run_zlib.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <libdeflate.h>
#include <random>
#include <string>
#include <vector>

namespace chronova::cli::exporting {
namespace {

std::vector<uint8_t> Compressed(const std::vector<uint8_t>& data) {
    std::vector<uint8_t> out(RunZlibBound(data.size()));
    out.resize(RunZlib(data.data(), data.size(), out.data()));
    return out;
}

// The stream decodes to data with two independent inflaters, zlib's (through Qt, which PNG readers use as well)
// and libdeflate's, both of which check the Adler-32 sum.
void ExpectDecodesTo(const std::vector<uint8_t>& stream, const std::vector<uint8_t>& data) {
    ASSERT_GE(stream.size(), 6u);
    EXPECT_EQ((stream[0] * 256 + stream[1]) % 31, 0); // a valid zlib header
    QByteArray sized(4, '\0');
    for (int i = 0; i < 4; ++i) {
        sized[i] = static_cast<char>(data.size() >> (24 - 8 * i));
    }
    sized.append(reinterpret_cast<const char*>(stream.data()), static_cast<qsizetype>(stream.size()));
    const QByteArray by_zlib = qUncompress(sized);
    ASSERT_EQ(static_cast<size_t>(by_zlib.size()), data.size());
    EXPECT_TRUE(std::equal(data.begin(), data.end(), reinterpret_cast<const uint8_t*>(by_zlib.constData())));

    libdeflate_decompressor* inflater = libdeflate_alloc_decompressor();
    std::vector<uint8_t> by_libdeflate(data.size() + 1);
    size_t decoded = 0;
    const libdeflate_result result = libdeflate_zlib_decompress(inflater, stream.data(), stream.size(),
                                                                by_libdeflate.data(), by_libdeflate.size(), &decoded);
    libdeflate_free_decompressor(inflater);
    ASSERT_EQ(result, LIBDEFLATE_SUCCESS);
    by_libdeflate.resize(decoded);
    EXPECT_EQ(by_libdeflate, data);
}

TEST(RunZlibTest, RunsOfEveryLengthAroundTheMatchLimitsComeBack) {
    // Each run length from 1 to 600 (matches are 3 to 258 bytes: 258, 259, 260 and 261 must split well), of
    // zeros and of other values, between single bytes.
    std::vector<uint8_t> data;
    for (size_t run = 1; run <= 600; ++run) {
        data.insert(data.end(), run, static_cast<uint8_t>(run % 3 == 0 ? 0 : run));
        data.push_back(static_cast<uint8_t>(run * 7 + 1));
    }
    ExpectDecodesTo(Compressed(data), data);

    std::vector<uint8_t> zeros(1'000'003, 0);
    const std::vector<uint8_t> stream = Compressed(zeros);
    ExpectDecodesTo(stream, zeros);
    EXPECT_LT(stream.size(), 2000u); // 258 bytes in a few bits
}

TEST(RunZlibTest, TinyNoisyAndSkewedDataComeBack) {
    ExpectDecodesTo(Compressed({}), {});
    ExpectDecodesTo(Compressed({0}), {0});
    ExpectDecodesTo(Compressed({7, 7}), {7, 7});

    std::mt19937 random(17);
    std::vector<uint8_t> noise(100'000);
    for (uint8_t& byte : noise) {
        byte = static_cast<uint8_t>(random());
    }
    const std::vector<uint8_t> noise_stream = Compressed(noise);
    ExpectDecodesTo(noise_stream, noise);
    EXPECT_LT(noise_stream.size(), noise.size() + noise.size() / 50); // close to 8 bits a byte

    // Frequencies doubling from symbol to symbol make a Huffman tree 19 deep, beyond the 15 bits deflate allows.
    std::vector<size_t> counts;
    for (size_t count = 1; counts.size() < 18; count *= 2) {
        counts.push_back(count);
    }
    std::vector<uint8_t> skewed;
    for (size_t symbol = 0; symbol < counts.size(); ++symbol) {
        for (size_t n = 0; n < counts[symbol]; ++n) {
            skewed.push_back(static_cast<uint8_t>(symbol + 1));
            skewed.push_back(static_cast<uint8_t>(200 + n % 3)); // no runs
        }
    }
    ExpectDecodesTo(Compressed(skewed), skewed);
}

TEST(RunZlibTest, RandomMixesOfRunsAndNoiseComeBack) {
    // Many buffers of random runs (lengths 1 to 700, few values so that runs meet runs of the same value) between
    // noise: every split of a run into matches, every code shape.
    std::mt19937 random(29);
    for (int round = 0; round < 200; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        std::vector<uint8_t> data;
        const size_t pieces = 1 + random() % 40;
        for (size_t piece = 0; piece < pieces; ++piece) {
            const size_t run = 1 + random() % (round % 2 == 0 ? 12 : 700);
            data.insert(data.end(), run, static_cast<uint8_t>(random() % 4));
            for (size_t noise = random() % 20; noise > 0; --noise) {
                data.push_back(static_cast<uint8_t>(random()));
            }
        }
        ExpectDecodesTo(Compressed(data), data);
    }
}

TEST(RunZlibTest, RowsAddedPieceByPieceMakeTheSameStream) {
    // Rows of a filtered image: a filter byte, then mostly zeros with some values; some rows all zeros.
    const size_t row_bytes = 301;
    std::mt19937 random(3);
    std::vector<uint8_t> whole;
    RunCoder coder;
    coder.Start(row_bytes * 40);
    for (int y = 0; y < 40; ++y) {
        std::vector<uint8_t> row(row_bytes, 0);
        row[0] = 2;
        if (y % 4 == 3) {
            coder.AddZeros(2, row_bytes - 1);
        } else {
            for (size_t i = 1; i < row_bytes; i += 1 + random() % 9) {
                row[i] = static_cast<uint8_t>(random() % 5);
            }
            coder.Add(row.data(), row.size());
        }
        whole.insert(whole.end(), row.begin(), row.end());
    }
    EXPECT_EQ(coder.Size(), whole.size());
    std::vector<uint8_t> stream(RunZlibBound(whole.size()));
    stream.resize(coder.Finish(stream.data()));
    ExpectDecodesTo(stream, whole);
    EXPECT_LT(stream.size(), whole.size() / 3);

    coder.Trim(0);  // its buffers freed, the coder grows them again
    coder.Start(4); // and starts afresh
    coder.AddZeros(1, 3);
    stream.assign(RunZlibBound(4), 0);
    stream.resize(coder.Finish(stream.data()));
    ExpectDecodesTo(stream, {1, 0, 0, 0});
}

} // namespace
} // namespace chronova::cli::exporting
