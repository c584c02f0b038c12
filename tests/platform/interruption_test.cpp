#include "platform/interruption.h"

#include <csignal>
#include <functional>
#include <string>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "support/scratch_folder.h"

namespace chronova::platform {
namespace {

// Signal handlers are process-wide and a signal may end the process, so each case runs in a child process, with its
// standard error going to a file; returns the child's wait status.
int RunInChild(const std::filesystem::path& errors, const std::function<void()>& body) {
    const pid_t child = ::fork();
    if (child == 0) {
        const int fd = ::open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ::dup2(fd, STDERR_FILENO);
        body();
        ::_exit(99); // the body ends the child itself
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return status;
}

TEST(Interruption, WithNothingToCleanUpASignalEndsTheProcessAtOnce) {
    testing::ScratchFolder folder;
    const int status = RunInChild(folder / "err", [] {
        StopCleanlyOnSignals("probe");
        std::raise(SIGTERM);
        ::_exit(1);
    });
    ASSERT_TRUE(WIFEXITED(status)) << status;
    EXPECT_EQ(WEXITSTATUS(status), 143);
    EXPECT_EQ(testing::ReadContents(folder / "err"), "probe: interrupted\n");
}

TEST(Interruption, AnUnfinishedFileHoldsTheSignalUntilACheckPoint) {
    testing::ScratchFolder folder;
    const int status = RunInChild(folder / "err", [] {
        StopCleanlyOnSignals("probe");
        ThrowIfInterrupted(); // no signal yet: nothing happens
        const UnfinishedFile unfinished;
        std::raise(SIGINT);
        if (InterruptingSignal() != SIGINT) {
            ::_exit(2);
        }
        try {
            ThrowIfInterrupted();
        } catch (const Interrupted& interrupted) {
            ::_exit(interrupted.ExitStatus());
        }
        ::_exit(3);
    });
    ASSERT_TRUE(WIFEXITED(status)) << status;
    EXPECT_EQ(WEXITSTATUS(status), 130);
    EXPECT_EQ(testing::ReadContents(folder / "err"), "") << "main says it, once the files are removed";
}

TEST(Interruption, ASecondSignalDuringTheCleanUpEndsTheProcessAtOnce) {
    testing::ScratchFolder folder;
    const int status = RunInChild(folder / "err", [] {
        StopCleanlyOnSignals("probe");
        const UnfinishedFile unfinished;
        std::raise(SIGINT);
        std::raise(SIGTERM);
        ::_exit(4);
    });
    ASSERT_TRUE(WIFSIGNALED(status)) << status;
    EXPECT_EQ(WTERMSIG(status), SIGTERM);
}

TEST(Interruption, ASignalIgnoredAtTheStartStaysIgnored) {
    testing::ScratchFolder folder;
    const int status = RunInChild(folder / "err", [] {
        std::signal(SIGHUP, SIG_IGN); // as nohup starts a program
        StopCleanlyOnSignals("probe");
        std::raise(SIGHUP);
        ::_exit(InterruptingSignal() == 0 ? 5 : 6);
    });
    ASSERT_TRUE(WIFEXITED(status)) << status;
    EXPECT_EQ(WEXITSTATUS(status), 5);
}

} // namespace
} // namespace chronova::platform
