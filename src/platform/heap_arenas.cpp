#include "platform/heap_arenas.h"

#include <cstdlib> // defines __GLIBC__ with the GNU C library

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace chronova::platform {

bool LimitHeapArenas() {
#if defined(__GLIBC__)
    return mallopt(M_ARENA_MAX, kHeapArenas) == 1;
#else
    return false;
#endif
}

} // namespace chronova::platform
