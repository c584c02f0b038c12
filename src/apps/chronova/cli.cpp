#include "apps/chronova/cli.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <charconv>
#include <cstdint>
#include <exception>
#include <limits>
#include <ostream>
#include <string>

#include "apps/chronova/commands.h"
#include "host/error_handling.h"
#include "host/error_log.h"
#include "platform/automation_error.h"
#include "platform/debug_output.h"
#include "project/project_file.h"

namespace chronova::cli {

namespace {

constexpr const char* kDescription = "Chronova steps and animates maps through time.";

// A whole number from lowest to highest in decimal digits, checked on the text before it is converted so that no
// value wraps around, and passed on without leading zeros, which the conversion would read as octal ("010" is 8).
CLI::Validator WholeNumber(int32_t lowest, int32_t highest) {
    const std::string range = "a whole number from " + std::to_string(lowest) + " to " + std::to_string(highest);
    return CLI::Validator(
        [=](std::string& text) {
            int64_t value = 0;
            const char* end = text.data() + text.size();
            const auto [stop, error] = std::from_chars(text.data(), end, value);
            if (text.empty() || error != std::errc() || stop != end || value < lowest || value > highest) {
                return "must be " + range + ", not '" + text + "'";
            }
            text = std::to_string(value);
            return std::string();
        },
        "INT in [" + std::to_string(lowest) + " - " + std::to_string(highest) + "]");
}

void AddRenderOptions(CLI::App& command, RenderOptions& options) {
    command.add_option("PROJECT", options.project, "the project file")->required();
    command.add_option("--from", options.from, "first time of the axis (e.g. \"2008-03-01 06:00\")");
    command.add_option("--to", options.to, "last time of the axis");
    auto* interval = command.add_option("--interval", options.interval,
                                        "time between frames: minutes, or 15min, 2h, 1d, 1mon (months), 1y (years)");
    command.add_flag("--unique", options.unique, "one frame per distinct time step of the layers")->excludes(interval);
    command.add_option("--size", options.size, "frame size in pixels, WxH (default: the project's, else 1024x768)");
    command.add_flag("--quiet", options.quiet, "no progress bar");
    command.add_flag("--timeline", options.timeline,
                     "a strip under each map with the slider: start, finish, position, day/night band, time span");
    command
        .add_option("--max-frames", options.max_frames,
                    "refuse a run of more frames than this, before writing any (default " +
                        std::to_string(kDefaultMaxFrames) + ")")
        ->transform(WholeNumber(1, std::numeric_limits<int32_t>::max()));
}

// A failure while working, as one line a person can act on. The system's own text (call stack, error number)
// is for developers: it goes to the debug output and the error log, and with --verbose to err as well.
void ReportFailure(std::ostream& err, const platform::AutomationError& e, bool verbose) {
    const std::string line = ErrorHandling::OneLineMessage(e);
    err << "chronova: " << line << '\n';
    if (e.Description() == line) {
        return;
    }
    std::string trace = e.Description();
    std::erase(trace, '\r');
    if (!trace.ends_with('\n')) {
        trace += '\n';
    }
    platform::DebugOutput("chronova: " + line + "\n\n" + trace);
    host::ErrorLog& log = host::ErrorLog::Instance();
    log.Record("chronova: " + line + "\n\n" + trace);
    log.Commit(true);
    if (verbose) {
        err << trace;
    }
}

// Runs a command, turning its failures into the documented exit statuses: a bad project file or bad input is
// a usage error (2), anything that fails while working is a runtime error (1).
template <typename Command>
int Guarded(std::ostream& err, bool verbose, Command&& command) {
    try {
        return command();
    } catch (const UsageError& e) {
        err << "chronova: " << e.what() << '\n';
        return kExitUsage;
    } catch (const project::ProjectError& e) {
        err << "chronova: " << e.what() << '\n';
        return kExitUsage;
    } catch (const platform::AutomationError& e) {
        ReportFailure(err, e, verbose);
        return kExitRuntimeError;
    } catch (const std::exception& e) {
        err << "chronova: " << e.what() << '\n';
        return kExitRuntimeError;
    }
}

} // namespace

Invocation ParseArguments(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    CLI::App app{kDescription, "chronova"};
    app.set_version_flag("--version", std::string("chronova ") + CHRONOVA_VERSION);
    app.require_subcommand(0, 1);
    app.footer("Run 'chronova COMMAND --help' for the options of a command.");
    bool verbose = false;
    // Taken before or after the command's name, as people add it to a run that failed.
    app.add_flag("--verbose", verbose, "on failure, also the call stack and error number behind the message");
    app.fallthrough();

    ProjectOptions info_options;
    auto* info = app.add_subcommand("info", "the layers, their time settings and the slider's axis");
    info->add_option("PROJECT", info_options.project, "the project file, or a data file or folder to describe")
        ->required();
    info->add_flag("--json", info_options.json, "machine-readable output");

    ProjectOptions steps_options;
    std::string steps_layer;
    auto* steps = app.add_subcommand("steps", "the time steps of one layer, in order");
    steps->add_option("PROJECT", steps_options.project, "the project file, or a data file or folder to describe")
        ->required();
    steps->add_option("--layer", steps_layer, "the layer's name")->required();
    steps->add_flag("--json", steps_options.json, "machine-readable output");

    RenderOptions render_options;
    auto* render = app.add_subcommand("render", "one PNG frame per slider position");
    AddRenderOptions(*render, render_options);
    render->add_option("--out", render_options.out, "folder for the frames (default: the project's export.out)");
    render->add_option("--at", render_options.at, "one frame at this time (on the step list: the step at or before it)")
        ->excludes(render->get_option("--from"))
        ->excludes(render->get_option("--to"));

    RenderOptions animate_options;
    auto* animate = app.add_subcommand("animate", "an animated GIF (or MP4 through ffmpeg) of every position");
    AddRenderOptions(*animate, animate_options);
    animate->add_option("--out", animate_options.out,
                        "the animation file, .gif or .mp4 (default: each of the project's export.gif and export.mp4)");
    animate->add_option("--fps", animate_options.fps, "frames per second (default: the project's, else 4)")
        ->transform(WholeNumber(1, 100));

    DemoOptions demo_options;
    auto* demo = app.add_subcommand("demo", "generate the sample data, render the demo project to frames and a GIF");
    demo->add_option("--out", demo_options.out, "folder for the data, the frames and the GIF")->capture_default_str();
    demo->add_flag("--quiet", demo_options.quiet, "no progress bar");

    InitOptions init_options;
    auto* init = app.add_subcommand("init", "a project for your own data, its time layers set up as proposed");
    init->add_option("DATA", init_options.data, "shapefile folders, .shp files, GeoPackages and raster files")
        ->required();
    init->add_option("--out", init_options.out, "the project file to write")->capture_default_str();
    init->add_flag("--force", init_options.force, "replace the project file if it exists");

    auto* register_classes =
        app.add_subcommand("register", "make the host load the extension, the time command and the slider window");
    auto* unregister_classes = app.add_subcommand("unregister", "stop the host from loading them");

    std::vector<std::string> reversed(args.rbegin(), args.rend());
    Invocation invocation;
    try {
        app.parse(reversed);
    } catch (const CLI::ParseError& e) {
        const int status = app.exit(e, out, err);
        invocation.exit_status = status == 0 ? kExitSuccess : kExitUsage;
        return invocation;
    }

    invocation.verbose = verbose;
    using Command = Invocation::Command;
    if (info->parsed()) {
        invocation.command = Command::Info;
        invocation.project = info_options;
    } else if (steps->parsed()) {
        invocation.command = Command::Steps;
        invocation.project = steps_options;
        invocation.layer = steps_layer;
    } else if (render->parsed()) {
        invocation.command = Command::Render;
        invocation.render = render_options;
    } else if (animate->parsed()) {
        invocation.command = Command::Animate;
        invocation.render = animate_options;
    } else if (init->parsed()) {
        invocation.command = Command::Init;
        invocation.init = init_options;
    } else if (demo->parsed()) {
        invocation.command = Command::Demo;
        invocation.demo = demo_options;
    } else if (register_classes->parsed()) {
        invocation.command = Command::Register;
    } else if (unregister_classes->parsed()) {
        invocation.command = Command::Unregister;
    } else {
        out << app.help();
        invocation.exit_status = kExitSuccess;
    }
    return invocation;
}

int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, bool err_is_terminal) {
    const Invocation invocation = ParseArguments(args, out, err);
    if (invocation.exit_status) {
        return *invocation.exit_status;
    }
    const Streams streams{out, err, err_is_terminal};
    using Command = Invocation::Command;
    switch (invocation.command) {
    case Command::Info:
        return Guarded(err, invocation.verbose, [&] { return RunInfo(invocation.project, streams); });
    case Command::Steps:
        return Guarded(err, invocation.verbose,
                       [&] { return RunSteps(invocation.project, invocation.layer, streams); });
    case Command::Render:
        return Guarded(err, invocation.verbose, [&] { return RunRender(invocation.render, streams); });
    case Command::Animate:
        return Guarded(err, invocation.verbose, [&] { return RunAnimate(invocation.render, streams); });
    case Command::Init:
        return Guarded(err, invocation.verbose, [&] { return RunInit(invocation.init, streams); });
    case Command::Demo:
        return Guarded(err, invocation.verbose, [&] { return RunDemo(invocation.demo, streams); });
    case Command::Register:
    case Command::Unregister:
        return Guarded(err, invocation.verbose,
                       [&] { return RunRegister(invocation.command == Command::Register, streams); });
    case Command::None:
        break;
    }
    return kExitSuccess;
}

} // namespace chronova::cli
