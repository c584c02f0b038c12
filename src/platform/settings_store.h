#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "platform/settings_file.h"

namespace chronova::platform {

/// The roots of the store, numbered like the registry's predefined handles.
enum class Hive : uint32_t {
    ClassesRoot = 0x80000000u,  //!< kept in the machine file under "SOFTWARE\Classes", as the registry does
    CurrentUser = 0x80000001u,  //!< the user file
    LocalMachine = 0x80000002u, //!< the machine file
};

// The registry's own names for the roots, so that calls read as the system's description writes them.
inline constexpr Hive HKEY_CLASSES_ROOT = Hive::ClassesRoot;
inline constexpr Hive HKEY_CURRENT_USER = Hive::CurrentUser;
inline constexpr Hive HKEY_LOCAL_MACHINE = Hive::LocalMachine;

/// The user file: $CHRONOVA_USER_SETTINGS, else $XDG_CONFIG_HOME/chronova/registry.jsonl (XDG default ~/.config);
/// empty when there is no home folder to put it in.
std::filesystem::path UserSettingsPath();

/// The machine file: $CHRONOVA_MACHINE_SETTINGS, else /etc/chronova/registry.jsonl.
std::filesystem::path MachineSettingsPath();

/// A registry kept in files, one per hive (format: settings_file.h). Key paths are backslash-separated below the
/// hive ("" is the hive itself); key paths and value names compare ASCII case-insensitively, and the spelling first
/// written is kept. A missing file is an empty hive. Every change locks the file, re-reads it so that other
/// processes' changes are kept, and replaces it atomically. Nothing throws for a bad file: readable lines are used,
/// the rest is reported once per process through DebugOutput and kept in a "<file>.damaged-<time>" backup before
/// the file is next rewritten. Failures show as false or no value; their reasons go to DebugOutput.
class SettingsStore {
public:
    /// A store over the files the environment names, looked up at each call so a changed environment takes effect.
    SettingsStore() = default;
    /// A store over the given files.
    SettingsStore(std::filesystem::path user_file, std::filesystem::path machine_file);

    /// The file that holds a hive (empty when there is none).
    std::filesystem::path FileOf(Hive hive) const;

    /// True when the key can be opened: it was created, or holds values or sub-keys.
    bool KeyExists(Hive hive, std::string_view key) const;
    /// The value's type and data, or nothing when the key or value is missing or the file cannot be read.
    std::optional<SettingsValue> ReadValue(Hive hive, std::string_view key, std::string_view name) const;

    /// Creates the key and any missing parents; true when it exists afterwards.
    bool CreateKey(Hive hive, std::string_view key);
    /// Creates the key if needed and sets the value (name "" is the key's default value).
    bool WriteValue(Hive hive, std::string_view key, std::string_view name, const SettingsValue& value);
    /// Removes one value; the key stays. False when there was no such value.
    bool DeleteValue(Hive hive, std::string_view key, std::string_view name);
    /// Removes a key with all its values and sub-keys; its parent stays. The hive itself cannot be removed.
    bool DeleteKey(Hive hive, std::string_view key);

private:
    std::optional<std::filesystem::path> user_file_;
    std::optional<std::filesystem::path> machine_file_;
};

/// The classic runtime's per-user application setting: the text stored under "Software\VB and VBA Program
/// Settings\<app>\<section>", value <key>, or default_value when there is none (or it is not text).
std::string GetSetting(std::string_view app, std::string_view section, std::string_view key,
                       std::string_view default_value = {});

/// Stores a per-user application setting as text. Raises error 5 when app, section or key is empty or unusable,
/// and error 75 when the user file cannot be written, as the classic statement raises when it cannot save.
void SaveSetting(std::string_view app, std::string_view section, std::string_view key, std::string_view value);

} // namespace chronova::platform
