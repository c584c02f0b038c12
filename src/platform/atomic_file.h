#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

namespace chronova::platform {

/// Success, or why a file operation failed, naming the file and the system's reason.
struct FileResult {
    std::string error; //!< empty on success

    bool Ok() const noexcept { return error.empty(); }
};

/// Whether an atomic write may replace a file that already exists.
enum class ExistingFile {
    Replace, //!< the usual case: the new contents take the old file's place
    Keep,    //!< fail instead, e.g. for backups that must never overwrite an older backup
};

/// Writes a whole file so that readers and later runs see either the old contents or all of the new ones, even if
/// the process dies or the machine stops half-way: the data goes to a temporary file in the same folder, is flushed
/// to disk, then renamed over the target, and the folder is flushed. A symbolic link is followed, so the link stays.
/// A replaced file keeps its permissions; the folder must exist.
[[nodiscard]] FileResult WriteFileAtomically(const std::filesystem::path& path, std::string_view contents,
                                             ExistingFile existing = ExistingFile::Replace);

/// Reads a whole file. A missing file reads as empty with missing set, which callers usually treat as no data.
struct FileContents {
    std::string data;
    bool missing = false;
    std::string error; //!< empty when the file was read or is missing
};
/// Reads at most max_bytes; a larger file (or a device that never ends) is an error rather than a hang.
FileContents ReadWholeFile(const std::filesystem::path& path, size_t max_bytes = size_t{64} << 20);

/// Flushes a folder so that files created, renamed or removed in it survive a crash. Best effort: some file
/// systems refuse to flush folders, and by then the change is made, so a failure is not reported.
void FlushFolder(const std::filesystem::path& folder);

/// Removes temporary files that writers of path left behind when they died before their rename. Call it only while
/// holding the file's FileLock, so that no live writer's temporary file can be taken away.
void RemoveStaleTemporaryFiles(const std::filesystem::path& path);

/// Runs after a temporary file is complete and flushed, just before it takes the target's place. Crash tests use it
/// to stop a writer at the worst moment; an empty function (the default) does nothing.
void SetBeforeReplaceHook(std::function<void(const std::filesystem::path& temporary)> hook);

/// An exclusive advisory lock on "<file>.lock" beside a file, held while the object lives, so that writers of the
/// file in every process and thread take turns. The lock file is separate because the file itself is replaced by
/// each atomic write; it stays on disk. Readers need no lock: a rename never shows them a half-written file.
class FileLock {
public:
    /// Waits until the lock is held, or fails when the lock file cannot be created (Held() false, Error() says why).
    explicit FileLock(const std::filesystem::path& file);
    ~FileLock();
    FileLock(FileLock&& other) noexcept;
    FileLock& operator=(FileLock&& other) noexcept;
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    bool Held() const noexcept { return fd_ >= 0; }
    const std::string& Error() const noexcept { return error_; }

private:
    int fd_ = -1;
    std::string error_;
};

} // namespace chronova::platform
