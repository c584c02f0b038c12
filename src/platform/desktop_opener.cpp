#include "platform/desktop_opener.h"

#include <spawn.h>
#include <sys/wait.h>

#include <string>
#include <thread>

extern char** environ; // NOLINT(readability-redundant-declaration): POSIX declares it nowhere in a header

namespace chronova::platform {
namespace {

DesktopOpener* g_installed = nullptr;

// The caller does not wait for the desktop, but the finished opener must not stay behind as a zombie: a detached
// thread waits for it (xdg-open hands the target on and exits).
void ReapWhenDone(pid_t child) {
    std::thread([child] {
        int status = 0;
        waitpid(child, &status, 0);
    }).detach();
}

} // namespace

bool XdgDesktopOpener::Open(std::string_view target) {
    if (target.empty()) {
        return false;
    }
    const std::string program = "xdg-open";
    std::string argument(target);
    // A target that starts with '-' would read as an option of xdg-open.
    if (argument.front() == '-') {
        argument = "./" + argument;
    }
    char* argv[] = {const_cast<char*>(program.c_str()), argument.data(), nullptr};
    pid_t child = 0;
    if (posix_spawnp(&child, program.c_str(), nullptr, nullptr, argv, environ) != 0) {
        return false;
    }
    ReapWhenDone(child);
    return true;
}

DesktopOpener& CurrentDesktopOpener() {
    static XdgDesktopOpener desktop;
    return g_installed != nullptr ? *g_installed : desktop;
}

DesktopOpener* SetDesktopOpener(DesktopOpener* opener) {
    DesktopOpener* previous = g_installed;
    g_installed = opener;
    return previous;
}

} // namespace chronova::platform
