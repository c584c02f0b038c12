#include "apps/desktop/recent_files.h"

#include <algorithm>
#include <string>

#include "platform/settings_store.h"

namespace chronova::desktop {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kRecentKey = "Software\\Chronova\\Desktop\\Recent Files";

// Values "File1" (newest) to "File8".
std::string ValueName(size_t index) {
    return "File" + std::to_string(index + 1);
}

fs::path Normal(const fs::path& file) {
    return fs::absolute(file).lexically_normal();
}

} // namespace

std::vector<fs::path> RecentFiles::Load() {
    const platform::SettingsStore store;
    std::vector<fs::path> files;
    for (size_t i = 0; i < kKept; ++i) {
        const auto value = store.ReadValue(platform::HKEY_CURRENT_USER, kRecentKey, ValueName(i));
        if (value && value->type == platform::ValueType::RegSz && !value->text.empty()) {
            files.emplace_back(value->text);
        }
    }
    return files;
}

std::vector<fs::path> RecentFiles::Add(const fs::path& file) {
    std::vector<fs::path> files = Load();
    const fs::path added = Normal(file);
    std::erase(files, added);
    files.insert(files.begin(), added);
    if (files.size() > kKept) {
        files.resize(kKept);
    }
    Store(files);
    return Load();
}

std::vector<fs::path> RecentFiles::Remove(const fs::path& file) {
    std::vector<fs::path> files = Load();
    std::erase(files, Normal(file));
    Store(files);
    return Load();
}

void RecentFiles::Store(const std::vector<fs::path>& files) {
    platform::SettingsStore store;
    for (size_t i = 0; i < kKept; ++i) {
        if (i < files.size()) {
            store.WriteValue(platform::HKEY_CURRENT_USER, kRecentKey, ValueName(i),
                             platform::SettingsValue::String(files[i].string()));
        } else {
            store.DeleteValue(platform::HKEY_CURRENT_USER, kRecentKey, ValueName(i));
        }
    }
}

} // namespace chronova::desktop
