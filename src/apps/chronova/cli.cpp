#include "apps/chronova/cli.h"

#include <ostream>

namespace chronova::cli {
namespace {

constexpr const char* kUsage = R"(Usage: chronova [--version] [--help]

Chronova steps and animates maps through time.

Options:
  --version   print the version and exit
  --help      print this help and exit
)";

} // namespace

int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.empty() || args[0] == "--help" || args[0] == "-h") {
        out << kUsage;
        return kExitSuccess;
    }
    if (args[0] == "--version") {
        out << "chronova " << CHRONOVA_VERSION << '\n';
        return kExitSuccess;
    }
    err << "chronova: unknown option or command '" << args[0] << "'\n" << kUsage;
    return kExitUsage;
}

} // namespace chronova::cli
