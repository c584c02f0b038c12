#pragma once

#include <cstdint>

namespace chronova::sample_data {

/// A small random number generator with a fixed algorithm (SplitMix64), so that the sample data is the same on
/// every machine and with every standard library: the standard distributions may differ between libraries.
class SeededRandom {
public:
    explicit SeededRandom(uint64_t seed) : state_(seed) {}

    /// The next 64 random bits.
    uint64_t Next() {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30U)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27U)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31U);
    }

    /// A number in [low, high), from the top 53 bits so that every double step is equally likely.
    double Uniform(double low, double high) {
        const double unit = static_cast<double>(Next() >> 11U) * 0x1.0p-53;
        return low + (high - low) * unit;
    }

private:
    uint64_t state_;
};

} // namespace chronova::sample_data
