#pragma once

#include "apps/chronova/cli.h"

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "host/error_log.h"
#include "support/scratch_folder.h"

namespace chronova::cli {

/// What one run of the command line gave: its exit status and what it wrote to each stream.
struct Result {
    int status;
    std::string out;
    std::string err;
};

/// Runs the command line in this process with the arguments (without the program name). The errors it logs go
/// to a file of the test program's own, never to the user's error log.
inline Result RunWith(const std::vector<std::string>& args) {
    static const testing::ScratchFolder log_folder;
    static const bool log_redirected = [] {
        setenv("CHRONOVA_ERROR_LOG", (log_folder / "error.log").c_str(), 1);
        host::ErrorLog::ResetInstance();
        return true;
    }();
    static_cast<void>(log_redirected);
    std::ostringstream out, err;
    const int status = Run(args, out, err);
    return {status, out.str(), err.str()};
}

} // namespace chronova::cli
