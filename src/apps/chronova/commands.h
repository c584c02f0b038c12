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
