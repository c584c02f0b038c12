#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace chronova::platform {

// The text format of a settings file: JSON Lines, one record per line, so that a damaged line costs only itself.
//   {"key":"Software\\Veltrane\\Chronova","name":"Fill_Gaps","type":"REG_SZ","data":"True"}
//   {"key":"Software\\Veltrane\\Chronova","name":"Count","type":"REG_DWORD","data":42}
//   {"key":"Software\\Empty"}                       a key that exists without values
// A field whose bytes are not valid UTF-8 is written as "<field>_hex" with the bytes in hexadecimal.
// These functions do no I/O, so that the parser can be fuzzed on its own.

/// Value types, numbered as the registry numbers them so callers can compare with the classic constants.
enum class ValueType : uint32_t {
    RegSz = 1,    //!< text (any bytes, NUL included)
    RegDword = 4, //!< unsigned 32-bit number
};

/// The registry's name of a value type ("REG_SZ"), as the file spells it.
std::string_view ValueTypeName(ValueType type) noexcept;

/// One typed value; only the member that belongs to the type is meaningful.
struct SettingsValue {
    ValueType type = ValueType::RegSz;
    std::string text;    //!< REG_SZ data
    uint32_t number = 0; //!< REG_DWORD data

    static SettingsValue String(std::string_view text) { return {ValueType::RegSz, std::string(text), 0}; }
    static SettingsValue DWord(uint32_t number) { return {ValueType::RegDword, {}, number}; }
    bool operator==(const SettingsValue&) const = default;
};

/// One record of a settings file: a value of a key, or (without a value) a key that exists with no values.
struct SettingsEntry {
    std::string key;                    //!< backslash-separated path below the hive; "" is the hive itself
    std::string name;                   //!< value name, "" for the key's default value; empty for a key record
    std::optional<SettingsValue> value; //!< empty for a key record

    bool operator==(const SettingsEntry&) const = default;
};

/// A part of a settings file that could not be used, and why.
struct SettingsProblem {
    size_t line = 0; //!< 1-based line number
    std::string reason;

    bool operator==(const SettingsProblem&) const = default;
};

/// What a settings file holds: its usable records in file order, and the lines that had to be left out.
struct ParsedSettings {
    std::vector<SettingsEntry> entries;
    std::vector<SettingsProblem> problems;
};

/// ASCII case-insensitive equality, the rule for key paths and value names.
bool SettingsNamesEqual(std::string_view a, std::string_view b) noexcept;

/// True when key is below ancestor (or is ancestor itself), compared case-insensitively; every key is below "".
bool KeyIsWithin(std::string_view key, std::string_view ancestor) noexcept;

/// True for a usable key path: "" or non-empty segments separated by single backslashes, with no NUL.
bool IsValidKeyPath(std::string_view key) noexcept;

/// Reads settings text. Never throws on bad input: unusable lines become problems and the others are kept. When a
/// value appears twice the later line wins (the earlier one is a problem); redundant key records are dropped.
ParsedSettings ParseSettingsText(std::string_view text);

/// Writes records as settings text that ParseSettingsText reads back to the same records.
std::string SerializeSettings(const std::vector<SettingsEntry>& entries);

} // namespace chronova::platform
