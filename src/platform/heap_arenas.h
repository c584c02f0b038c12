#pragma once

namespace chronova::platform {

/// How many heaps the C library's allocator keeps for the process's threads.
inline constexpr int kHeapArenas = 2;

/// Makes the threads of the process share kHeapArenas heaps instead of one heap per thread (up to eight per core
/// with glibc). A program calls this first thing in main, before it starts a thread. Loading a large layer fills
/// and frees buffers on the reading threads; with a heap per thread the memory freed on one thread stays in that
/// thread's heap while the next large column grows elsewhere, which costs a tenth of the memory of a
/// five-million-point layer. The programs' threads are few (readers, a worker or two), so sharing costs them no
/// measurable time. Does nothing with another C library. Returns whether the limit was set.
bool LimitHeapArenas();

} // namespace chronova::platform
