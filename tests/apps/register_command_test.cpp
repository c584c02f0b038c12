// chronova register / unregister: the categories the host loads from, written to and taken from the classes hive.

#include <gtest/gtest.h>

#include <sstream>

#include "apps/chronova/cli.h"
#include "apps/run_command.h"
#include "extension/class_ids.h"
#include "gis/component_categories.h"
#include "support/scratch_folder.h"

namespace chronova::cli {
namespace {

class RegisterCommandTest : public ::testing::Test {
protected:
    std::vector<gis::UID> CategoriesOf(std::string_view clsid) const {
        return gis::ComponentCategoryManager().CategoriesOfClass(gis::UID(clsid));
    }

    testing::ScratchFolder folder_;
    testing::ScopedEnvironment machine_{"CHRONOVA_MACHINE_SETTINGS", (folder_ / "machine.jsonl").string()};
};

TEST_F(RegisterCommandTest, RegisterAndUnregisterChangeWhatTheHostLoads) {
    const Result registered = RunWith({"register"});
    EXPECT_EQ(registered.status, kExitSuccess) << registered.err;
    EXPECT_NE(registered.out.find((folder_ / "machine.jsonl").string()), std::string::npos);
    EXPECT_EQ(CategoriesOf(kCLSID_ChronovaExt), std::vector<gis::UID>{gis::UID(gis::catid::kExtensions)});
    EXPECT_EQ(CategoriesOf(kCLSID_TimeToolbar),
              (std::vector<gis::UID>{gis::UID(gis::catid::kCommands), gis::UID(gis::catid::kDockableWindows)}));

    const Result unregistered = RunWith({"unregister"});
    EXPECT_EQ(unregistered.status, kExitSuccess) << unregistered.err;
    EXPECT_TRUE(CategoriesOf(kCLSID_ChronovaExt).empty());
    EXPECT_TRUE(CategoriesOf(kCLSID_TimeToolbar).empty());
}

TEST_F(RegisterCommandTest, AClassesHiveThatCannotBeWrittenFailsWithTheReason) {
    std::filesystem::create_directories(folder_ / "blocked");
    testing::ScopedEnvironment blocked("CHRONOVA_MACHINE_SETTINGS", (folder_ / "blocked").string());
    const Result result = RunWith({"register"});
    EXPECT_EQ(result.status, kExitRuntimeError);
    EXPECT_NE(result.err.find("cannot be written to " + (folder_ / "blocked").string()), std::string::npos)
        << result.err;
    EXPECT_EQ(RunWith({"register", "extra"}).status, kExitUsage);
}

} // namespace
} // namespace chronova::cli
