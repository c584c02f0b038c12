#pragma once

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace chronova::cli {

/// Bad input given on the command line; the command ends with the usage exit status.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// What every command that opens a project shares.
struct ProjectOptions {
    std::string project;
    bool json = false;
};

/// The most frames render and animate write unless told otherwise: a mistyped interval or range can otherwise
/// fill a disk.
constexpr int32_t kDefaultMaxFrames = 10000;

/// The time axis and frame options of render and animate; unset values come from the project.
struct RenderOptions {
    std::string project;
    /// The frames' folder (render) or the animation file (animate); empty takes the project's export settings.
    std::string out;
    std::optional<std::string> from;
    std::optional<std::string> to;
    /// render only: the one time to draw, instead of a range.
    std::optional<std::string> at;
    /// "15min", "2h", "1d", "1mon", "1y" or a bare number of minutes.
    std::optional<std::string> interval;
    bool unique = false;
    std::optional<std::string> size; ///< "WxH"
    std::optional<int32_t> fps;
    bool quiet = false;
    /// A strip under each map with the slider: its start and finish, the position, the day/night band, the span.
    bool timeline = false;
    /// A run of more frames is refused before anything is written.
    int32_t max_frames = kDefaultMaxFrames;
};

/// chronova init: the data to look at and the project file to write.
struct InitOptions {
    std::vector<std::string> data;
    std::string out = "project.chronova.json";
    bool force = false;
};

struct DemoOptions {
    std::string out = "chronova-demo";
    bool quiet = false;
};

/// The command the arguments name, with its options, read without running anything.
struct Invocation {
    enum class Command { None, Info, Steps, Render, Animate, Demo, Init, Register, Unregister };
    Command command = Command::None;
    ProjectOptions project; ///< info and steps
    std::string layer;      ///< steps
    RenderOptions render;   ///< render and animate
    DemoOptions demo;
    InitOptions init;
    /// Set when reading the arguments ended the run (help, the version, a usage error): the exit status.
    std::optional<int> exit_status;
    /// --verbose: a failure also writes the call stack behind its message.
    bool verbose = false;
};

/// Reads the arguments (without the program name) into the command to run; help, the version and usage errors
/// are written to out and err, and end the run with Invocation::exit_status.
Invocation ParseArguments(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

/// Checks the options of render and animate that need no project (the size, the times, the interval), so that
/// bad input is refused before anything is opened or written; raises UsageError naming the first bad option.
void CheckRenderOptions(const RenderOptions& options);

/// Where commands write: results to out, messages and progress to err (progress only on a terminal).
struct Streams {
    std::ostream& out;
    std::ostream& err;
    bool err_is_terminal = false;
};

int RunInfo(const ProjectOptions& options, Streams streams);
int RunSteps(const ProjectOptions& options, const std::string& layer, Streams streams);
int RunRender(const RenderOptions& options, Streams streams);
int RunAnimate(const RenderOptions& options, Streams streams);
int RunDemo(const DemoOptions& options, Streams streams);
int RunInit(const InitOptions& options, Streams streams);
/// register (install true) or unregister the extension's classes in the host's component categories.
int RunRegister(bool install, Streams streams);

} // namespace chronova::cli
