// The desktop opener hands a link to xdg-open as one argument: nothing in it reaches a shell.
#include "platform/desktop_opener.h"

#include "support/scratch_folder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <thread>

namespace chronova::platform {
namespace {

// Waits until the fake opener wrote its file (it runs in a process of its own).
std::string WaitForText(const std::filesystem::path& file) {
    for (int attempt = 0; attempt < 500; ++attempt) {
        std::ifstream in(file);
        std::stringstream text;
        text << in.rdbuf();
        if (text.str().find('\n') != std::string::npos) {
            return text.str();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return {};
}

TEST(DesktopOpenerTest, TheTargetReachesTheOpenerAsOneArgumentWithoutAShell) {
    testing::ScratchFolder folder;
    const auto received = folder / "received.txt";
    const auto script = folder / "xdg-open";
    std::ofstream(script) << "#!/bin/sh\nprintf '%s|%s\\n' \"$#\" \"$1\" > '" << received.string() << "'\n";
    ::chmod(script.c_str(), 0755);
    testing::ScopedEnvironment path("PATH", folder.Path().string());

    XdgDesktopOpener opener;
    const std::string link = "https://example.org/a?b=1&c=$(touch pwned);d";
    ASSERT_TRUE(opener.Open(link));
    EXPECT_EQ(WaitForText(received), "1|" + link + "\n");
    EXPECT_FALSE(std::filesystem::exists(folder / "pwned"));
    EXPECT_FALSE(std::filesystem::exists("pwned"));

    // A target that looks like an option stays a target.
    std::filesystem::remove(received);
    ASSERT_TRUE(opener.Open("--help"));
    EXPECT_EQ(WaitForText(received), "1|./--help\n");
    EXPECT_FALSE(opener.Open(""));
}

TEST(DesktopOpenerTest, AMissingOpenerFailsAndTheInstalledOneIsUsedUntilItsScopeEnds) {
    testing::ScratchFolder folder;
    testing::ScopedEnvironment path("PATH", folder.Path().string());
    EXPECT_FALSE(XdgDesktopOpener().Open("https://example.org"));

    RecordingDesktopOpener recording;
    {
        ScopedDesktopOpener scope(recording);
        EXPECT_TRUE(CurrentDesktopOpener().Open("file:///tmp/x"));
    }
    EXPECT_EQ(recording.Opened(), (std::vector<std::string>{"file:///tmp/x"}));
    EXPECT_NE(&CurrentDesktopOpener(), &recording);
}

} // namespace
} // namespace chronova::platform
