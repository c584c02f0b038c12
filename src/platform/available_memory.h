#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace chronova::platform {

/// The memory the system can give a new program without swapping, in bytes: MemAvailable of /proc/meminfo.
/// Nothing where the system does not tell (no /proc, an old kernel).
std::optional<int64_t> AvailableMemory();

/// The MemAvailable figure of /proc/meminfo text, in bytes; nothing when the text has no readable one.
std::optional<int64_t> AvailableMemoryIn(std::string_view meminfo);

} // namespace chronova::platform
