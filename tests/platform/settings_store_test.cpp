#include "platform/settings_store.h"

#include <fstream>
#include <sstream>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "platform/settings_printers.h"

#include "platform/automation_error.h"
#include "platform/debug_output.h"
#include "support/error_number.h"
#include "support/scratch_folder.h"

extern char** environ;

namespace chronova::platform {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

using testing::ReadContents;

size_t CountFiles(const fs::path& folder, std::string_view part) {
    size_t count = 0;
    for (const auto& entry : fs::directory_iterator(folder)) {
        count += entry.path().filename().string().find(part) != std::string::npos ? 1 : 0;
    }
    return count;
}

// Every test gets its own user and machine files through the environment, as the program finds them.
class SettingsStoreFiles : public ::testing::Test {
protected:
    std::optional<SettingsValue> Read(Hive hive, std::string_view key, std::string_view name) const {
        return store_.ReadValue(hive, key, name);
    }
    bool WriteText(Hive hive, std::string_view key, std::string_view name, std::string_view text) {
        return store_.WriteValue(hive, key, name, SettingsValue::String(text));
    }

    testing::ScratchFolder folder_;
    fs::path user_file_ = folder_ / "user" / "registry.jsonl";
    fs::path machine_file_ = folder_ / "machine" / "registry.jsonl";
    testing::ScopedEnvironment user_env_{"CHRONOVA_USER_SETTINGS", user_file_.string()};
    testing::ScopedEnvironment machine_env_{"CHRONOVA_MACHINE_SETTINGS", machine_file_.string()};
    SettingsStore store_;
};

TEST_F(SettingsStoreFiles, MissingFilesAreEmptyHives) {
    EXPECT_TRUE(store_.KeyExists(HKEY_CURRENT_USER, ""));
    EXPECT_TRUE(store_.KeyExists(HKEY_CLASSES_ROOT, ""));
    EXPECT_FALSE(store_.KeyExists(HKEY_CURRENT_USER, "Software"));
    EXPECT_FALSE(Read(HKEY_LOCAL_MACHINE, "Software\\Veltrane\\Chronova", "Mode"));
    EXPECT_FALSE(fs::exists(folder_ / "user")) << "reading creates nothing";
}

TEST_F(SettingsStoreFiles, KeepsTypedValuesPerHive) {
    const std::string key = "Software\\Veltrane\\Chronova";
    ASSERT_TRUE(WriteText(HKEY_CURRENT_USER, key, "Fill_Gaps", "True"));
    ASSERT_TRUE(store_.WriteValue(HKEY_LOCAL_MACHINE, key, "Fill_Gaps", SettingsValue::DWord(4294967295u)));
    ASSERT_TRUE(WriteText(HKEY_CURRENT_USER, key, "", "default"));
    EXPECT_EQ(Read(HKEY_CURRENT_USER, key, "Fill_Gaps"), SettingsValue::String("True"));
    EXPECT_EQ(Read(HKEY_LOCAL_MACHINE, key, "Fill_Gaps"), SettingsValue::DWord(4294967295u));
    EXPECT_EQ(Read(HKEY_CURRENT_USER, key, ""), SettingsValue::String("default"));
    ASSERT_TRUE(store_.WriteValue(HKEY_CURRENT_USER, key, "Fill_Gaps", SettingsValue::DWord(1)));
    EXPECT_EQ(Read(HKEY_CURRENT_USER, key, "Fill_Gaps"), SettingsValue::DWord(1)) << "a write may change the type";
    EXPECT_EQ(store_.FileOf(HKEY_CURRENT_USER), user_file_);
    EXPECT_EQ(store_.FileOf(HKEY_CLASSES_ROOT), machine_file_);

    SettingsStore own_files(folder_ / "own-user.jsonl", folder_ / "own-machine.jsonl");
    ASSERT_TRUE(own_files.WriteValue(HKEY_CLASSES_ROOT, "x", "", SettingsValue::String("1")));
    EXPECT_TRUE(fs::exists(folder_ / "own-machine.jsonl"));
    EXPECT_FALSE(Read(HKEY_CLASSES_ROOT, "x", ""));
}

TEST_F(SettingsStoreFiles, NamesAreCaseInsensitiveAndKeepTheirFirstSpelling) {
    ASSERT_TRUE(WriteText(HKEY_CURRENT_USER, "Software\\Veltrane\\Chronova", "Fill_Gaps", "True"));
    ASSERT_TRUE(WriteText(HKEY_CURRENT_USER, "SOFTWARE\\VELTRANE\\CHRONOVA", "FILL_GAPS", "False"));
    ASSERT_TRUE(WriteText(HKEY_CURRENT_USER, "software\\veltrane\\NewKey", "Value", "x"));
    EXPECT_EQ(Read(HKEY_CURRENT_USER, "software\\VELTRANE\\chronova", "fill_gaps"), SettingsValue::String("False"));
    EXPECT_TRUE(store_.KeyExists(HKEY_CURRENT_USER, "SOFTWARE\\veltrane"));
    const std::string text = ReadContents(user_file_);
    EXPECT_EQ(text, "{\"key\":\"Software\\\\Veltrane\\\\Chronova\",\"name\":\"Fill_Gaps\",\"type\":\"REG_SZ\","
                    "\"data\":\"False\"}\n"
                    "{\"key\":\"Software\\\\Veltrane\\\\NewKey\",\"name\":\"Value\",\"type\":\"REG_SZ\","
                    "\"data\":\"x\"}\n");
}

TEST_F(SettingsStoreFiles, KeysLiveUntilDeletedAndTakeTheirTreeWithThem) {
    ASSERT_TRUE(store_.CreateKey(HKEY_CURRENT_USER, "A\\Empty"));
    EXPECT_TRUE(store_.KeyExists(HKEY_CURRENT_USER, "A"));
    EXPECT_TRUE(store_.KeyExists(HKEY_CURRENT_USER, "a\\empty"));
    ASSERT_TRUE(WriteText(HKEY_CURRENT_USER, "A\\B\\C", "v", "1"));
    ASSERT_TRUE(WriteText(HKEY_CURRENT_USER, "A\\BC", "v", "2"));

    EXPECT_TRUE(store_.DeleteValue(HKEY_CURRENT_USER, "A\\B\\C", "V"));
    EXPECT_FALSE(store_.DeleteValue(HKEY_CURRENT_USER, "A\\B\\C", "V")) << "already gone";
    EXPECT_TRUE(store_.KeyExists(HKEY_CURRENT_USER, "A\\B\\C")) << "a key outlives its last value";

    EXPECT_TRUE(store_.DeleteKey(HKEY_CURRENT_USER, "a\\b"));
    EXPECT_FALSE(store_.KeyExists(HKEY_CURRENT_USER, "A\\B\\C"));
    EXPECT_FALSE(store_.KeyExists(HKEY_CURRENT_USER, "A\\B"));
    EXPECT_EQ(Read(HKEY_CURRENT_USER, "A\\BC", "v"), SettingsValue::String("2")) << "a sibling with a longer name";
    EXPECT_FALSE(store_.DeleteKey(HKEY_CURRENT_USER, "A\\B"));

    EXPECT_TRUE(store_.DeleteKey(HKEY_CURRENT_USER, "A\\BC"));
    EXPECT_TRUE(store_.DeleteKey(HKEY_CURRENT_USER, "A\\Empty"));
    EXPECT_TRUE(store_.KeyExists(HKEY_CURRENT_USER, "A")) << "the parent outlives its last sub-key";
    EXPECT_FALSE(store_.DeleteKey(HKEY_CURRENT_USER, "")) << "the hive itself stays";
    EXPECT_EQ(ReadContents(user_file_), "{\"key\":\"A\"}\n");
}

TEST_F(SettingsStoreFiles, ClassesRootLivesInTheMachineFile) {
    ASSERT_TRUE(WriteText(HKEY_LOCAL_MACHINE, "Software\\Other", "x", "1"));
    ASSERT_TRUE(WriteText(HKEY_CLASSES_ROOT, "Chronova.TimeToolbar\\CLSID", "", "{GUID}"));
    EXPECT_EQ(Read(HKEY_LOCAL_MACHINE, "SOFTWARE\\Classes\\Chronova.TimeToolbar\\CLSID", ""),
              SettingsValue::String("{GUID}"));
    EXPECT_NE(ReadContents(machine_file_).find("\"Software\\\\Classes\\\\Chronova.TimeToolbar\\\\CLSID\""),
              std::string::npos)
        << "spelled as the existing Software key";
    EXPECT_FALSE(store_.DeleteKey(HKEY_CLASSES_ROOT, ""));
    EXPECT_TRUE(store_.DeleteKey(HKEY_CLASSES_ROOT, "Chronova.TimeToolbar"));
    EXPECT_FALSE(fs::exists(user_file_));
}

TEST_F(SettingsStoreFiles, RejectsUnusablePathsAndNames) {
    for (const auto& key : {"\\A"s, "A\\"s, "A\\\\B"s, "A\0B"s}) {
        EXPECT_FALSE(WriteText(HKEY_CURRENT_USER, key, "v", "x")) << key;
        EXPECT_FALSE(store_.CreateKey(HKEY_CURRENT_USER, key)) << key;
        EXPECT_FALSE(store_.KeyExists(HKEY_CURRENT_USER, key)) << key;
    }
    EXPECT_FALSE(WriteText(HKEY_CURRENT_USER, "A", "v\0w"s, "x"));
    EXPECT_FALSE(WriteText(static_cast<Hive>(0x80000003u), "A", "v", "x")) << "not a predefined root";
    EXPECT_FALSE(fs::exists(user_file_));
}

TEST_F(SettingsStoreFiles, DamagedFileKeepsItsGoodLinesAndABackupOfEverything) {
    fs::create_directories(user_file_.parent_path());
    const std::string good = "{\"key\":\"Software\\\\Veltrane\\\\Chronova\",\"name\":\"Loop_Animation\","
                             "\"type\":\"REG_SZ\",\"data\":\"True\"}\n";
    const std::string damaged = good + "{\"key\":\"Software\\\\Veltr\n\x01\x02 garbage\n";
    std::ofstream(user_file_, std::ios::binary) << damaged;

    ScopedDebugCapture capture;
    EXPECT_EQ(Read(HKEY_CURRENT_USER, "Software\\Veltrane\\Chronova", "Loop_Animation"), SettingsValue::String("True"));
    EXPECT_TRUE(store_.KeyExists(HKEY_CURRENT_USER, "Software\\Veltrane"));
    ASSERT_EQ(capture.Lines().size(), 1u) << "reported once, however often the file is read";
    EXPECT_NE(capture.Lines()[0].find("2 unreadable line(s)"), std::string::npos) << capture.Lines()[0];
    EXPECT_NE(capture.Lines()[0].find(user_file_.string()), std::string::npos);

    ASSERT_TRUE(WriteText(HKEY_CURRENT_USER, "Software\\Veltrane\\Chronova", "UpdateTOC", "False"));
    ASSERT_EQ(CountFiles(user_file_.parent_path(), ".damaged-"), 1u);
    ASSERT_EQ(capture.Lines().size(), 2u);
    EXPECT_NE(capture.Lines()[1].find("kept as"), std::string::npos) << capture.Lines()[1];
    const fs::path backup = capture.Lines()[1].substr(capture.Lines()[1].rfind(' ') + 1);
    EXPECT_EQ(ReadContents(backup), damaged);
    EXPECT_EQ(ReadContents(user_file_).find("garbage"), std::string::npos);
    EXPECT_EQ(Read(HKEY_CURRENT_USER, "Software\\Veltrane\\Chronova", "Loop_Animation"), SettingsValue::String("True"));

    ASSERT_TRUE(WriteText(HKEY_CURRENT_USER, "Software\\Veltrane\\Chronova", "Fill_Gaps", "True"));
    EXPECT_EQ(CountFiles(user_file_.parent_path(), ".damaged-"), 1u) << "a repaired file needs no new backup";

    // Damaged again at once: the second backup must not take the first one's name.
    std::ofstream(user_file_, std::ios::app) << "second damage\n";
    ASSERT_TRUE(WriteText(HKEY_CURRENT_USER, "Software\\Veltrane\\Chronova", "Fill_Gaps", "False"));
    EXPECT_EQ(CountFiles(user_file_.parent_path(), ".damaged-"), 2u);
    EXPECT_EQ(ReadContents(backup), damaged);
}

TEST_F(SettingsStoreFiles, FailedWritesLeaveFilesAloneAndSayWhy) {
    fs::create_directories(user_file_); // a folder where the file should be
    ScopedDebugCapture capture;
    EXPECT_FALSE(WriteText(HKEY_CURRENT_USER, "A", "v", "x"));
    EXPECT_FALSE(Read(HKEY_CURRENT_USER, "A", "v"));
    EXPECT_TRUE(fs::is_directory(user_file_));
    ASSERT_FALSE(capture.Lines().empty());
    EXPECT_NE(capture.Lines()[0].find(user_file_.string()), std::string::npos) << capture.Lines()[0];

    std::ofstream(folder_ / "plain") << "x";
    testing::ScopedEnvironment user_env("CHRONOVA_USER_SETTINGS", (folder_ / "plain" / "registry.jsonl").string());
    EXPECT_FALSE(WriteText(HKEY_CURRENT_USER, "A", "v", "x"));
    ASSERT_EQ(capture.Lines().size(), 2u);
    EXPECT_NE(capture.Lines()[1].find("plain"), std::string::npos) << capture.Lines()[1];
}

// Which user file the environment names: (CHRONOVA_USER_SETTINGS, XDG_CONFIG_HOME, HOME) -> path.
void ExpectUserFile(std::optional<std::string> own, std::optional<std::string> xdg, std::optional<std::string> home,
                    const std::string& expected) {
    testing::ScopedEnvironment a("CHRONOVA_USER_SETTINGS", own), b("XDG_CONFIG_HOME", xdg), c("HOME", home);
    EXPECT_EQ(UserSettingsPath(), fs::path(expected)) << expected;
}

TEST(SettingsStore, FindsItsFilesThroughTheEnvironment) {
    ExpectUserFile("/x/mine.jsonl", "/cfg", "/home/u", "/x/mine.jsonl");
    ExpectUserFile("", "/cfg", "/home/u", "/cfg/chronova/registry.jsonl");
    ExpectUserFile(std::nullopt, "", "/home/u", "/home/u/.config/chronova/registry.jsonl");
    ExpectUserFile(std::nullopt, "relative", "/home/u", "/home/u/.config/chronova/registry.jsonl");
    {
        testing::ScopedEnvironment machine("CHRONOVA_MACHINE_SETTINGS", std::nullopt);
        EXPECT_EQ(MachineSettingsPath(), fs::path("/etc/chronova/registry.jsonl"));
    }
    testing::ScopedEnvironment machine("CHRONOVA_MACHINE_SETTINGS", "/m.jsonl");
    EXPECT_EQ(MachineSettingsPath(), fs::path("/m.jsonl"));
}

TEST_F(SettingsStoreFiles, ApplicationSettingsLiveInTheUserFile) {
    EXPECT_EQ(GetSetting("ArcMap", "Chronova Extension", "Premiered", "False"), "False");
    SaveSetting("ArcMap", "Chronova Extension", "Premiered", "True");
    EXPECT_EQ(GetSetting("ArcMap", "chronova extension", "PREMIERED", "False"), "True");
    EXPECT_EQ(Read(HKEY_CURRENT_USER, "Software\\VB and VBA Program Settings\\ArcMap\\Chronova Extension", "Premiered"),
              SettingsValue::String("True"));

    ASSERT_TRUE(store_.WriteValue(HKEY_CURRENT_USER, "Software\\VB and VBA Program Settings\\App\\S", "n",
                                  SettingsValue::DWord(3)));
    EXPECT_EQ(GetSetting("App", "S", "n", "fallback"), "fallback") << "a number is not a setting";
    EXPECT_EQ(GetSetting("", "S", "n", "fallback"), "fallback");

    EXPECT_RAISES(SaveSetting("", "S", "K", "v"), error::kInvalidProcedureCall);
    EXPECT_RAISES(SaveSetting("A", "", "K", "v"), error::kInvalidProcedureCall);
    EXPECT_RAISES(SaveSetting("A", "S", "", "v"), error::kInvalidProcedureCall);
    std::ofstream(folder_ / "plain") << "x";
    testing::ScopedEnvironment user_env("CHRONOVA_USER_SETTINGS", (folder_ / "plain" / "registry.jsonl").string());
    EXPECT_RAISES(SaveSetting("A", "S", "K", "v"), error::kPathFileAccess);
}

// The second-process tool, found where CTest says or beside this test program's build folder.
fs::path ToolPath() {
    if (const char* folder = std::getenv("CHRONOVA_TEST_TOOLS"); folder != nullptr && *folder != '\0') {
        return fs::path(folder) / "settings_writer_tool";
    }
    return fs::read_symlink("/proc/self/exe").parent_path() / ".." / "bin" / "settings_writer_tool";
}

pid_t StartTool(const std::vector<std::string>& arguments) {
    const std::string tool = ToolPath().string();
    std::vector<char*> argv{const_cast<char*>(tool.c_str())};
    for (const auto& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    pid_t pid = -1;
    EXPECT_EQ(::posix_spawn(&pid, tool.c_str(), nullptr, nullptr, argv.data(), environ), 0) << tool;
    return pid;
}

// The tool's wait status.
int WaitFor(pid_t pid) {
    int status = -1;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return status;
}

bool ToolSucceeds(const std::vector<std::string>& arguments) {
    const int status = WaitFor(StartTool(arguments));
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST_F(SettingsStoreFiles, AnotherProcessSeesWhatThisOneWrote) {
    ASSERT_TRUE(fs::exists(ToolPath())) << ToolPath();
    ASSERT_TRUE(ToolSucceeds({"write", "user", "Software\\Veltrane\\Chronova", "Tool_", "1"}));
    EXPECT_EQ(Read(HKEY_CURRENT_USER, "Software\\Veltrane\\Chronova", "Tool_0"), SettingsValue::String("value 0"));
    ASSERT_TRUE(WriteText(HKEY_LOCAL_MACHINE, "Software\\Veltrane\\Chronova", "Mode", "1"));
    EXPECT_TRUE(ToolSucceeds({"check", "machine", "software\\veltrane\\chronova", "MODE", "1"}));
    EXPECT_FALSE(ToolSucceeds({"check", "machine", "software\\veltrane\\chronova", "MODE", "0"}));
}

TEST_F(SettingsStoreFiles, ProcessesWritingAtOnceLoseNothing) {
    constexpr int kValues = 60;
    const pid_t first = StartTool({"write", "user", "Software\\Shared", "A_", std::to_string(kValues)});
    const pid_t second = StartTool({"write", "user", "Software\\Shared", "B_", std::to_string(kValues)});
    for (int i = 0; i < kValues; ++i) {
        WriteText(HKEY_CURRENT_USER, "Software\\Shared", "C_" + std::to_string(i), "value " + std::to_string(i));
    }
    for (const pid_t pid : {first, second}) {
        const int status = WaitFor(pid);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    for (const auto* prefix : {"A_", "B_", "C_"}) {
        for (int i = 0; i < kValues; ++i) {
            EXPECT_EQ(Read(HKEY_CURRENT_USER, "Software\\Shared", prefix + std::to_string(i)),
                      SettingsValue::String("value " + std::to_string(i)));
        }
    }
}

TEST_F(SettingsStoreFiles, AWriterKilledMidWriteLeavesThePreviousFile) {
    ASSERT_TRUE(WriteText(HKEY_CURRENT_USER, "Software\\Veltrane\\Chronova", "Display_Type", "1"));
    const std::string before = ReadContents(user_file_);

    const int status =
        WaitFor(StartTool({"write", "user", "Software\\Veltrane\\Chronova", "Lost_", "1", "--kill-before-replace"}));
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
    EXPECT_EQ(ReadContents(user_file_), before);
    EXPECT_EQ(CountFiles(user_file_.parent_path(), ".tmp-"), 1u) << "the dead writer's complete temporary file";

    ASSERT_TRUE(WriteText(HKEY_CURRENT_USER, "Software\\Veltrane\\Chronova", "Fill_Gaps", "True"));
    EXPECT_EQ(Read(HKEY_CURRENT_USER, "Software\\Veltrane\\Chronova", "Display_Type"), SettingsValue::String("1"));
    EXPECT_FALSE(Read(HKEY_CURRENT_USER, "Software\\Veltrane\\Chronova", "Lost_0"));
    EXPECT_EQ(CountFiles(user_file_.parent_path(), ".tmp-"), 0u) << "the next writer clears it away";
}

} // namespace
} // namespace chronova::platform
