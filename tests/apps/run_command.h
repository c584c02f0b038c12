#pragma once

#include "apps/chronova/cli.h"

#include <sstream>
#include <string>
#include <vector>

namespace chronova::cli {

/// What one run of the command line gave: its exit status and what it wrote to each stream.
struct Result {
    int status;
    std::string out;
    std::string err;
};

/// Runs the command line in this process with the arguments (without the program name).
inline Result RunWith(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    const int status = Run(args, out, err);
    return {status, out.str(), err.str()};
}

} // namespace chronova::cli
