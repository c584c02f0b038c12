#include "host/error_log.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "platform/atomic_file.h"
#include "platform/debug_output.h"
#include "platform/user_folders.h"

namespace chronova::host {
namespace {

std::unique_ptr<ErrorLog>& InstanceSlot() {
    static std::unique_ptr<ErrorLog> instance;
    return instance;
}

// "=== 2008-03-01T06:00:00.250Z ===": sorts and reads the same everywhere, whatever the user's locale.
std::string TimestampLine() {
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const auto millis = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    char text[64];
    const size_t length = std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &utc);
    char fraction[8];
    std::snprintf(fraction, sizeof fraction, ".%03d", static_cast<int>(millis));
    return "=== " + std::string(text, length) + fraction + "Z ===\n";
}

// The texts arrive with CR LF line ends; the log is a Unix text file.
std::string RecordText(std::string_view text) {
    std::string record = TimestampLine();
    record.reserve(record.size() + text.size() + 2);
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            continue;
        }
        record += text[i];
    }
    if (record.back() != '\n') {
        record += '\n';
    }
    record += '\n';
    return record;
}

// Creates the missing folders of a path, private to the user as the state folder should be.
void CreateFolders(const std::filesystem::path& folder) {
    std::filesystem::path partial;
    for (const auto& part : folder) {
        partial /= part;
        if (mkdir(partial.c_str(), 0700) != 0 && errno != EEXIST) {
            return; // the open that follows reports the reason
        }
    }
}

} // namespace

ErrorLog::ErrorLog(std::filesystem::path path) : path_(std::move(path)) {}

ErrorLog::~ErrorLog() {
    CloseFile();
}

ErrorLog& ErrorLog::Instance() {
    std::unique_ptr<ErrorLog>& instance = InstanceSlot();
    if (!instance) {
        instance = std::make_unique<ErrorLog>(DefaultErrorLogPath());
    }
    return *instance;
}

void ErrorLog::ResetInstance() {
    InstanceSlot().reset();
}

void ErrorLog::Record(std::string_view text) noexcept {
    try {
        CloseFile();
        if (path_.empty()) {
            ReportFailure("no folder for the error log (HOME is not set)", 0);
            platform::DebugOutput(text);
            return;
        }
        const std::string record = RecordText(text);
        CreateFolders(path_.parent_path());
        created_file_ = false;
        fd_ = open(path_.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
        if (fd_ < 0 && errno == ENOENT) {
            fd_ = open(path_.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
            created_file_ = fd_ >= 0;
        }
        if (fd_ < 0) {
            ReportFailure("cannot open", errno);
            platform::DebugOutput(text);
            return;
        }
        // One write keeps the record whole next to appends by other processes; a short write (disk nearly
        // full, a signal) is continued so that what does reach the file stays in order.
        size_t written = 0;
        while (written < record.size()) {
            const ssize_t count = write(fd_, record.data() + written, record.size() - written);
            if (count < 0 && errno == EINTR) {
                continue;
            }
            if (count <= 0) {
                ReportFailure("cannot write", count < 0 ? errno : ENOSPC);
                platform::DebugOutput(text);
                CloseFile();
                return;
            }
            written += static_cast<size_t>(count);
        }
    } catch (...) {
        // Out of memory while composing the record: the error report is lost, but reporting must not fail.
        CloseFile();
    }
}

void ErrorLog::Commit(bool durable) noexcept {
    if (fd_ < 0) {
        return;
    }
    if (durable) {
        if (fsync(fd_) != 0) {
            ReportFailure("cannot flush", errno);
        }
        if (created_file_) {
            try {
                platform::FlushFolder(path_.parent_path());
            } catch (...) {
                // the record itself is on disk; only its folder entry may not be
            }
        }
    }
    CloseFile();
}

void ErrorLog::CloseFile() noexcept {
    if (fd_ >= 0) {
        close(fd_);
        fd_ = -1;
    }
}

void ErrorLog::ReportFailure(std::string_view what, int error_number) noexcept {
    if (reported_failure_) {
        return;
    }
    reported_failure_ = true;
    try {
        std::string line = "Chronova error log: " + std::string(what);
        if (!path_.empty()) {
            line += " " + path_.string();
        }
        if (error_number != 0) {
            line += ": " + std::error_code(error_number, std::generic_category()).message();
        }
        platform::DebugOutput(line);
    } catch (...) {
        // nothing left to report through
    }
}

std::filesystem::path DefaultErrorLogPath() {
    return platform::UserFile("CHRONOVA_ERROR_LOG", "XDG_STATE_HOME", ".local/state", "error.log");
}

} // namespace chronova::host
