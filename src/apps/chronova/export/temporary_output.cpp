#include "apps/chronova/export/temporary_output.h"

#include <cerrno>
#include <string>
#include <system_error>

#include <fcntl.h>
#include <unistd.h>

#include "platform/atomic_file.h"
#include "platform/automation_error.h"
#include "platform/temporary_files.h"

namespace chronova::cli::exporting {

TemporaryOutput::TemporaryOutput(std::filesystem::path target) : target_(std::move(target)) {
    platform::TidyFolderOnce(target_.parent_path());
    for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
        temporary_ = platform::TemporaryPathFor(target_);
        fd_ = ::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ < 0 && errno != EEXIST) {
            break;
        }
    }
    if (fd_ < 0) {
        platform::RaiseError(platform::error::kPathFileAccess, "Cannot create '" + target_.string() + "': " +
                                                                   std::generic_category().message(errno) + ".");
    }
    open_ = true;
}

TemporaryOutput::~TemporaryOutput() {
    Discard();
}

void TemporaryOutput::Write(std::string_view data) {
    while (!data.empty()) {
        const ssize_t written = ::write(fd_, data.data(), data.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            Fail("Cannot write", errno);
        }
        data.remove_prefix(static_cast<size_t>(written));
    }
}

void TemporaryOutput::Commit(bool durable) {
    if (durable && ::fsync(fd_) != 0) {
        Fail("Cannot write", errno);
    }
    const int fd = fd_;
    fd_ = -1;
    // A delayed write error (a full disk on a network file system) shows at close.
    if (::close(fd) != 0 && errno != EINTR) {
        Fail("Cannot write", errno);
    }
    if (::rename(temporary_.c_str(), target_.c_str()) != 0) {
        Fail("Cannot replace", errno);
    }
    open_ = false;
    if (durable) {
        platform::FlushFolder(target_.parent_path().empty() ? std::filesystem::path(".") : target_.parent_path());
    }
}

void TemporaryOutput::Discard() noexcept {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (open_) {
        ::unlink(temporary_.c_str());
        open_ = false;
    }
}

void TemporaryOutput::Fail(std::string_view what, int error_number) {
    Discard();
    platform::RaiseError(platform::error::kPathFileAccess, std::string(what) + " '" + target_.string() + "': " +
                                                               std::generic_category().message(error_number) + ".");
}

} // namespace chronova::cli::exporting
