#include "gis/class_factory.h"

#include <gtest/gtest.h>

#include <memory>

#include "support/error_number.h"

namespace chronova::gis {
namespace {

constexpr std::string_view kClock = "{0F0E0D0C-0B0A-0908-0706-050403020100}";

struct Clock : platform::IUnknown {};

TEST(ClassRegistryTest, ARegisteredClassIsCreatedAnewByIdentifierOrProgIdAndNothingElseIs) {
    ClassRegistry classes;
    classes.Register("{0f0e0d0c-0b0a-0908-0706-050403020100}", "Test.Clock", [] { return std::make_shared<Clock>(); });

    const UID by_prog_id("test.clock");
    EXPECT_EQ(by_prog_id.Value(), kClock);
    EXPECT_TRUE(classes.IsRegistered(by_prog_id));
    EXPECT_EQ(classes.ProgId(UID(kClock)), "Test.Clock");

    const auto first = std::dynamic_pointer_cast<Clock>(classes.CreateInstance(UID(kClock)));
    const auto second = std::dynamic_pointer_cast<Clock>(classes.CreateInstance(by_prog_id));
    ASSERT_TRUE(first && second);
    EXPECT_NE(first, second);
    EXPECT_RAISES(classes.CreateInstance(UID("{00000000-0000-0000-0000-000000000000}")), 429);
    UnregisterProgId("Test.Clock");
}

TEST(ClassRegistryTest, ABadRegistrationOrAFactoryThatMakesNothingRaises) {
    ClassRegistry classes;
    classes.Register(kClock, "Test.Nothing", [] { return platform::ObjectRef(); });
    EXPECT_RAISES(classes.CreateInstance(UID(kClock)), 429);

    EXPECT_RAISES(classes.Register("0F0E0D0C", "Test.Clock", [] { return std::make_shared<Clock>(); }), 5);
    EXPECT_RAISES(classes.Register(kClock, "", [] { return std::make_shared<Clock>(); }), 5);
    EXPECT_RAISES(classes.Register(kClock, "Test.Clock", nullptr), 5);
    UnregisterProgId("Test.Nothing");
}

} // namespace
} // namespace chronova::gis
