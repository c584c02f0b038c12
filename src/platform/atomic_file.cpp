#include "platform/atomic_file.h"

#include <cerrno>
#include <mutex>
#include <system_error>
#include <utility>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/interruption.h"
#include "platform/temporary_files.h"

namespace fs = std::filesystem;

namespace chronova::platform {
namespace {

std::mutex g_hook_mutex;
std::function<void(const fs::path&)> g_before_replace_hook;

constexpr std::string_view kTemporaryMarker = ".tmp-";

std::string SystemReason(int error_number) {
    return std::error_code(error_number, std::generic_category()).message();
}

FileResult Failure(std::string_view what, const fs::path& path, int error_number) {
    return {std::string(what) + " " + path.string() + ": " + SystemReason(error_number)};
}

// Closes a descriptor on every path out of a function unless released.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int Get() const noexcept { return fd_; }
    int Release() noexcept { return std::exchange(fd_, -1); }

private:
    int fd_;
};

bool WriteAll(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t written = ::write(fd, data.data(), data.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        data.remove_prefix(static_cast<size_t>(written));
    }
    return true;
}

// Gives the new file the permissions (and, when run as the superuser, the owner) of the file it replaces, so that
// rewriting a shared file never makes it private or hands it to another account.
void CopyAccess(int fd, const fs::path& target) {
    struct stat info {};
    if (::stat(target.c_str(), &info) != 0) {
        return;
    }
    [[maybe_unused]] int ignored = ::fchmod(fd, info.st_mode & 07777);
    if (::geteuid() == 0) {
        ignored = ::fchown(fd, info.st_uid, info.st_gid);
    }
}

} // namespace

FileResult WriteFileAtomically(const fs::path& path, std::string_view contents, ExistingFile existing) {
    fs::path target = path;
    std::error_code ec;
    if (existing == ExistingFile::Replace && fs::is_symlink(path, ec)) {
        const fs::path resolved = fs::weakly_canonical(path, ec);
        if (!ec) {
            target = resolved;
        }
    }
    fs::path folder = target.parent_path();
    if (folder.empty()) {
        folder = ".";
    }

    TidyFolderOnce(folder);
    const UnfinishedFile unfinished; // a signal lets this write finish or remove its file before the process ends
    fs::path temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporary = folder / TemporaryPathFor(target).filename();
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) {
            break;
        }
    }
    if (fd < 0) {
        return Failure("cannot create a temporary file for", target, errno);
    }
    Descriptor file(fd);
    auto fail = [&](std::string_view what, const fs::path& subject) {
        const int error_number = errno;
        ::unlink(temporary.c_str());
        return Failure(what, subject, error_number);
    };

    if (existing == ExistingFile::Replace) {
        CopyAccess(file.Get(), target);
    }
    if (!WriteAll(file.Get(), contents)) {
        return fail("cannot write", temporary);
    }
    if (::fsync(file.Get()) != 0) {
        return fail("cannot flush", temporary);
    }
    if (::close(file.Release()) != 0) {
        return fail("cannot close", temporary);
    }

    std::function<void(const fs::path&)> hook;
    {
        std::lock_guard lock(g_hook_mutex);
        hook = g_before_replace_hook;
    }
    if (hook) {
        hook(temporary);
    }

    if (existing == ExistingFile::Replace) {
        if (::rename(temporary.c_str(), target.c_str()) != 0) {
            return fail("cannot replace", target);
        }
    } else {
        // link() fails when the target exists, which rename() would silently replace.
        if (::link(temporary.c_str(), target.c_str()) != 0) {
            return fail("cannot create", target);
        }
        ::unlink(temporary.c_str());
    }
    FlushFolder(folder);
    return {};
}

FileContents ReadWholeFile(const fs::path& path, size_t max_bytes) {
    FileContents result;
    Descriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (file.Get() < 0) {
        if (errno == ENOENT || errno == ENOTDIR) {
            result.missing = true;
        } else {
            result.error = Failure("cannot open", path, errno).error;
        }
        return result;
    }
    struct stat info {};
    if (::fstat(file.Get(), &info) == 0 && S_ISDIR(info.st_mode)) {
        result.error = Failure("cannot read", path, EISDIR).error;
        return result;
    }
    char buffer[16384];
    while (true) {
        const ssize_t got = ::read(file.Get(), buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            result.error = Failure("cannot read", path, errno).error;
            result.data.clear();
            return result;
        }
        if (got == 0) {
            return result;
        }
        if (result.data.size() + static_cast<size_t>(got) > max_bytes) {
            result.error = Failure("cannot read", path, EFBIG).error;
            result.data.clear();
            return result;
        }
        result.data.append(buffer, static_cast<size_t>(got));
    }
}

void FlushFolder(const fs::path& folder) {
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

void RemoveStaleTemporaryFiles(const fs::path& path) {
    const std::string prefix = path.filename().string() + std::string(kTemporaryMarker);
    fs::path folder = path.parent_path();
    if (folder.empty()) {
        folder = ".";
    }
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.compare(0, prefix.size(), prefix) == 0) {
            std::error_code ignored;
            fs::remove(it->path(), ignored);
        }
    }
}

void SetBeforeReplaceHook(std::function<void(const fs::path& temporary)> hook) {
    std::lock_guard lock(g_hook_mutex);
    g_before_replace_hook = std::move(hook);
}

FileLock::FileLock(const fs::path& file) {
    const fs::path lock_path = file.string() + ".lock";
    Descriptor lock_file(::open(lock_path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666));
    if (lock_file.Get() < 0) {
        error_ = Failure("cannot create the lock file", lock_path, errno).error;
        return;
    }
    while (::flock(lock_file.Get(), LOCK_EX) != 0) {
        if (errno != EINTR) {
            error_ = Failure("cannot lock", lock_path, errno).error;
            return;
        }
    }
    fd_ = lock_file.Release();
}

FileLock::~FileLock() {
    if (fd_ >= 0) {
        ::close(fd_); // closing the only descriptor of the open file releases the lock
    }
}

FileLock::FileLock(FileLock&& other) noexcept : fd_(std::exchange(other.fd_, -1)), error_(std::move(other.error_)) {}

FileLock& FileLock::operator=(FileLock&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) {
            ::close(fd_);
        }
        fd_ = std::exchange(other.fd_, -1);
        error_ = std::move(other.error_);
    }
    return *this;
}

} // namespace chronova::platform
