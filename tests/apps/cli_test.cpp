#include "apps/chronova/cli.h"

#include <gtest/gtest.h>

#include <sstream>

namespace chronova::cli {
namespace {

struct Result {
    int status;
    std::string out;
    std::string err;
};

Result RunWith(std::vector<std::string> args) {
    std::ostringstream out, err;
    const int status = Run(args, out, err);
    return {status, out.str(), err.str()};
}

TEST(CliTest, VersionAndHelp) {
    const Result version = RunWith({"--version"});
    EXPECT_EQ(version.status, kExitSuccess);
    EXPECT_EQ(version.out.rfind("chronova ", 0), 0u);
    for (const auto& args : {std::vector<std::string>{}, {"--help"}}) {
        const Result help = RunWith(args);
        EXPECT_EQ(help.status, kExitSuccess);
        EXPECT_NE(help.out.find("Usage: chronova"), std::string::npos);
    }
}

TEST(CliTest, UnknownOptionIsAUsageError) {
    const Result result = RunWith({"--frobnicate"});
    EXPECT_EQ(result.status, kExitUsage);
    EXPECT_TRUE(result.out.empty());
    EXPECT_NE(result.err.find("--frobnicate"), std::string::npos);
}

} // namespace
} // namespace chronova::cli
