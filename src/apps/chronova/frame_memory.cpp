#include "apps/chronova/frame_memory.h"

#include <cstdio>

namespace chronova::cli {

int64_t FrameBytes(QSize size) {
    return int64_t{4} * size.width() * size.height();
}

std::string FrameMemoryProblem(QSize size, int64_t available) {
    const int64_t needed = kFramesAtPeak * FrameBytes(size);
    if (needed <= available) {
        return {};
    }
    return "frames of " + std::to_string(size.width()) + " x " + std::to_string(size.height()) + " pixels need about " +
           GibText(needed) + " of memory (" + std::to_string(kFramesAtPeak) + " frames of " +
           GibText(FrameBytes(size)) + "), but only " + GibText(available) + " is available; choose a smaller size";
}

std::string GibText(int64_t bytes) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f GiB", static_cast<double>(bytes) / (1024.0 * 1024.0 * 1024.0));
    return text;
}

} // namespace chronova::cli
