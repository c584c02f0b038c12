#pragma once

#include <QSize>
#include <cstdint>
#include <string>

namespace chronova::cli {

/// The most memory a render or an animation holds at once, in frames of its size: the frame being drawn, the one
/// in the writer and its encoder's buffers. Measured at 8192 x 8192 on a map of eight layers, with its data: 4.5
/// frames for PNG files, 3.8 for a GIF; six leave room for a layout and a timeline, which copy the frame once each.
inline constexpr int64_t kFramesAtPeak = 6;

/// The bytes of one frame: 4 a pixel.
int64_t FrameBytes(QSize size);

/// Empty when a run of frames of this size fits in the memory available (in bytes); else why not, in one line
/// with the figures: "frames of 16384 x 16384 pixels need about 6.0 GiB of memory (6 frames of 1.0 GiB), but only
/// 2.1 GiB is available; choose a smaller size".
std::string FrameMemoryProblem(QSize size, int64_t available);

/// A number of bytes in GiB with one decimal: "2.1 GiB".
std::string GibText(int64_t bytes);

} // namespace chronova::cli
