#include "extension/category_ids.h"

#include <set>

#include "host_fixture.h"
#include "support/error_number.h"

namespace chronova {
namespace {

class CategoryIDsTest : public testing::HostTest {
protected:
    CategoryIDs ids_;
};

TEST_F(CategoryIDsTest, TheHostsPublishedCategoriesKeepTheirIdentifiers) {
    EXPECT_EQ(ids_.MxCommands().Value(), "{B56A7C42-83D4-11D2-A2E9-080009B6F22B}");
    EXPECT_EQ(ids_.MxDockableWindows().Value(), "{117623B5-F9D1-11D3-A67F-0008C7DF97B9}");
    EXPECT_EQ(ids_.MxExtension().Value(), "{B56A7C45-83D4-11D2-A2E9-080009B6F22B}");
    EXPECT_EQ(ids_.MxCommandBars().Value(), "{B56A7C4A-83D4-11D2-A2E9-080009B6F22B}");
    EXPECT_EQ(ids_.GxCommands().Value(), "{5F08CBCA-E91F-11D1-AEE8-080009EC734B}");
    EXPECT_EQ(ids_.ThreeDExtensions().Value(), "{A1523ADD-FB91-11D4-80FC-00C04FA0ADF8}");
    // The host loads what these name.
    EXPECT_EQ(ids_.MxExtension(), gis::UID(gis::catid::kExtensions));
    EXPECT_EQ(ids_.MxCommands(), gis::UID(gis::catid::kCommands));
    EXPECT_EQ(ids_.MxDockableWindows(), gis::UID(gis::catid::kDockableWindows));
}

TEST_F(CategoryIDsTest, EveryOtherCategoryHasAStableIdentifierOfItsOwn) {
    const auto names = CategoryIDs::Names();
    ASSERT_EQ(names.size(), 321u);
    EXPECT_EQ(names.front(), "ThreeDExtensions");
    EXPECT_EQ(names.back(), "WorkspacePropertyPages");

    std::set<std::string> identifiers;
    for (const auto name : names) {
        identifiers.insert(ids_.Category(name).Value());
    }
    EXPECT_EQ(identifiers.size(), names.size());

    // Derived from the name as documented, so any machine and any release computes the same values.
    EXPECT_EQ(ids_.Category("AnimationPropertyPages").Value(), "{C029F275-F9D0-5B6E-A7CA-C3C93A87E686}");
    EXPECT_EQ(ids_.Category("WorkspacePropertyPages").Value(), "{8BE7745E-A5D1-588F-A1D1-7C75A067146F}");
    EXPECT_EQ(ids_.Category("SxExtensions").Value(), "{3C7D446C-BAD9-5571-ABD5-EF2BACC76EA7}");

    EXPECT_RAISES(ids_.Category("NoSuchCategory"), 438);
    EXPECT_RAISES(ids_.Category("mxcommands"), 438);
}

TEST_F(CategoryIDsTest, MakeUIDAcceptsGuidsAndRegisteredProgIds) {
    EXPECT_EQ(ids_.MakeUID("Chronova.TimeToolbar"), gis::UID(kCLSID_TimeToolbar));
    EXPECT_EQ(ids_.MakeUID("{706b36b3-1ca2-4373-9d75-0ec61e42324e}"), gis::UID(kCLSID_TimeToolbar));
    EXPECT_EQ(ids_.MakeUID("Chronova.NotRegistered"), std::nullopt);
    EXPECT_EQ(ids_.MakeUID("{706B36B3}"), std::nullopt);
    EXPECT_EQ(ids_.MakeUID(""), std::nullopt);
}

TEST_F(CategoryIDsTest, VerifyLooksInTheClassesHive) {
    EXPECT_TRUE(ids_.VerifyCLSID("Chronova.ChronovaExt"));
    EXPECT_TRUE(ids_.VerifyCLSID("{706b36b3-1ca2-4373-9d75-0ec61e42324e}"));
    EXPECT_TRUE(ids_.VerifyCategoryID(std::string(gis::catid::kDockableWindows)));
    EXPECT_FALSE(ids_.VerifyCategoryID(ids_.Category("SxExtensions").Value()));
    EXPECT_FALSE(ids_.VerifyCLSID("Chronova.NotRegistered"));
    EXPECT_FALSE(ids_.VerifyCLSID("{00000000-0000-0000-0000-000000000000}"));

    // A braced text is looked up as it is, without being turned into a UID first.
    ASSERT_TRUE(platform::SettingsStore().CreateKey(platform::HKEY_CLASSES_ROOT, "CLSID\\{not a guid}"));
    EXPECT_TRUE(ids_.VerifyCLSID("{not a guid}"));
}

} // namespace
} // namespace chronova
