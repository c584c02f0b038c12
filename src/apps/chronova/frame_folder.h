#pragma once

#include <cstdint>
#include <filesystem>

namespace chronova::cli {

/// Removes the frame files an earlier, longer run left in a folder: files named exactly as the frame writer
/// names a position (PngSequenceWriter::FileName) at or past frame_count. Nothing else in the folder is
/// touched, not even files of a similar name ("frame_7.png", "frame_00003.png.bak"). Returns how many went.
/// Raises 75 naming the file when one cannot be removed.
int32_t RemoveStaleFrames(const std::filesystem::path& folder, int32_t frame_count);

} // namespace chronova::cli
