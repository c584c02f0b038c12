#include "apps/chronova/frame_memory.h"

#include <gtest/gtest.h>

namespace chronova::cli {
namespace {

constexpr int64_t kGiB = int64_t{1} << 30;

TEST(FrameMemoryTest, RefusesFramesThatWouldNotFitWithTheFigures) {
    const QSize largest(16384, 16384);
    ASSERT_EQ(FrameBytes(largest), kGiB) << "four bytes a pixel, counted without overflow";
    EXPECT_EQ(FrameMemoryProblem(largest, kFramesAtPeak * kGiB), "") << "exactly enough";
    EXPECT_NE(FrameMemoryProblem(largest, kFramesAtPeak * kGiB - 1), "") << "a byte short";
    EXPECT_EQ(FrameMemoryProblem(largest, kGiB * 21 / 10),
              "frames of 16384 x 16384 pixels need about 6.0 GiB of memory (6 frames of 1.0 GiB), but only 2.1 GiB "
              "is available; choose a smaller size");
    const std::string little = FrameMemoryProblem(QSize(8192, 8192), kGiB * 12 / 10);
    EXPECT_NE(little.find("frames of 8192 x 8192 pixels"), std::string::npos) << little;
    EXPECT_NE(little.find("only 1.2 GiB is available"), std::string::npos) << little;
    EXPECT_EQ(FrameMemoryProblem(QSize(8192, 8192), kGiB * 21 / 10), "") << "six frames of 256 MiB fit in 2.1 GiB";
    EXPECT_EQ(FrameMemoryProblem(QSize(1024, 768), kGiB), "");
}

} // namespace
} // namespace chronova::cli
