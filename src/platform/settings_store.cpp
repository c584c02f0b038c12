#include "platform/settings_store.h"

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <mutex>
#include <set>
#include <system_error>
#include <vector>

#include "platform/atomic_file.h"
#include "platform/automation_error.h"
#include "platform/debug_output.h"
#include "platform/user_folders.h"

namespace fs = std::filesystem;

namespace chronova::platform {
namespace {

using Entries = std::vector<SettingsEntry>;

constexpr std::string_view kClassesKey = "SOFTWARE\\Classes";
constexpr std::string_view kAppSettingsKey = "Software\\VB and VBA Program Settings";
constexpr std::string_view kFileName = "registry.jsonl";

// Debug output is one line per call; names read from a damaged file may hold anything.
std::string OneLine(std::string text) {
    for (char& c : text) {
        if (c == '\n' || c == '\r') {
            c = ' ';
        }
    }
    return text;
}

enum class Trouble { Unreadable, Damaged };

// A damaged or unreadable file is worth one line per process, not one per read.
void ReportOnce(const fs::path& file, Trouble trouble, const std::string& message) {
    static std::mutex mutex;
    static std::set<std::pair<std::string, Trouble>> reported;
    {
        std::lock_guard lock(mutex);
        if (!reported.emplace(file.string(), trouble).second) {
            return;
        }
    }
    DebugOutput(OneLine(message));
}

std::string DescribeProblems(const fs::path& file, const std::vector<SettingsProblem>& problems) {
    constexpr size_t kShown = 3;
    constexpr size_t kReasonLength = 160;
    std::string message =
        "Settings store: " + file.string() + ": " + std::to_string(problems.size()) + " unreadable line(s) left out (";
    for (size_t i = 0; i < problems.size() && i < kShown; ++i) {
        if (i > 0) {
            message += "; ";
        }
        message += "line " + std::to_string(problems[i].line) + ": " + problems[i].reason.substr(0, kReasonLength);
    }
    if (problems.size() > kShown) {
        message += "; ...";
    }
    return message + ")";
}

struct Loaded {
    bool ok = false;
    std::string text;
    Entries entries;
    bool damaged = false;
};

Loaded Load(const fs::path& file) {
    Loaded loaded;
    if (file.empty()) {
        loaded.ok = true; // no place for the file: an empty hive
        return loaded;
    }
    auto contents = ReadWholeFile(file);
    if (!contents.error.empty()) {
        ReportOnce(file, Trouble::Unreadable, "Settings store: " + contents.error);
        return loaded;
    }
    loaded.ok = true;
    loaded.text = std::move(contents.data);
    auto parsed = ParseSettingsText(loaded.text);
    loaded.entries = std::move(parsed.entries);
    loaded.damaged = !parsed.problems.empty();
    if (loaded.damaged) {
        ReportOnce(file, Trouble::Damaged, DescribeProblems(file, parsed.problems));
    }
    return loaded;
}

// "20240131T101502Z": sorts by time and has no characters that a file name cannot hold.
std::string UtcStamp() {
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
    ::gmtime_r(&now, &parts);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%dT%H%M%SZ", &parts);
    return text;
}

// Keeps the damaged file's bytes under a new name before a rewrite leaves its unreadable lines out.
bool KeepDamagedCopy(const fs::path& file, std::string_view text) {
    const std::string base = file.string() + ".damaged-" + UtcStamp();
    std::string last_error;
    for (int attempt = 1; attempt <= 100; ++attempt) {
        const fs::path backup = attempt == 1 ? base : base + "-" + std::to_string(attempt);
        const auto result = WriteFileAtomically(backup, text, ExistingFile::Keep);
        if (result.Ok()) {
            DebugOutput("Settings store: " + file.string() + " had unreadable lines; the original is kept as " +
                        backup.string());
            return true;
        }
        last_error = result.error;
        std::error_code ec;
        if (!fs::exists(backup, ec)) {
            break; // a real failure, not a name already taken
        }
    }
    DebugOutput("Settings store: not rewriting the damaged file " + file.string() +
                " because no backup could be kept: " + last_error);
    return false;
}

std::vector<std::string_view> Segments(std::string_view key) {
    std::vector<std::string_view> segments;
    while (!key.empty()) {
        const size_t end = key.find('\\');
        segments.push_back(key.substr(0, end));
        key.remove_prefix(end == std::string_view::npos ? key.size() : end + 1);
    }
    return segments;
}

bool KeyExistsIn(const Entries& entries, std::string_view key) {
    return key.empty() ||
           std::any_of(entries.begin(), entries.end(), [&](const SettingsEntry& e) { return KeyIsWithin(e.key, key); });
}

Entries::iterator FindValue(Entries& entries, std::string_view key, std::string_view name) {
    return std::find_if(entries.begin(), entries.end(), [&](const SettingsEntry& e) {
        return e.value && SettingsNamesEqual(e.key, key) && SettingsNamesEqual(e.name, name);
    });
}

// The key spelled as the file already spells its existing parts, so that "SOFTWARE\x" written after "Software\y"
// lands under the same "Software", as in the registry where a key has one name whatever case finds it.
std::string CanonicalKey(const Entries& entries, std::string_view key) {
    const auto wanted = Segments(key);
    std::vector<std::string> spelled(wanted.begin(), wanted.end());
    std::vector<bool> settled(wanted.size(), false);
    for (const auto& entry : entries) {
        const auto existing = Segments(entry.key);
        for (size_t i = 0; i < wanted.size() && i < existing.size(); ++i) {
            if (!SettingsNamesEqual(existing[i], wanted[i])) {
                break;
            }
            if (!settled[i]) {
                spelled[i] = existing[i];
                settled[i] = true;
            }
        }
    }
    std::string out;
    for (const auto& segment : spelled) {
        if (!out.empty()) {
            out += '\\';
        }
        out += segment;
    }
    return out;
}

// Key records of the key and its parents say nothing once the key has a value or sub-key of its own.
void DropKeyRecordsAbove(Entries& entries, std::string_view key) {
    std::erase_if(entries, [&](const SettingsEntry& e) { return !e.value && KeyIsWithin(key, e.key); });
}

bool AddKey(Entries& entries, std::string_view key) {
    if (KeyExistsIn(entries, key)) {
        return true;
    }
    const std::string spelled = CanonicalKey(entries, key);
    DropKeyRecordsAbove(entries, spelled);
    entries.push_back({spelled, {}, std::nullopt});
    return true;
}

bool SetValue(Entries& entries, std::string_view key, std::string_view name, const SettingsValue& value) {
    if (auto found = FindValue(entries, key, name); found != entries.end()) {
        found->value = value;
        return true;
    }
    const std::string spelled = CanonicalKey(entries, key);
    SettingsEntry entry{spelled, std::string(name), value};
    // A record of the bare key gives way to the value; otherwise the value goes beside the key's other values.
    const auto same_key = [&](const SettingsEntry& e) { return SettingsNamesEqual(e.key, spelled); };
    if (auto record = std::find_if(entries.begin(), entries.end(),
                                   [&](const SettingsEntry& e) { return !e.value && same_key(e); });
        record != entries.end()) {
        *record = std::move(entry);
    } else if (auto last = std::find_if(entries.rbegin(), entries.rend(), same_key); last != entries.rend()) {
        entries.insert(last.base(), std::move(entry));
    } else {
        entries.push_back(std::move(entry));
    }
    DropKeyRecordsAbove(entries, spelled);
    return true;
}

bool RemoveValue(Entries& entries, std::string_view key, std::string_view name) {
    const auto found = FindValue(entries, key, name);
    if (found == entries.end()) {
        return false;
    }
    std::string spelled = found->key;
    const auto position = entries.erase(found);
    if (!KeyExistsIn(entries, spelled)) {
        entries.insert(position, {std::move(spelled), {}, std::nullopt}); // the key outlives its last value
    }
    return true;
}

bool RemoveKey(Entries& entries, std::string_view key) {
    if (key.empty() || !KeyExistsIn(entries, key)) {
        return false;
    }
    const auto first =
        std::find_if(entries.begin(), entries.end(), [&](const SettingsEntry& e) { return KeyIsWithin(e.key, key); });
    // The parent as the file spells it: the removed key's first record starts with the key itself.
    const size_t last_separator = key.rfind('\\');
    const std::string parent = first->key.substr(0, last_separator == std::string_view::npos ? 0 : last_separator);
    const auto index = static_cast<size_t>(first - entries.begin());
    std::erase_if(entries, [&](const SettingsEntry& e) { return KeyIsWithin(e.key, key); });
    if (!KeyExistsIn(entries, parent)) {
        const auto at = entries.begin() + static_cast<std::ptrdiff_t>(std::min(index, entries.size()));
        entries.insert(at, {parent, {}, std::nullopt}); // the parent outlives its last sub-key
    }
    return true;
}

// Where a key of a hive lives: its file, and its path inside that file.
struct Location {
    fs::path file;
    std::string key;
};

std::optional<Location> Locate(const SettingsStore& store, Hive hive, std::string_view key) {
    if (!IsValidKeyPath(key)) {
        return std::nullopt;
    }
    switch (hive) {
    case Hive::CurrentUser:
    case Hive::LocalMachine:
        return Location{store.FileOf(hive), std::string(key)};
    case Hive::ClassesRoot:
        return Location{store.FileOf(hive), std::string(kClassesKey) + (key.empty() ? "" : "\\") + std::string(key)};
    }
    return std::nullopt;
}

bool ValidName(std::string_view name) {
    return name.find('\0') == std::string_view::npos;
}

// One change: lock, re-read, change, and write back only when something changed.
bool Change(const fs::path& file, const std::function<bool(Entries&)>& change) {
    if (file.empty()) {
        DebugOutput("Settings store: no home folder to keep the user settings in");
        return false;
    }
    std::error_code ec;
    if (const auto folder = file.parent_path(); !folder.empty()) {
        fs::create_directories(folder, ec);
        if (ec) {
            DebugOutput("Settings store: cannot create " + folder.string() + ": " + ec.message());
            return false;
        }
    }
    FileLock lock(file);
    if (!lock.Held()) {
        DebugOutput("Settings store: " + lock.Error());
        return false;
    }
    RemoveStaleTemporaryFiles(file);
    Loaded loaded = Load(file);
    if (!loaded.ok) {
        return false; // never replace a file that could not be read
    }
    Entries entries = loaded.entries;
    if (!change(entries)) {
        return false;
    }
    if (entries == loaded.entries) {
        return true;
    }
    if (loaded.damaged && !KeepDamagedCopy(file, loaded.text)) {
        return false;
    }
    const auto written = WriteFileAtomically(file, SerializeSettings(entries));
    if (!written.Ok()) {
        DebugOutput("Settings store: " + written.error);
        return false;
    }
    return true;
}

std::optional<std::string> AppSettingsKey(std::string_view app, std::string_view section) {
    if (app.empty() || section.empty()) {
        return std::nullopt;
    }
    std::string key = std::string(kAppSettingsKey) + "\\" + std::string(app) + "\\" + std::string(section);
    if (!IsValidKeyPath(key)) {
        return std::nullopt;
    }
    return key;
}

} // namespace

fs::path UserSettingsPath() {
    return UserFile("CHRONOVA_USER_SETTINGS", "XDG_CONFIG_HOME", ".config", kFileName);
}

fs::path MachineSettingsPath() {
    if (auto file = EnvironmentText("CHRONOVA_MACHINE_SETTINGS"); !file.empty()) {
        return file;
    }
    return fs::path("/etc/chronova") / kFileName;
}

SettingsStore::SettingsStore(fs::path user_file, fs::path machine_file)
    : user_file_(std::move(user_file)), machine_file_(std::move(machine_file)) {}

fs::path SettingsStore::FileOf(Hive hive) const {
    if (hive == Hive::CurrentUser) {
        return user_file_ ? *user_file_ : UserSettingsPath();
    }
    return machine_file_ ? *machine_file_ : MachineSettingsPath();
}

bool SettingsStore::KeyExists(Hive hive, std::string_view key) const {
    const auto location = Locate(*this, hive, key);
    if (!location) {
        return false;
    }
    if (key.empty()) {
        return true; // a hive can always be opened
    }
    const Loaded loaded = Load(location->file);
    return loaded.ok && KeyExistsIn(loaded.entries, location->key);
}

std::optional<SettingsValue> SettingsStore::ReadValue(Hive hive, std::string_view key, std::string_view name) const {
    const auto location = Locate(*this, hive, key);
    if (!location || !ValidName(name)) {
        return std::nullopt;
    }
    Loaded loaded = Load(location->file);
    const auto found = FindValue(loaded.entries, location->key, name);
    if (found == loaded.entries.end()) {
        return std::nullopt;
    }
    return found->value;
}

bool SettingsStore::CreateKey(Hive hive, std::string_view key) {
    const auto location = Locate(*this, hive, key);
    return location && Change(location->file, [&](Entries& entries) { return AddKey(entries, location->key); });
}

bool SettingsStore::WriteValue(Hive hive, std::string_view key, std::string_view name, const SettingsValue& value) {
    const auto location = Locate(*this, hive, key);
    return location && ValidName(name) &&
           Change(location->file, [&](Entries& entries) { return SetValue(entries, location->key, name, value); });
}

bool SettingsStore::DeleteValue(Hive hive, std::string_view key, std::string_view name) {
    const auto location = Locate(*this, hive, key);
    return location && ValidName(name) &&
           Change(location->file, [&](Entries& entries) { return RemoveValue(entries, location->key, name); });
}

bool SettingsStore::DeleteKey(Hive hive, std::string_view key) {
    const auto location = Locate(*this, hive, key);
    return location && !key.empty() &&
           Change(location->file, [&](Entries& entries) { return RemoveKey(entries, location->key); });
}

std::string GetSetting(std::string_view app, std::string_view section, std::string_view key,
                       std::string_view default_value) {
    const auto settings_key = AppSettingsKey(app, section);
    if (!settings_key || key.empty()) {
        return std::string(default_value);
    }
    const auto value = SettingsStore().ReadValue(Hive::CurrentUser, *settings_key, key);
    if (!value || value->type != ValueType::RegSz) {
        return std::string(default_value);
    }
    return value->text.substr(0, value->text.find('\0'));
}

void SaveSetting(std::string_view app, std::string_view section, std::string_view key, std::string_view value) {
    const auto settings_key = AppSettingsKey(app, section);
    if (!settings_key || key.empty() || !ValidName(key)) {
        RaiseError(error::kInvalidProcedureCall);
    }
    if (!SettingsStore().WriteValue(Hive::CurrentUser, *settings_key, key, SettingsValue::String(value))) {
        RaiseError(error::kPathFileAccess);
    }
}

} // namespace chronova::platform
