#include "platform/temporary_files.h"

#include <atomic>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <set>
#include <string>
#include <system_error>

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/atomic_file.h"

namespace fs = std::filesystem;

namespace chronova::platform {
namespace {

constexpr std::string_view kMarker = ".tmp-";

// The boot time in /proc/stat has whole seconds only, and the clock may be set a little between a file's last change
// and now; a process counts as younger than a file only by more than this.
constexpr std::chrono::seconds kClockSlack{2};

// Reads a run of digits at the front of text into value; the rest of text is left in text.
bool TakeNumber(std::string_view& text, unsigned long long& value) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end == text.data()) {
        return false;
    }
    text.remove_prefix(static_cast<size_t>(end - text.data()));
    return true;
}

// When the machine started, from the "btime" line of /proc/stat.
std::optional<std::chrono::system_clock::time_point> BootTime() {
    const FileContents stat = ReadWholeFile("/proc/stat", size_t{1} << 20);
    const size_t at = stat.data.find("\nbtime ");
    if (at == std::string::npos) {
        return std::nullopt;
    }
    std::string_view text = std::string_view(stat.data).substr(at + 7);
    unsigned long long seconds = 0;
    if (!TakeNumber(text, seconds)) {
        return std::nullopt;
    }
    return std::chrono::system_clock::time_point(std::chrono::seconds(seconds));
}

// When a running process started: field 22 of /proc/<pid>/stat counts clock ticks from boot. The second field,
// the program's name in parentheses, may hold blanks and parentheses itself, so the fields are counted from the
// last ')'.
std::optional<std::chrono::system_clock::time_point> ProcessStart(pid_t pid) {
    static const std::optional<std::chrono::system_clock::time_point> boot = BootTime();
    const long ticks_per_second = ::sysconf(_SC_CLK_TCK);
    if (!boot || ticks_per_second <= 0) {
        return std::nullopt;
    }
    const FileContents stat = ReadWholeFile("/proc/" + std::to_string(pid) + "/stat", 4096);
    const size_t name_end = stat.data.rfind(')');
    if (name_end == std::string::npos) {
        return std::nullopt;
    }
    std::string_view fields = std::string_view(stat.data).substr(name_end + 1);
    for (int field = 3; field < 22; ++field) {
        const size_t blank = fields.find(' ', 1);
        if (blank == std::string_view::npos) {
            return std::nullopt;
        }
        fields.remove_prefix(blank);
    }
    fields.remove_prefix(1);
    unsigned long long ticks = 0;
    if (!TakeNumber(fields, ticks)) {
        return std::nullopt;
    }
    const auto since_boot = std::chrono::milliseconds(ticks * 1000 / static_cast<unsigned long long>(ticks_per_second));
    return *boot + std::chrono::duration_cast<std::chrono::system_clock::duration>(since_boot);
}

} // namespace

fs::path TemporaryPathFor(const fs::path& target) {
    static std::atomic<unsigned> counter{0};
    return target.parent_path() / (target.filename().string() + std::string(kMarker) + std::to_string(::getpid()) +
                                   "-" + std::to_string(counter.fetch_add(1)));
}

std::optional<pid_t> WriterOfTemporaryFile(std::string_view file_name) {
    const size_t at = file_name.rfind(kMarker);
    if (at == std::string_view::npos || at == 0) {
        return std::nullopt;
    }
    std::string_view rest = file_name.substr(at + kMarker.size());
    unsigned long long pid = 0;
    if (rest.empty() || rest.front() == '0' || !TakeNumber(rest, pid) || pid > INT32_MAX) {
        return std::nullopt;
    }
    // "-<count>", and in the names of earlier versions "-<random number>" after it.
    int numbers = 0;
    for (unsigned long long number = 0; !rest.empty() && numbers < 2; ++numbers) {
        if (rest.front() != '-') {
            return std::nullopt;
        }
        rest.remove_prefix(1);
        if (!TakeNumber(rest, number)) {
            return std::nullopt;
        }
    }
    if (numbers == 0 || !rest.empty()) {
        return std::nullopt;
    }
    return static_cast<pid_t>(pid);
}

bool WriterHasEnded(pid_t writer, const fs::path& file) {
    struct stat info {};
    if (writer <= 0 || ::lstat(file.c_str(), &info) != 0) {
        return false;
    }
    if (::kill(writer, 0) != 0) {
        return errno == ESRCH; // EPERM: the id belongs to a running process of another user
    }
    const auto changed =
        std::chrono::system_clock::time_point(std::chrono::duration_cast<std::chrono::system_clock::duration>(
            std::chrono::seconds(info.st_mtim.tv_sec) + std::chrono::nanoseconds(info.st_mtim.tv_nsec)));
    const std::optional<std::chrono::system_clock::time_point> started = ProcessStart(writer);
    return started && *started > changed + kClockSlack;
}

int RemoveAbandonedTemporaryFiles(const fs::path& folder) {
    const fs::path where = folder.empty() ? fs::path(".") : folder;
    int removed = 0;
    std::error_code error;
    for (fs::directory_iterator it(where, error), end; !error && it != end; it.increment(error)) {
        const fs::path& path = it->path();
        const std::optional<pid_t> writer = WriterOfTemporaryFile(path.filename().native());
        std::error_code kind_error;
        if (writer && it->is_regular_file(kind_error) && !it->is_symlink(kind_error) && WriterHasEnded(*writer, path) &&
            ::unlink(path.c_str()) == 0) {
            ++removed;
        }
    }
    return removed;
}

void TidyFolderOnce(const fs::path& folder) {
    static std::mutex mutex;
    static std::set<std::string> tidied;
    std::error_code error;
    const fs::path absolute = fs::absolute(folder.empty() ? fs::path(".") : folder, error).lexically_normal();
    {
        std::lock_guard lock(mutex);
        if (!tidied.insert(absolute.string()).second) {
            return;
        }
    }
    RemoveAbandonedTemporaryFiles(absolute);
}

} // namespace chronova::platform
