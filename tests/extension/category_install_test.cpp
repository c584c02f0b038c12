#include "extension/category_install.h"

#include "extension/category_ids.h"
#include "host_fixture.h"
#include "support/error_number.h"

namespace chronova {
namespace {

class CategoryInstallTest : public testing::HostTest {
protected:
    std::vector<gis::UID> CategoriesOf(std::string_view clsid) const {
        return manager_.CategoriesOfClass(gis::UID(clsid));
    }

    CategoryIDs ids_;
    gis::ComponentCategoryManager manager_;
};

TEST_F(CategoryInstallTest, InstallPutsTheClassesIntoTheirCategoriesAndUninstallTakesThemOut) {
    // The fixture installed them.
    EXPECT_EQ(CategoriesOf(kCLSID_ChronovaExt), std::vector<gis::UID>{ids_.MxExtension()});
    EXPECT_EQ(CategoriesOf(kCLSID_TimeToolbar), (std::vector<gis::UID>{ids_.MxCommands(), ids_.MxDockableWindows()}));
    EXPECT_EQ(manager_.ServerPath(gis::UID(kCLSID_ChronovaExt)), ServerModulePath().string());
    EXPECT_FALSE(ServerModulePath().empty());

    CategoryInstall installer;
    EXPECT_EQ(installer.Install(false, "ignored options"), 0);
    EXPECT_TRUE(CategoriesOf(kCLSID_ChronovaExt).empty());
    EXPECT_TRUE(CategoriesOf(kCLSID_TimeToolbar).empty());
    EXPECT_EQ(installer.ErrorMessage(), "");

    // Uninstalled, the host loads nothing of the extension.
    StartHost();
    EXPECT_EQ(app_->FindExtensionByName(kProgID_ChronovaExt), nullptr);
    EXPECT_EQ(Command(), nullptr);
    EXPECT_EQ(Window(), nullptr);
}

TEST_F(CategoryInstallTest, AFailureReachesTheCallerWithItsCallStack) {
    std::filesystem::create_directories(folder_ / "blocked");
    testing::ScopedEnvironment blocked("CHRONOVA_MACHINE_SETTINGS", (folder_ / "blocked").string());
    CategoryInstall installer;
    const platform::AutomationError error = testing::ErrorOf([&] { installer.Install(true); });
    EXPECT_EQ(error.Number(), 75);
    EXPECT_EQ(error.Description().rfind("\tInstall CategoryInstall \r\n", 0), 0u) << error.Description();
    EXPECT_EQ(installer.ErrorMessage(), error.Description());

    // The next run starts with an empty message.
    testing::ScopedEnvironment fine("CHRONOVA_MACHINE_SETTINGS", (folder_ / "machine.jsonl").string());
    EXPECT_EQ(installer.Install(true), 0);
    EXPECT_EQ(installer.ErrorMessage(), "");
}

TEST_F(CategoryInstallTest, TheClassesMustBeRegisteredBeforeTheyCanBeInstalled) {
    gis::UnregisterProgId(kProgID_TimeToolbar);
    CategoryInstall installer;
    EXPECT_RAISES(installer.Install(true), 5);
    RegisterExtensionProgIds();
    EXPECT_EQ(installer.Install(true), 0);
}

} // namespace
} // namespace chronova
