#pragma once

#include <cstddef>

namespace chronova::gis {

/// Asks the system to back the whole 2 MB pages inside a large, not yet touched buffer with huge pages, so that
/// filling it takes one page fault per 2 MB rather than per 4 KB (on virtual machines each fault is dear). A
/// hint only: nothing happens for small buffers or where the system does not offer huge pages.
void PreferHugePages(const void* data, size_t bytes) noexcept;

} // namespace chronova::gis
