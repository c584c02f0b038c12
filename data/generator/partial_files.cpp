#include "generator/partial_files.h"

#include <atomic>
#include <charconv>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

#include "platform/atomic_file.h"
#include "platform/automation_error.h"
#include "platform/temporary_files.h"

namespace fs = std::filesystem;

namespace chronova::sample_data {

namespace {

constexpr std::string_view kMarker = ".partial-";

// Best effort: a file that cannot be flushed has still been written, and the rename makes it visible either way.
void SyncFile(const fs::path& file) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

void SyncTree(const fs::path& path) {
    std::error_code ignored;
    if (fs::is_directory(path, ignored)) {
        for (const fs::directory_entry& entry : fs::directory_iterator(path, ignored)) {
            SyncFile(entry.path());
        }
        platform::FlushFolder(path);
    } else {
        SyncFile(path);
    }
}

// The process that wrote a partial output, from its name; 0 when the name is not one of ours.
pid_t WriterOf(const std::string& name) {
    const size_t at = name.find(kMarker);
    if (at == std::string::npos) {
        return 0;
    }
    const char* begin = name.data() + at + kMarker.size();
    pid_t pid = 0;
    const auto [end, error] = std::from_chars(begin, name.data() + name.size(), pid);
    return error == std::errc() && end != begin && *end == '-' ? pid : 0;
}

} // namespace

PartialOutput::PartialOutput(fs::path target) : target_(std::move(target)) {
    static std::atomic<unsigned> counter{0};
    const std::string tag = std::string(kMarker) + std::to_string(::getpid()) + "-" + std::to_string(counter++);
    path_ = target_.parent_path() / (target_.stem().string() + tag + target_.extension().string());
}

PartialOutput::~PartialOutput() {
    if (!published_) {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
}

void PartialOutput::Publish() {
    SyncTree(path_);
    std::error_code error;
    const bool folder = fs::is_directory(path_, error);
    if (folder && fs::exists(target_, error)) {
        return; // the other run's folder is as good as ours, which the destructor removes
    }
    fs::rename(path_, target_, error);
    if (error && !(folder && fs::exists(target_))) {
        platform::RaiseError(platform::error::kPathFileAccess,
                             "Cannot write " + target_.string() + ": " + error.message() + ".");
    }
    published_ = !error;
    platform::FlushFolder(target_.parent_path());
}

void RemoveAbandonedPartials(const fs::path& folder) {
    std::vector<fs::path> abandoned;
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, error)) {
        const pid_t writer = WriterOf(entry.path().filename().string());
        if (writer > 0 && platform::WriterHasEnded(writer, entry.path())) {
            abandoned.push_back(entry.path());
        }
    }
    for (const fs::path& path : abandoned) {
        fs::remove_all(path, error);
    }
}

} // namespace chronova::sample_data
