#include "platform/available_memory.h"

#include <charconv>
#include <cstddef>
#include <limits>

#include "platform/atomic_file.h"

namespace chronova::platform {

std::optional<int64_t> AvailableMemory() {
    const FileContents meminfo = ReadWholeFile("/proc/meminfo", size_t{64} << 10);
    if (meminfo.missing || !meminfo.error.empty()) {
        return std::nullopt;
    }
    return AvailableMemoryIn(meminfo.data);
}

std::optional<int64_t> AvailableMemoryIn(std::string_view meminfo) {
    // A line "MemAvailable:   21786852 kB"; the kernel counts in kibibytes whatever the unit says.
    constexpr std::string_view kKey = "MemAvailable:";
    size_t start = 0;
    while (start < meminfo.size() && meminfo.compare(start, kKey.size(), kKey) != 0) {
        const size_t end = meminfo.find('\n', start);
        start = end == std::string_view::npos ? meminfo.size() : end + 1;
    }
    if (start >= meminfo.size()) {
        return std::nullopt;
    }
    const size_t digits = meminfo.find_first_not_of(' ', start + kKey.size());
    if (digits == std::string_view::npos) {
        return std::nullopt;
    }
    int64_t kibibytes = 0;
    const char* end = meminfo.data() + meminfo.size();
    const auto [stop, error] = std::from_chars(meminfo.data() + digits, end, kibibytes);
    if (error != std::errc() || kibibytes < 0 || kibibytes > std::numeric_limits<int64_t>::max() / 1024 ||
        (stop != end && *stop != ' ' && *stop != '\n')) {
        return std::nullopt;
    }
    return kibibytes * 1024;
}

} // namespace chronova::platform
