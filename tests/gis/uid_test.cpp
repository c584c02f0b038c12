#include "gis/uid.h"

#include <gtest/gtest.h>

#include "support/error_number.h"

namespace chronova::gis {
namespace {

// The value a UID takes from a text, or "error N" when setting it raises.
std::string ValueOf(std::string_view text) {
    UID uid;
    const int32_t number = testing::ErrorNumberOf([&] { uid.Value(text); });
    return number != 0 ? "error " + std::to_string(number) : uid.Value();
}

TEST(UidTest, AcceptsBracedGuidsInAnyCaseAndRejectsOtherShapes) {
    const std::pair<std::string_view, std::string_view> cases[] = {
        {"{8C19B114-1168-41A3-9E14-FC30CA5A4E9D}", "{8C19B114-1168-41A3-9E14-FC30CA5A4E9D}"},
        {"{8c19b114-1168-41a3-9e14-fc30ca5a4e9d}", "{8C19B114-1168-41A3-9E14-FC30CA5A4E9D}"},
        {"{8C19B114-1168-41A3-9E14-FC30CA5A4E9}", "error 5"},   // a digit short
        {"{8C19B114-1168-41A3-9E14-FC30CA5A4E9DA}", "error 5"}, // a digit too many
        {"{8C19B114-1168-41A3-9E14FC30CA5A4E9D0}", "error 5"},  // a dash moved
        {"{8C19B114-1168-41A3-9E14-FC30CA5A4E9G}", "error 5"},  // not hex
        {"{8C19B114-1168-41A3-9E14-FC30CA5A4E9D", "error 5"},   // no closing brace
        {"8C19B114-1168-41A3-9E14-FC30CA5A4E9D}", "error 5"},   // no opening brace
        {" {8C19B114-1168-41A3-9E14-FC30CA5A4E9D}", "error 5"}, // blanks are not trimmed
        {"{}", "error 5"},
        {"", "error 5"},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(ValueOf(text), expected) << text;
    }
}

TEST(UidTest, ResolvesRegisteredProgIdsIgnoringCase) {
    RegisterProgId("UidTest.Command", "{706b36b3-1ca2-4373-9d75-0ec61e42324e}");
    EXPECT_EQ(ValueOf("UidTest.Command"), "{706B36B3-1CA2-4373-9D75-0EC61E42324E}");
    EXPECT_EQ(ValueOf("uidtest.COMMAND"), "{706B36B3-1CA2-4373-9D75-0EC61E42324E}");
    EXPECT_EQ(UID("UidTest.Command"), UID("{706B36B3-1CA2-4373-9D75-0EC61E42324E}"));

    RegisterProgId("UidTest.Command", "{458385E9-9068-4416-AAF6-EBD59F184B86}");
    EXPECT_EQ(ValueOf("UidTest.Command"), "{458385E9-9068-4416-AAF6-EBD59F184B86}");

    UnregisterProgId("UidTest.Command");
    EXPECT_EQ(ValueOf("UidTest.Command"), "error 5");
    EXPECT_FALSE(ClsidFromProgId("UidTest.Command"));
}

TEST(UidTest, KeepsItsValueWhenANewOneIsRejected) {
    UID uid("{8C19B114-1168-41A3-9E14-FC30CA5A4E9D}");
    EXPECT_RAISES(uid.Value("No.Such.ProgId"), 5);
    EXPECT_EQ(uid.Value(), "{8C19B114-1168-41A3-9E14-FC30CA5A4E9D}");
    EXPECT_TRUE(UID().IsEmpty());
}

} // namespace
} // namespace chronova::gis
