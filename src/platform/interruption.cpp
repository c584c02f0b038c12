#include "platform/interruption.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>

#include <unistd.h>

namespace chronova::platform {
namespace {

// Only lock-free atomics may be touched in a signal handler.
static_assert(std::atomic<int>::is_always_lock_free);

std::atomic<int> g_signal{0};
std::atomic<int> g_unfinished_files{0};

// The message, made before any signal can come: a handler may not build text.
char g_message[128] = "interrupted\n";
size_t g_message_length = std::strlen(g_message);

// Ends the process without unwinding; only async-signal-safe calls.
[[noreturn]] void EndNow(int signal) {
    [[maybe_unused]] const ssize_t ignored = ::write(STDERR_FILENO, g_message, g_message_length);
    ::_exit(128 + signal);
}

extern "C" void OnStopSignal(int signal) {
    const int saved_errno = errno;
    int none = 0;
    if (!g_signal.compare_exchange_strong(none, signal)) {
        // A second signal: the default action, delivered once this handler returns and unblocks the signal.
        std::signal(signal, SIG_DFL);
        std::raise(signal);
    } else if (g_unfinished_files.load() == 0) {
        EndNow(signal);
    }
    errno = saved_errno;
}

} // namespace

void StopCleanlyOnSignals(const char* program) {
    // A terminal's line holds a progress bar or the echoed ^C: the message starts on a line of its own.
    const char* start = ::isatty(STDERR_FILENO) != 0 ? "\n" : "";
    const size_t length = std::strlen(start) + std::strlen(program) + std::strlen(": interrupted\n");
    if (length < sizeof g_message) {
        std::strcpy(g_message, start);
        std::strcat(g_message, program);
        std::strcat(g_message, ": interrupted\n");
        g_message_length = length;
    }
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction previous {};
        if (::sigaction(signal, nullptr, &previous) != 0 || previous.sa_handler == SIG_IGN) {
            continue; // e.g. nohup, or a job a script started in the background
        }
        struct sigaction action {};
        action.sa_handler = OnStopSignal;
        sigemptyset(&action.sa_mask);
        // Reads and waits go on after the handler: the work stops at a check point, not at a failed system call.
        action.sa_flags = SA_RESTART;
        ::sigaction(signal, &action, nullptr);
    }
}

int InterruptingSignal() noexcept {
    return g_signal.load();
}

void ThrowIfInterrupted() {
    if (const int signal = g_signal.load(); signal != 0) {
        throw Interrupted(signal);
    }
}

UnfinishedFile::UnfinishedFile() noexcept {
    g_unfinished_files.fetch_add(1);
}

UnfinishedFile::~UnfinishedFile() {
    g_unfinished_files.fetch_sub(1);
}

} // namespace chronova::platform
