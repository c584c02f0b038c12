#pragma once

// The built chronova program run as a process of its own, for what only a real process shows: its exit status,
// how it answers signals, what it leaves on disk when it is stopped or killed.

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "support/scratch_folder.h"

extern char** environ;

namespace chronova::cli {

/// The program: in the folder CTest names in CHRONOVA_TEST_TOOLS, else in this build's bin folder.
inline std::filesystem::path ChronovaProgram() {
    const char* tools = std::getenv("CHRONOVA_TEST_TOOLS");
    return std::filesystem::path(tools != nullptr && *tools != '\0' ? tools : CHRONOVA_TOOLS_DIR) / "chronova";
}

/// One run of the program with the arguments, its standard output and error going to the files "out" and "err"
/// in logs, and the environment of the test with the "NAME=value" settings added or replaced. Its error log is
/// the file "error.log" in logs unless a setting names another, and the debug output stays off, so a run never
/// writes the user's own log and its stderr holds only what a user would see. A run the test leaves going is
/// killed.
class ProgramRun {
public:
    ProgramRun(const std::vector<std::string>& arguments, const std::filesystem::path& logs,
               std::vector<std::string> settings = {})
        : err_(logs / "err") {
        std::vector<std::string> words{ChronovaProgram().string()};
        words.insert(words.end(), arguments.begin(), arguments.end());
        const auto set = [&](std::string_view name) {
            return std::any_of(settings.begin(), settings.end(), [&](const std::string& setting) {
                return std::string_view(setting).substr(0, setting.find('=') + 1) == name;
            });
        };
        if (!set("CHRONOVA_ERROR_LOG=")) {
            settings.push_back("CHRONOVA_ERROR_LOG=" + (logs / "error.log").string());
        }
        std::vector<std::string> variables = settings;
        for (char** variable = environ; *variable != nullptr; ++variable) {
            const std::string_view text(*variable);
            const std::string_view name = text.substr(0, text.find('=') + 1);
            if (!set(name) && name != "CHRONOVA_DEBUG=") {
                variables.emplace_back(text);
            }
        }
        std::vector<char*> argv = Pointers(words);
        std::vector<char*> envp = Pointers(variables);

        const std::filesystem::path out = logs / "out";
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, err_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        // The signals' usual actions and none blocked, as for a command typed at a terminal, even when the tests
        // run in the background of a script, which starts them with SIGINT ignored.
        posix_spawnattr_t attributes;
        posix_spawnattr_init(&attributes);
        sigset_t signals;
        sigemptyset(&signals);
        posix_spawnattr_setsigmask(&attributes, &signals);
        for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
            sigaddset(&signals, signal);
        }
        posix_spawnattr_setsigdefault(&attributes, &signals);
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
        if (::posix_spawn(&pid_, argv[0], &actions, &attributes, argv.data(), envp.data()) != 0) {
            pid_ = -1;
        }
        posix_spawnattr_destroy(&attributes);
        posix_spawn_file_actions_destroy(&actions);
    }
    ~ProgramRun() {
        if (!Ended()) {
            ::kill(pid_, SIGKILL);
            Wait();
        }
    }
    ProgramRun(const ProgramRun&) = delete;
    ProgramRun& operator=(const ProgramRun&) = delete;

    bool Started() const { return pid_ > 0; }
    pid_t Pid() const { return pid_; }

    /// Whether the process has ended (or never started); collects its status when it has.
    bool Ended() {
        int status = 0;
        if (!status_ && pid_ > 0 && ::waitpid(pid_, &status, WNOHANG) == pid_) {
            status_ = status;
        }
        return status_.has_value() || pid_ <= 0;
    }
    /// Waits for the process to end; its wait status (-1 when it never started).
    int Wait() {
        while (!status_ && pid_ > 0) {
            int status = 0;
            if (::waitpid(pid_, &status, 0) == pid_) {
                status_ = status;
            } else if (errno != EINTR) {
                break;
            }
        }
        return status_.value_or(-1);
    }
    /// What the program wrote to its standard error so far.
    std::string Err() const { return testing::ReadContents(err_); }

private:
    static std::vector<char*> Pointers(std::vector<std::string>& texts) {
        std::vector<char*> pointers;
        pointers.reserve(texts.size() + 1);
        for (std::string& text : texts) {
            pointers.push_back(text.data());
        }
        pointers.push_back(nullptr);
        return pointers;
    }

    std::filesystem::path err_;
    pid_t pid_ = -1;
    std::optional<int> status_;
};

} // namespace chronova::cli
