#include "host/mod_registry.h"

#include <fstream>

#include <gtest/gtest.h>

#include "platform/settings_printers.h"

#include "support/scratch_folder.h"

namespace chronova::modRegistry {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
using platform::HKEY_CLASSES_ROOT;
using platform::HKEY_CURRENT_USER;
using platform::HKEY_LOCAL_MACHINE;
using platform::SettingsValue;

constexpr std::string_view kKey = "Software\\Veltrane\\Chronova";

class ModRegistry : public ::testing::Test {
protected:
    std::optional<SettingsValue> Stored(platform::Hive hive, std::string_view key, std::string_view name) const {
        return platform::SettingsStore().ReadValue(hive, key, name);
    }

    testing::ScratchFolder folder_;
    testing::ScopedEnvironment user_env_{"CHRONOVA_USER_SETTINGS", (folder_ / "user.jsonl").string()};
    testing::ScopedEnvironment machine_env_{"CHRONOVA_MACHINE_SETTINGS", (folder_ / "machine.jsonl").string()};
};

TEST_F(ModRegistry, WrittenTextReadsBack) {
    ASSERT_TRUE(RegistryWriteString(HKEY_CURRENT_USER, kKey, "Fill_Gaps", "True"));
    EXPECT_EQ(RegistryReadString(HKEY_CURRENT_USER, kKey, "Fill_Gaps"), "True");
    EXPECT_EQ(RegistryReadString(HKEY_CURRENT_USER, "SOFTWARE\\veltrane\\CHRONOVA", "fill_gaps"), "True");
    ASSERT_TRUE(RegistryWriteString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Veltrane Software", "Mode", "1"));
    EXPECT_EQ(RegistryReadString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Veltrane Software", "Mode"), "1");
    EXPECT_EQ(RegistryReadString(HKEY_CURRENT_USER, "SOFTWARE\\Veltrane Software", "Mode"), "") << "other hive";
    ASSERT_TRUE(RegistryWriteString(HKEY_CURRENT_USER, kKey, "Empty", ""));
    EXPECT_EQ(Stored(HKEY_CURRENT_USER, kKey, "Empty"), SettingsValue::String(""));
}

TEST_F(ModRegistry, ReadsEmptyTextWhenThereIsNoTextToRead) {
    ASSERT_TRUE(platform::SettingsStore().WriteValue(HKEY_CURRENT_USER, kKey, "Display_Type", SettingsValue::DWord(1)));
    EXPECT_EQ(RegistryReadString(HKEY_CURRENT_USER, kKey, "Display_Type"), "") << "REG_DWORD";
    EXPECT_EQ(RegistryReadString(HKEY_CURRENT_USER, kKey, "Missing"), "");
    EXPECT_EQ(RegistryReadString(HKEY_CURRENT_USER, "Software\\Nowhere", "Display_Type"), "");
    EXPECT_EQ(RegistryReadString(HKEY_CURRENT_USER, "\\Software\\Veltrane\\Chronova", "Display_Type"), "");
    EXPECT_EQ(RegistryReadString(static_cast<platform::Hive>(7), kKey, "Display_Type"), "");
}

TEST_F(ModRegistry, TextEndsAtAnEmbeddedNul) {
    ASSERT_TRUE(RegistryWriteString(HKEY_CURRENT_USER, kKey, "VeltraneLink", "http://a\0tail"s));
    EXPECT_EQ(Stored(HKEY_CURRENT_USER, kKey, "VeltraneLink"), SettingsValue::String("http://a\0tail"s))
        << "every character is stored";
    EXPECT_EQ(RegistryReadString(HKEY_CURRENT_USER, kKey, "VeltraneLink"), "http://a");
    ASSERT_TRUE(RegistryWriteString(HKEY_CURRENT_USER, kKey, "Nul", "\0x"s));
    EXPECT_EQ(RegistryReadString(HKEY_CURRENT_USER, kKey, "Nul"), "");
}

TEST_F(ModRegistry, OneBackslashAtEachEndOfTheWrittenPathIsIgnored) {
    ASSERT_TRUE(RegistryWriteString(HKEY_CURRENT_USER, "\\Software\\Veltrane\\Chronova\\", "UpdateTOC", "False"));
    EXPECT_EQ(RegistryReadString(HKEY_CURRENT_USER, kKey, "UpdateTOC"), "False");
    ASSERT_TRUE(RegistryWriteString(HKEY_CURRENT_USER, "Software\\Veltrane\\Chronova\\", "Loop_Animation", "True"));
    EXPECT_EQ(RegistryReadString(HKEY_CURRENT_USER, kKey, "Loop_Animation"), "True");
    EXPECT_FALSE(RegistryWriteString(HKEY_CURRENT_USER, "\\\\Software\\Veltrane", "x", "1")) << "only one is removed";
    EXPECT_FALSE(RegistryWriteString(HKEY_CURRENT_USER, "Software\\Veltrane\\\\", "x", "1"));
}

TEST_F(ModRegistry, StarWritesTheDefaultValue) {
    ASSERT_TRUE(RegistryWriteString(HKEY_CLASSES_ROOT, "Chronova.TimeToolbar", "*", "Time Toolbar"));
    EXPECT_EQ(Stored(HKEY_CLASSES_ROOT, "Chronova.TimeToolbar", ""), SettingsValue::String("Time Toolbar"));
    EXPECT_EQ(RegistryReadString(HKEY_CLASSES_ROOT, "Chronova.TimeToolbar", ""), "Time Toolbar");
    EXPECT_FALSE(Stored(HKEY_CLASSES_ROOT, "Chronova.TimeToolbar", "*"));
}

TEST_F(ModRegistry, FailedWriteReturnsFalse) {
    std::ofstream(folder_ / "plain") << "x";
    testing::ScopedEnvironment user_env("CHRONOVA_USER_SETTINGS", (folder_ / "plain" / "user.jsonl").string());
    EXPECT_FALSE(RegistryWriteString(HKEY_CURRENT_USER, kKey, "Fill_Gaps", "True"));
    EXPECT_FALSE(RegistryWriteString(static_cast<platform::Hive>(7), kKey, "Fill_Gaps", "True"));
    EXPECT_EQ(RegistryReadString(HKEY_CURRENT_USER, kKey, "Fill_Gaps"), "");
}

} // namespace
} // namespace chronova::modRegistry
