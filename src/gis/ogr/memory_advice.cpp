#include "gis/ogr/memory_advice.h"

#include <cstdint>

#include <sys/mman.h>

namespace chronova::gis {

void PreferHugePages(const void* data, size_t bytes) noexcept {
    constexpr uintptr_t kHugePage = uintptr_t{2} << 20;
    const auto start = reinterpret_cast<uintptr_t>(data);
    const uintptr_t first = (start + kHugePage - 1) & ~(kHugePage - 1);
    const uintptr_t end = (start + bytes) & ~(kHugePage - 1);
    if (data == nullptr || end <= first) {
        return;
    }
    // Only whole huge pages inside the buffer, so that no memory outside it changes.
    char* buffer = const_cast<char*>(static_cast<const char*>(data));
    ::madvise(buffer + (first - start), end - first, MADV_HUGEPAGE);
}

} // namespace chronova::gis
