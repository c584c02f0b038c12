#include "extension/name_based_uuid.h"

#include <gtest/gtest.h>

#include <string>

#include "support/error_number.h"

namespace chronova {
namespace {

constexpr std::string_view kDnsNamespace = "{6ba7b810-9dad-11d1-80b4-00c04fd430c8}";

// Expected values from an independent implementation of RFC 4122 (Python's uuid.uuid5).
TEST(NameBasedUuidTest, MatchesTheRfcForNamesOfEveryLength) {
    EXPECT_EQ(NameBasedUuid(kDnsNamespace, "python.org"), "{886313E1-3B8A-5372-9B90-0C9AEE199E5D}");
    EXPECT_EQ(NameBasedUuid(kDnsNamespace, ""), "{4EBD0208-8328-5D69-8C44-EC50939C0967}");
    // 16 + 39 bytes fill the first block but for its length; 16 + 40 need a block of padding of their own.
    EXPECT_EQ(NameBasedUuid(kDnsNamespace, std::string(39, 'c')), "{290084B4-3498-56E0-9135-2EA70896841E}");
    EXPECT_EQ(NameBasedUuid(kDnsNamespace, std::string(40, 'b')), "{2B73ECCB-A8CA-5339-8C5E-56586A0AE9EB}");
    EXPECT_EQ(NameBasedUuid(kDnsNamespace, std::string(100, 'a')), "{56596F37-716C-57A9-A735-2561F8608390}");
    EXPECT_EQ(NameBasedUuid(kUrlNamespace, "https://example.org/"), "{527DDA32-A0DE-5105-A042-CB475B5F7D11}");
}

TEST(NameBasedUuidTest, TheNamespaceMustBeAGuid) {
    EXPECT_RAISES(NameBasedUuid("6ba7b810-9dad-11d1-80b4-00c04fd430c8", "x"), 5);
    EXPECT_RAISES(NameBasedUuid("", "x"), 5);
}

} // namespace
} // namespace chronova
