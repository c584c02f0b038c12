#include "platform/user_folders.h"

#include <cstdlib>
#include <vector>

#include <pwd.h>
#include <unistd.h>

namespace chronova::platform {
namespace {

std::string HomeFolder() {
    if (auto home = EnvironmentText("HOME"); !home.empty()) {
        return home;
    }
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr &&
        found->pw_dir != nullptr) {
        return found->pw_dir;
    }
    return {};
}

} // namespace

std::string EnvironmentText(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::string(value) : std::string();
}

std::filesystem::path UserFile(const char* override_variable, const char* xdg_variable, std::string_view home_fallback,
                               std::string_view file_name) {
    if (auto file = EnvironmentText(override_variable); !file.empty()) {
        return file;
    }
    std::filesystem::path base = EnvironmentText(xdg_variable);
    if (!base.is_absolute()) { // unset, empty or relative: the XDG default below the home folder
        const std::string home = HomeFolder();
        if (home.empty()) {
            return {};
        }
        base = std::filesystem::path(home) / home_fallback;
    }
    return base / "chronova" / file_name;
}

} // namespace chronova::platform
