#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace chronova::platform {

/// The value of an environment variable, "" when it is unset.
std::string EnvironmentText(const char* name);

/// The file where a user file of Chronova lives: the path in override_variable when that is set, else
/// <XDG base folder>/chronova/<file_name>. The base folder follows the XDG rules: xdg_variable when it holds an
/// absolute path, else $HOME (or the account's home) joined with home_fallback (".config", ".local/state").
/// Empty when there is no home folder at all.
std::filesystem::path UserFile(const char* override_variable, const char* xdg_variable, std::string_view home_fallback,
                               std::string_view file_name);

} // namespace chronova::platform
