#include "apps/chronova/export/mp4_writer.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <ctime>
#include <string_view>
#include <system_error>
#include <vector>

#include <fcntl.h>
#include <pthread.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/automation_error.h"
#include "platform/text.h"

extern char** environ;

namespace chronova::cli::exporting {

namespace {

constexpr std::string_view kProgram = "ffmpeg";
// Enough of ffmpeg's own words to say why it failed.
constexpr size_t kLongestMessage = 2000;

std::string SystemReason(int error_number) {
    return std::generic_category().message(error_number);
}

// Keeps SIGPIPE from ending the process while this thread writes to a pipe whose reader may be gone: the write
// fails with EPIPE instead, and a SIGPIPE it raised is taken back before the thread's signal mask is restored.
class PipeSignalGuard {
public:
    PipeSignalGuard() {
        sigemptyset(&pipe_);
        sigaddset(&pipe_, SIGPIPE);
        sigset_t pending;
        sigpending(&pending);
        already_pending_ = sigismember(&pending, SIGPIPE) == 1;
        pthread_sigmask(SIG_BLOCK, &pipe_, &old_);
    }
    ~PipeSignalGuard() {
        if (broke && !already_pending_) {
            const timespec no_wait{0, 0};
            while (sigtimedwait(&pipe_, nullptr, &no_wait) < 0 && errno == EINTR) {
            }
        }
        pthread_sigmask(SIG_SETMASK, &old_, nullptr);
    }
    PipeSignalGuard(const PipeSignalGuard&) = delete;
    PipeSignalGuard& operator=(const PipeSignalGuard&) = delete;

    bool broke = false;

private:
    sigset_t pipe_;
    sigset_t old_;
    bool already_pending_ = false;
};

const std::filesystem::path& Checked(const std::filesystem::path& file, int width, int height, int fps) {
    if (!FfmpegAvailable()) {
        platform::RaiseError(platform::error::kFileNotFound,
                             "Cannot write the video '" + file.string() + "': ffmpeg is not installed.");
    }
    if (width < 1 || height < 1 || fps < 1) {
        platform::RaiseError(platform::error::kInvalidProcedureCall,
                             "A video cannot be " + std::to_string(width) + " x " + std::to_string(height) +
                                 " pixels at " + std::to_string(fps) + " frames per second.");
    }
    return file;
}

} // namespace

bool FfmpegAvailable() {
    const char* path = std::getenv("PATH");
    if (path == nullptr) {
        return false;
    }
    std::string_view folders(path);
    while (true) {
        const size_t colon = folders.find(':');
        std::string_view folder = folders.substr(0, colon);
        if (folder.empty()) {
            folder = "."; // an empty PATH entry means the current folder
        }
        const std::string candidate = std::string(folder) + "/" + std::string(kProgram);
        struct stat info {};
        if (::stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) && ::access(candidate.c_str(), X_OK) == 0) {
            return true;
        }
        if (colon == std::string_view::npos) {
            return false;
        }
        folders.remove_prefix(colon + 1);
    }
}

Mp4Writer::Mp4Writer(std::filesystem::path file, int width, int height, int fps)
    : file_(std::move(file)), width_(width), height_(height), output_(Checked(file_, width, height, fps)) {
    int pipe_ends[2];
    if (::pipe2(pipe_ends, O_CLOEXEC) != 0) {
        platform::RaiseError(platform::error::kPathFileAccess,
                             "Cannot start ffmpeg for '" + file_.string() + "': " + SystemReason(errno) + ".");
    }
    input_ = pipe_ends[1];
    std::error_code no_temporary_folder;
    const std::filesystem::path temporary_folder = std::filesystem::temp_directory_path(no_temporary_folder);
    messages_ = ::open(no_temporary_folder ? "/tmp" : temporary_folder.c_str(), O_RDWR | O_TMPFILE | O_CLOEXEC, 0600);
    const int nothing = ::open("/dev/null", O_RDWR | O_CLOEXEC);

    // An absolute path with the file: protocol, so that no name is taken for an option or another protocol.
    const std::string target = "file:" + std::filesystem::absolute(output_.TemporaryPath()).string();
    const std::string size = std::to_string(width_) + "x" + std::to_string(height_);
    const std::string rate = std::to_string(fps);
    const std::vector<std::string> arguments = {
        std::string(kProgram), "-hide_banner", "-loglevel", "error", "-y",
        // Raw frames on standard input.
        "-f", "rawvideo", "-pix_fmt", "rgb24", "-video_size", size, "-framerate", rate, "-i", "pipe:0",
        // yuv420p halves the colour resolution, so its sides must be even.
        "-vf", "pad=ceil(iw/2)*2:ceil(ih/2)*2", "-pix_fmt", "yuv420p", "-an", "-f", "mp4", target};
    std::vector<char*> argv;
    argv.reserve(arguments.size() + 1);
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipe_ends[0], STDIN_FILENO);
    if (nothing >= 0) {
        posix_spawn_file_actions_adddup2(&actions, nothing, STDOUT_FILENO);
    }
    if (messages_ >= 0 || nothing >= 0) {
        posix_spawn_file_actions_adddup2(&actions, messages_ >= 0 ? messages_ : nothing, STDERR_FILENO);
    }
    // ffmpeg runs with the usual signal dispositions, whatever this process blocks or ignores, in a process group
    // of its own: a Ctrl-C at the terminal reaches this process alone, which then stops ffmpeg and removes its file,
    // instead of ffmpeg failing first and the run ending as an error.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t signals;
    sigemptyset(&signals);
    posix_spawnattr_setsigmask(&attributes, &signals);
    sigaddset(&signals, SIGPIPE);
    posix_spawnattr_setsigdefault(&attributes, &signals);
    posix_spawnattr_setpgroup(&attributes, 0);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETPGROUP);

    const int spawned = posix_spawnp(&process_, argv[0], &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    ::close(pipe_ends[0]);
    if (nothing >= 0) {
        ::close(nothing);
    }
    if (spawned != 0) {
        // The destructor does not run for a constructor that raises.
        process_ = -1;
        ::close(input_);
        if (messages_ >= 0) {
            ::close(messages_);
        }
        broken_ = true;
        output_.Discard();
        platform::RaiseError(platform::error::kPathFileAccess,
                             "Cannot start ffmpeg for '" + file_.string() + "': " + SystemReason(spawned) + ".");
    }
}

Mp4Writer::~Mp4Writer() {
    if (input_ >= 0) {
        ::close(input_);
    }
    if (process_ > 0) {
        ::kill(process_, SIGKILL);
        Wait();
    }
    if (messages_ >= 0) {
        ::close(messages_);
    }
}

void Mp4Writer::Add(const QImage& frame) {
    if (broken_) {
        platform::RaiseError(platform::error::kPathFileAccess,
                             "Cannot write '" + file_.string() + "': an earlier error stopped it.");
    }
    if (finished_) {
        platform::RaiseError(platform::error::kInvalidProcedureCall,
                             "The video '" + file_.string() + "' is finished already.");
    }
    if (frame.width() != width_ || frame.height() != height_) {
        platform::RaiseError(platform::error::kInvalidProcedureCall,
                             "A frame of " + std::to_string(frame.width()) + " x " + std::to_string(frame.height()) +
                                 " pixels cannot join the " + std::to_string(width_) + " x " + std::to_string(height_) +
                                 " video '" + file_.string() + "'.");
    }
    const QImage rgb = frame.convertToFormat(QImage::Format_RGB888);
    const size_t row_bytes = static_cast<size_t>(width_) * 3;
    if (static_cast<size_t>(rgb.bytesPerLine()) == row_bytes) {
        SendAll(reinterpret_cast<const char*>(rgb.constBits()), row_bytes * static_cast<size_t>(height_));
        return;
    }
    // Rows are padded to whole words in memory; ffmpeg wants them packed.
    row_buffer_.resize(row_bytes * static_cast<size_t>(height_));
    for (int y = 0; y < height_; ++y) {
        std::copy_n(reinterpret_cast<const char*>(rgb.constScanLine(y)), row_bytes,
                    row_buffer_.data() + row_bytes * static_cast<size_t>(y));
    }
    SendAll(row_buffer_.data(), row_buffer_.size());
}

void Mp4Writer::SendAll(const char* data, size_t length) {
    PipeSignalGuard guard;
    while (length > 0) {
        const ssize_t written = ::write(input_, data, length);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            guard.broke = errno == EPIPE;
            break;
        }
        data += written;
        length -= static_cast<size_t>(written);
    }
    if (length > 0) {
        const int error_number = errno;
        broken_ = true;
        ::close(input_);
        input_ = -1;
        Wait();
        output_.Discard();
        const std::string said = Messages();
        platform::RaiseError(platform::error::kPathFileAccess,
                             "Cannot write '" + file_.string() + "': ffmpeg stopped (" +
                                 (said.empty() ? SystemReason(error_number) : said) + ").");
    }
}

void Mp4Writer::Finish() {
    if (finished_ && !broken_) {
        return;
    }
    if (broken_) {
        platform::RaiseError(platform::error::kPathFileAccess,
                             "Cannot write '" + file_.string() + "': an earlier error stopped it.");
    }
    finished_ = true;
    ::close(input_);
    input_ = -1;
    const int status = Wait();
    if (status != 0) {
        broken_ = true;
        output_.Discard();
        const std::string said = Messages();
        platform::RaiseError(platform::error::kPathFileAccess,
                             "Cannot write '" + file_.string() + "': ffmpeg failed" +
                                 (status > 0 ? " with status " + std::to_string(status) : std::string()) +
                                 (said.empty() ? std::string(".") : " (" + said + ")."));
    }
    try {
        output_.Commit(true);
    } catch (...) {
        broken_ = true;
        throw;
    }
}

int Mp4Writer::Wait() {
    if (process_ <= 0) {
        return -1;
    }
    int status = 0;
    pid_t ended = -1;
    do {
        ended = ::waitpid(process_, &status, 0);
    } while (ended < 0 && errno == EINTR);
    process_ = -1;
    if (ended < 0) {
        return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string Mp4Writer::Messages() const {
    if (messages_ < 0) {
        return {};
    }
    std::string text;
    char chunk[4096];
    off_t offset = 0;
    for (;;) {
        const ssize_t got = ::pread(messages_, chunk, sizeof chunk, offset);
        if (got <= 0) {
            break;
        }
        text.append(chunk, static_cast<size_t>(got));
        offset += got;
    }
    // The last words say why; keep them on one line.
    if (text.size() > kLongestMessage) {
        text.erase(0, text.size() - kLongestMessage);
    }
    for (char& c : text) {
        if (c == '\n' || c == '\r') {
            c = ' ';
        }
    }
    return platform::Trim(text);
}

} // namespace chronova::cli::exporting
