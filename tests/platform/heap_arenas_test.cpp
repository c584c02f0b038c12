#include "platform/heap_arenas.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace chronova::platform {
namespace {

TEST(HeapArenasTest, TheLimitIsSetWithTheGnuCLibrary) {
#if defined(__GLIBC__)
    EXPECT_TRUE(LimitHeapArenas());
#else
    EXPECT_FALSE(LimitHeapArenas());
#endif
}

} // namespace
} // namespace chronova::platform
