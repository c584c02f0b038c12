#pragma once

#include <filesystem>
#include <string_view>

namespace chronova::host {

/// The error log of the error reporting: errors of handlers that must not interrupt the user with a message
/// box are appended here. One record per error, each headed by its UTC time, in a file that only ever grows.
class ErrorLog {
public:
    /// Appends to the given file; folders on its path are created when the first record is written.
    explicit ErrorLog(std::filesystem::path path);
    ~ErrorLog();
    ErrorLog(const ErrorLog&) = delete;
    ErrorLog& operator=(const ErrorLog&) = delete;

    /// The process-wide log, created on first use at DefaultErrorLogPath() and kept for the life of the process.
    static ErrorLog& Instance();
    /// Drops the process-wide log so the next Instance() starts afresh (tests point it at their own file).
    static void ResetInstance();

    /// Appends one record (time line, text, blank line) with a single append; never throws. A log that cannot
    /// be written is reported once through the debug output, and the text goes there instead.
    void Record(std::string_view text) noexcept;
    /// Ends the records written since the last commit; with durable set, waits until they are on disk.
    void Commit(bool durable) noexcept;

    const std::filesystem::path& Path() const noexcept { return path_; }

private:
    void ReportFailure(std::string_view what, int error_number) noexcept;
    void CloseFile() noexcept;

    std::filesystem::path path_;
    int fd_ = -1;               ///< open between a record and its commit
    bool created_file_ = false; ///< the last record created the file, so its folder entry must reach disk too
    bool reported_failure_ = false;
};

/// $CHRONOVA_ERROR_LOG when set; else chronova/error.log under $XDG_STATE_HOME, or under ~/.local/state when
/// that is unset or not absolute. Empty when no home folder can be found.
std::filesystem::path DefaultErrorLogPath();

} // namespace chronova::host
