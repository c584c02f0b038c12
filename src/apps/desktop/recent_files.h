#pragma once

#include <cstddef>
#include <filesystem>
#include <vector>

namespace chronova::desktop {

/// The project files the user opened or saved last, newest first, kept in the user's settings store
/// (HKEY_CURRENT_USER "Software\Chronova\Desktop\Recent Files") so that they outlast the session.
class RecentFiles {
public:
    static constexpr size_t kKept = 8;

    /// The list as stored; files that no longer exist are kept (the menu says so when one is picked).
    static std::vector<std::filesystem::path> Load();
    /// Puts a file at the top of the list (moving it there when listed already) and stores the list; returns it.
    /// A store that cannot be written keeps the old list.
    static std::vector<std::filesystem::path> Add(const std::filesystem::path& file);
    /// Takes a file off the list and stores it; returns it.
    static std::vector<std::filesystem::path> Remove(const std::filesystem::path& file);

private:
    static void Store(const std::vector<std::filesystem::path>& files);
};

} // namespace chronova::desktop
