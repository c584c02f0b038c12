#include "gis/component_categories.h"

#include <gtest/gtest.h>

#include <fstream>

#include "support/error_number.h"
#include "support/scratch_folder.h"

namespace chronova::gis {
namespace {

const UID kExtensions(catid::kExtensions);
const UID kCommands(catid::kCommands);
const UID kFirst("{11111111-2222-3333-4444-555555555555}");
const UID kSecond("{AAAAAAAA-BBBB-CCCC-DDDD-EEEEEEEEEEEE}");

class ComponentCategoriesTest : public ::testing::Test {
protected:
    platform::SettingsStore Store() const { return {folder_ / "user.jsonl", folder_ / "machine.jsonl"}; }

    testing::ScratchFolder folder_;
    ComponentCategoryManager manager_{Store()};
};

TEST_F(ComponentCategoriesTest, AClassJoinsAndLeavesCategoriesOneByOne) {
    manager_.SetupObject("/opt/a", kSecond, kCommands, true);
    manager_.SetupObject("/opt/a", kFirst, kCommands, true);
    manager_.SetupObject("/opt/a", kFirst, kExtensions, true);

    EXPECT_TRUE(manager_.CategoryExists(kCommands));
    EXPECT_EQ(manager_.ClassesOfCategory(kCommands), (std::vector<UID>{kSecond, kFirst}));
    EXPECT_EQ(manager_.CategoriesOfClass(kFirst), (std::vector<UID>{kCommands, kExtensions}));
    EXPECT_EQ(manager_.ServerPath(kFirst), "/opt/a");

    manager_.SetupObject("/opt/a", kFirst, kCommands, false);
    EXPECT_FALSE(manager_.IsInCategory(kFirst, kCommands));
    EXPECT_TRUE(manager_.IsInCategory(kFirst, kExtensions));
    EXPECT_EQ(manager_.ClassesOfCategory(kCommands), std::vector<UID>{kSecond});

    // Taking a class out of a category it is not in changes nothing, and installing twice lists it once.
    manager_.SetupObject("/opt/a", kFirst, kCommands, false);
    manager_.SetupObject("/opt/b", kSecond, kCommands, true);
    EXPECT_EQ(manager_.ClassesOfCategory(kCommands), std::vector<UID>{kSecond});
    EXPECT_EQ(manager_.ServerPath(kSecond), "/opt/b");
}

TEST_F(ComponentCategoriesTest, CategoriesLiveInTheClassesHiveForEveryProcess) {
    manager_.Create(kExtensions, "Map extensions");
    manager_.SetupObject("/opt/a", kFirst, kExtensions, true);

    // Another process sees the same files; the registry's layout holds regardless of how a key is spelled.
    const platform::SettingsStore other = Store();
    EXPECT_TRUE(other.KeyExists(platform::HKEY_CLASSES_ROOT,
                                "clsid\\{11111111-2222-3333-4444-555555555555}\\Implemented Categories\\"
                                "{b56a7c45-83d4-11d2-a2e9-080009b6f22b}"));
    EXPECT_EQ(ComponentCategoryManager(other).Description(kExtensions), "Map extensions");

    std::ofstream(folder_ / "machine.jsonl", std::ios::app)
        << R"({"key":"SOFTWARE\\Classes\\clsid\\{aaaaaaaa-bbbb-cccc-dddd-eeeeeeeeeeee}\\implemented categories\\)"
           R"({b56a7c45-83d4-11d2-a2e9-080009b6f22b}"})"
        << '\n'
        << R"({"key":"SOFTWARE\\Classes\\CLSID\\not a guid\\Implemented Categories\\{B56A7C45-83D4-11D2-A2E9-080009B6F22B}"})"
        << '\n';
    EXPECT_EQ(manager_.ClassesOfCategory(kExtensions), (std::vector<UID>{kFirst, kSecond}));
}

TEST_F(ComponentCategoriesTest, WithoutAFileThereAreNoCategories) {
    EXPECT_FALSE(manager_.CategoryExists(kExtensions));
    EXPECT_TRUE(manager_.ClassesOfCategory(kExtensions).empty());
    EXPECT_EQ(manager_.Description(kExtensions), "");
    EXPECT_EQ(manager_.ServerPath(kFirst), "");
}

TEST_F(ComponentCategoriesTest, FailuresAreErrorsNotSilence) {
    EXPECT_RAISES(manager_.SetupObject("/opt/a", UID(), kExtensions, true), 5);
    EXPECT_RAISES(manager_.ClassesOfCategory(UID()), 5);

    // A folder where the machine file should be: nothing can be written there.
    std::filesystem::create_directories(folder_ / "blocked");
    ComponentCategoryManager blocked({folder_ / "user.jsonl", folder_ / "blocked"});
    EXPECT_RAISES(blocked.SetupObject("/opt/a", kFirst, kExtensions, true), 75);
    EXPECT_RAISES(blocked.Create(kExtensions, "Map extensions"), 75);
}

} // namespace
} // namespace chronova::gis
