#include "platform/heap_arenas.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace chronova::platform {
namespace {

TEST(HeapArenasTest, TheLimitIsSetWithTheGnuCLibrary) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer replaces the C library's allocator, which alone takes the limit";
#elif defined(__GLIBC__)
    EXPECT_TRUE(LimitHeapArenas());
#else
    EXPECT_FALSE(LimitHeapArenas());
#endif
}

} // namespace
} // namespace chronova::platform
