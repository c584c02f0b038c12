#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace chronova::cli {

/// Exit statuses of the command line.
inline constexpr int kExitSuccess = 0;
inline constexpr int kExitRuntimeError = 1;
inline constexpr int kExitUsage = 2;

/// Runs the command line with its arguments (without the program name); main only forwards to it. Progress
/// bars are drawn on err only when err_is_terminal is true.
int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, bool err_is_terminal = false);

} // namespace chronova::cli
