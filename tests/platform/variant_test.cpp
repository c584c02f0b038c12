#include "platform/variant.h"

#include <gtest/gtest.h>

#include "platform/conversions.h"

namespace chronova::platform {
namespace {

struct Thing : IUnknown {};

TEST(VariantTest, EachCppTypeIsOneVariantType) {
    EXPECT_EQ(Variant().Type(), VarType::Empty);
    EXPECT_EQ(Variant(int16_t{5}).Type(), VarType::Integer);
    EXPECT_EQ(Variant(5).Type(), VarType::Long);
    EXPECT_EQ(Variant(5.0f).Type(), VarType::Single);
    EXPECT_EQ(Variant(5.0).Type(), VarType::Double);
    EXPECT_EQ(Variant(Date(5.0)).Type(), VarType::Date);
    EXPECT_EQ(Variant("5").Type(), VarType::String);
    EXPECT_EQ(Variant(true).Type(), VarType::Boolean);
    EXPECT_EQ(Variant(ObjectRef()).Type(), VarType::Object);
}

TEST(VariantTest, TypeNamesAreTheClassicOnes) {
    EXPECT_EQ(TypeName(Variant()), "Empty");
    EXPECT_EQ(TypeName(Variant(int16_t{1})), "Integer");
    EXPECT_EQ(TypeName(Variant(1)), "Long");
    EXPECT_EQ(TypeName(Variant(1.0f)), "Single");
    EXPECT_EQ(TypeName(Variant(1.0)), "Double");
    EXPECT_EQ(TypeName(Variant(Date(1))), "Date");
    EXPECT_EQ(TypeName(Variant("")), "String");
    EXPECT_EQ(TypeName(Variant(false)), "Boolean");
    EXPECT_EQ(TypeName(Variant(ObjectRef())), "Nothing");
    EXPECT_EQ(TypeName(Variant(ObjectRef(std::make_shared<Thing>()))), "Object");
}

TEST(VariantTest, EqualityNeedsTheSameTypeAndValue) {
    EXPECT_EQ(Variant(5), Variant(5));
    EXPECT_NE(Variant(5), Variant(int16_t{5}));
    auto thing = std::make_shared<Thing>();
    EXPECT_EQ(Variant(ObjectRef(thing)), Variant(ObjectRef(thing)));
    EXPECT_NE(Variant(ObjectRef(thing)), Variant(ObjectRef(std::make_shared<Thing>())));
}

} // namespace
} // namespace chronova::platform
