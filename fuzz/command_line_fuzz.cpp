// The command line's arguments come from anyone. Any list of them must either be read into a command with its
// options or end the run with a message and the success or usage status, never crash. Only the arguments are
// read: no command runs, nothing is opened or written. The options render and animate check before they open a
// project (the size, the times, the interval) go through those checks too. One argument per line (or between
// NUL bytes).
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "apps/chronova/cli.h"
#include "apps/chronova/commands.h"

using namespace chronova::cli;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<std::string> args(1);
    for (size_t i = 0; i < size; ++i) {
        const auto c = static_cast<char>(data[i]);
        if (c == '\n' || c == '\0') {
            args.emplace_back();
        } else {
            args.back() += c;
        }
    }
    std::ostringstream out;
    std::ostringstream err;
    const Invocation invocation = ParseArguments(args, out, err);
    if (invocation.exit_status) {
        // Help and the version end the run with success, anything else with the usage status; either says why.
        if ((*invocation.exit_status != kExitSuccess && *invocation.exit_status != kExitUsage) ||
            (out.str().empty() && err.str().empty())) {
            __builtin_trap();
        }
        return 0;
    }
    if (invocation.command == Invocation::Command::None) {
        __builtin_trap(); // a run that goes on names its command
    }
    if (invocation.command == Invocation::Command::Render || invocation.command == Invocation::Command::Animate) {
        try {
            CheckRenderOptions(invocation.render);
        } catch (const UsageError& e) {
            if (std::string(e.what()).empty()) {
                __builtin_trap(); // a refusal names what is wrong
            }
        }
    }
    return 0;
}
