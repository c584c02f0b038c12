#include "platform/available_memory.h"

#include <gtest/gtest.h>

namespace chronova::platform {
namespace {

TEST(AvailableMemoryTest, ReadsMemAvailableInKibibytes) {
    EXPECT_EQ(AvailableMemoryIn("MemTotal:       32768000 kB\nMemFree:         1000 kB\n"
                                "MemAvailable:   21786852 kB\nBuffers:          520 kB\n"),
              int64_t{21786852} * 1024);
    EXPECT_EQ(AvailableMemoryIn("MemAvailable: 7"), 7 * 1024) << "the last line, without its unit";
}

TEST(AvailableMemoryTest, GivesNothingWithoutAReadableFigure) {
    for (const char* text : {"", "MemTotal: 100 kB\nMemFree: 50 kB\n", "MemAvailable:\n", "MemAvailable: lots kB\n",
                             "MemAvailable: -5 kB\n", "MemAvailable: 12x kB\n", "SwapMemAvailable: 5 kB\n",
                             "MemAvailable: 99999999999999999999 kB\n", "MemAvailable: 9223372036854775807 kB\n"}) {
        EXPECT_FALSE(AvailableMemoryIn(text)) << text;
    }
}

TEST(AvailableMemoryTest, TheSystemsFigureIsAPositiveAmount) {
    const std::optional<int64_t> available = AvailableMemory();
    if (!available) {
        GTEST_SKIP() << "this system does not tell";
    }
    EXPECT_GT(*available, 0);
}

} // namespace
} // namespace chronova::platform
