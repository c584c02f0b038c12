#include "apps/chronova/cli.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <exception>
#include <ostream>
#include <string>

#include "apps/chronova/commands.h"
#include "platform/automation_error.h"
#include "project/project_file.h"

namespace chronova::cli {

namespace {

constexpr const char* kDescription = "Chronova steps and animates maps through time.";

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
        ->check(CLI::PositiveNumber);
}

// Runs a command, turning its failures into the documented exit statuses: a bad project file or bad input is
// a usage error (2), anything that fails while working is a runtime error (1).
template <typename Command>
int Guarded(std::ostream& err, Command&& command) {
    try {
        return command();
    } catch (const UsageError& e) {
        err << "chronova: " << e.what() << '\n';
        return kExitUsage;
    } catch (const project::ProjectError& e) {
        err << "chronova: " << e.what() << '\n';
        return kExitUsage;
    } catch (const platform::AutomationError& e) {
        err << "chronova: " << e.Description() << '\n';
        return kExitRuntimeError;
    } catch (const std::exception& e) {
        err << "chronova: " << e.what() << '\n';
        return kExitRuntimeError;
    }
}

} // namespace

int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, bool err_is_terminal) {
    CLI::App app{kDescription, "chronova"};
    app.set_version_flag("--version", std::string("chronova ") + CHRONOVA_VERSION);
    app.require_subcommand(0, 1);
    app.footer("Run 'chronova COMMAND --help' for the options of a command.");

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
        ->check(CLI::Range(1, 100));

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
    try {
        app.parse(reversed);
    } catch (const CLI::ParseError& e) {
        const int status = app.exit(e, out, err);
        return status == 0 ? kExitSuccess : kExitUsage;
    }

    const Streams streams{out, err, err_is_terminal};
    if (info->parsed()) {
        return Guarded(err, [&] { return RunInfo(info_options, streams); });
    }
    if (steps->parsed()) {
        return Guarded(err, [&] { return RunSteps(steps_options, steps_layer, streams); });
    }
    if (render->parsed()) {
        return Guarded(err, [&] { return RunRender(render_options, streams); });
    }
    if (animate->parsed()) {
        return Guarded(err, [&] { return RunAnimate(animate_options, streams); });
    }
    if (init->parsed()) {
        return Guarded(err, [&] { return RunInit(init_options, streams); });
    }
    if (demo->parsed()) {
        return Guarded(err, [&] { return RunDemo(demo_options, streams); });
    }
    if (register_classes->parsed() || unregister_classes->parsed()) {
        return Guarded(err, [&] { return RunRegister(register_classes->parsed(), streams); });
    }
    out << app.help();
    return kExitSuccess;
}

} // namespace chronova::cli
