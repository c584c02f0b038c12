// chronova render, animate and demo: step the slider through its positions and write what the map shows.

#include <QImage>
#include <QSize>
#include <charconv>
#include <filesystem>
#include <functional>
#include <optional>
#include <ostream>
#include <string_view>

#include "apps/chronova/axis_settings.h"
#include "apps/chronova/cli.h"
#include "apps/chronova/commands.h"
#include "apps/chronova/export/gif_writer.h"
#include "apps/chronova/export/mp4_writer.h"
#include "apps/chronova/export/png_sequence_writer.h"
#include "apps/chronova/frame_folder.h"
#include "apps/chronova/frame_memory.h"
#include "apps/chronova/frame_positions.h"
#include "apps/chronova/frame_renderer.h"
#include "apps/chronova/opened_project.h"
#include "apps/chronova/progress_bar.h"
#include "apps/chronova/time_text.h"
#include "datetime/calendar_interval.h"
#include "datetime/mod_date_time.h"
#include "generator/sample_data.h"
#include "platform/automation_error.h"
#include "platform/available_memory.h"
#include "platform/interruption.h"
#include "records/time_codes.h"
#include "registry/chronova_data.h"
#include "slider/frm_slider.h"
#include "timeapply/raster_side_files.h"
#include "timeapply/time_reading.h"

namespace chronova::cli {

using exporting::FfmpegAvailable;
using exporting::GifWriter;
using exporting::Mp4Writer;
using exporting::PngSequenceWriter;

namespace {

constexpr int32_t kMaxSide = 16384;

// Called once the frames are known and before anything is written: the frame size, the frame rate and the
// project's export settings, which name the outputs the command line leaves out.
using FrameStart = std::function<void(QSize size, int32_t fps, const project::ExportSettings& settings)>;
// Each frame in order; index counts from 0.
using FrameSink = std::function<void(int32_t index, const QImage& frame)>;

// One side of a size: digits only, read without wrapping around, from 1 to kMaxSide.
std::optional<int> ParseSide(std::string_view digits) {
    int value = 0;
    const char* end = digits.data() + digits.size();
    const auto [stop, error] = std::from_chars(digits.data(), end, value);
    if (digits.empty() || digits.front() == '-' || error != std::errc() || stop != end || value < 1 ||
        value > kMaxSide) {
        return std::nullopt;
    }
    return value;
}

QSize ParseSize(const std::string& text) {
    const size_t separator = text.find_first_of("xX");
    const std::optional<int> width =
        separator == std::string::npos ? std::nullopt : ParseSide(std::string_view(text).substr(0, separator));
    const std::optional<int> height = width ? ParseSide(std::string_view(text).substr(separator + 1)) : std::nullopt;
    if (!height) {
        throw UsageError("--size must be WxH with sides from 1 to " + std::to_string(kMaxSide) + ", not '" + text +
                         "'");
    }
    return {*width, *height};
}

TimeOption ParseTime(const std::string& option, const std::string& text) {
    TimeOption time;
    try {
        time = ParseTimeOption(text);
    } catch (const platform::AutomationError&) {
        throw UsageError(option + " must be a date and time such as \"2008-03-01 06:00\", not '" + text + "'");
    }
    if (const std::string unclear = UnclearTimeMessage(option, text); !unclear.empty()) {
        throw UsageError(unclear);
    }
    return time;
}

// The options checked before the project is opened, so bad input writes nothing.
struct CheckedOptions {
    std::optional<QSize> size;
    std::optional<TimeOption> from;
    std::optional<TimeOption> to;
    std::optional<TimeOption> at;
    std::optional<modDateTime::CalendarInterval> interval;
};

CheckedOptions Check(const RenderOptions& options) {
    CheckedOptions checked;
    if (options.size) {
        checked.size = ParseSize(*options.size);
    }
    if (options.from) {
        checked.from = ParseTime("--from", *options.from);
    }
    if (options.to) {
        checked.to = ParseTime("--to", *options.to);
    }
    if (options.at) {
        checked.at = ParseTime("--at", *options.at);
    }
    if (options.interval) {
        checked.interval = modDateTime::ParseIntervalText(*options.interval);
        if (!checked.interval) {
            throw UsageError("--interval must be " + std::string(modDateTime::kIntervalForms) + ", not '" +
                             *options.interval + "'");
        }
    }
    if (checked.from && checked.to &&
        checked.from->In(platform::TimeZone::Utc()) >= checked.to->In(platform::TimeZone::Utc())) {
        throw UsageError("--from must be earlier than --to");
    }
    return checked;
}

// The command line's axis options, written through the registry as any automation client would. They override
// the project: --unique steps through the data's steps, --interval by the interval, whatever the project's type.
void ApplyAxisOptions(ChronovaData& registry, const RenderOptions& options, const CheckedOptions& checked) {
    // Times with an offset are instants, shown in the display zone; times without one are display times.
    const std::optional<platform::TimeZone> zone = DisplayTimeZone();
    AxisSettings settings;
    settings.unique = options.unique;
    settings.interval = checked.interval;
    if (checked.from) {
        settings.start = modDateTime::MinutesToDate(checked.from->In(zone));
    }
    if (checked.to) {
        settings.finish = modDateTime::MinutesToDate(checked.to->In(zone));
    }
    ApplyAxisSettings(registry, settings);
}

const frmSlider& SliderOf(ChronovaData& registry) {
    if (registry.Slider() == nullptr) {
        platform::RaiseError(91, "The registry has no slider to step.");
    }
    return *registry.Slider();
}

// --at on an interval: the axis starts at that time, so its first position is that time exactly.
void StartAxisAt(ChronovaData& registry, int32_t at) {
    if (SliderOf(registry).FinishMinutes() <= at) {
        registry.FinishTime(modDateTime::MinutesToDate(registry.TimeAfterInterval(at)));
    }
    registry.StartTime(modDateTime::MinutesToDate(at));
}

// The slider positions to draw, in order. On an interval, the positions up to the finish: the slider keeps one
// position past the start even when the interval is longer than the range, which a frame must not show. On the
// step list, the steps between start and finish. With --at, the one position of that time.
std::vector<int32_t> FramePositions(ChronovaData& registry, const RenderOptions& options,
                                    const std::optional<int32_t>& at) {
    const frmSlider& slider = SliderOf(registry);
    const AxisState axis = registry.Axis();
    const bool unique = axis.display_type == kDisplayUniquePoints;
    std::vector<int32_t> positions;
    if (at) {
        if (!unique) {
            return {0};
        }
        // The step list is in time order: the last step at or before the time.
        for (int32_t position = 0; position <= axis.max_position; ++position) {
            if (slider.TimeOfPosition(position) <= *at) {
                positions.assign(1, position);
            }
        }
        if (positions.empty()) {
            throw UsageError("--at '" + *options.at + "' is before the first step (" +
                             IsoMinutes(slider.TimeOfPosition(0)) + ")");
        }
        return positions;
    }
    positions = PositionsFromStartToFinish(slider, axis);
    if (positions.empty()) {
        throw UsageError("no step of the time layers lies between " + IsoMinutes(slider.StartMinutes()) + " and " +
                         IsoMinutes(slider.FinishMinutes()));
    }
    return positions;
}

// Frames that would not fit in memory are refused before the first is drawn, rather than failing (or swapping)
// half-way through a run.
void CheckFrameMemory(QSize size) {
    if (const std::optional<int64_t> available = platform::AvailableMemory()) {
        if (const std::string problem = FrameMemoryProblem(size, *available); !problem.empty()) {
            throw UsageError(problem);
        }
    }
}

void CheckFrameCount(size_t count, const RenderOptions& options) {
    if (count > static_cast<size_t>(options.max_frames)) {
        throw UsageError("this run would write " + std::to_string(count) + " frames, more than --max-frames " +
                         std::to_string(options.max_frames) + " allows; narrow --from/--to, widen --interval, or " +
                         "raise the cap with --max-frames " + std::to_string(count));
    }
}

// Opens the project, applies the options, and draws the positions to show into the sink; returns the count.
int32_t RenderProject(const RenderOptions& options, const CheckedOptions& checked, Streams streams,
                      const FrameStart& start, const FrameSink& sink) {
    const SideFilesInCache side_files; // drawing data never writes into its folder
    OpenedProject opened(options.project, &streams.err);
    ChronovaData& registry = opened.Session().Registry();
    ApplyAxisOptions(registry, options, checked);
    if (!registry.Valid()) {
        platform::RaiseError(5, "The project's time axis is empty: no time layer has a step in its range.");
    }
    std::optional<int32_t> at;
    if (checked.at) {
        at = checked.at->In(DisplayTimeZone());
        if (registry.Axis().display_type != kDisplayUniquePoints) {
            StartAxisAt(registry, *at);
        }
    }
    const std::vector<int32_t> positions = FramePositions(registry, options, at);
    CheckFrameCount(positions.size(), options);

    const project::ExportSettings& settings = opened.Session().Export();
    const QSize size = checked.size.value_or(QSize(settings.Width, settings.Height));
    EnsureGuiApplication();
    const gis::Color background = opened.Session().Background();
    FrameRenderer renderer(opened.Session().Map(), registry, size,
                           QColor(background.Red, background.Green, background.Blue), options.timeline,
                           opened.Session().Layout());
    CheckFrameMemory(renderer.FrameSize());
    const auto count = static_cast<int32_t>(positions.size());
    start(renderer.FrameSize(), options.fps.value_or(settings.Fps), settings);
    ProgressBar progress(streams.err, streams.err_is_terminal && !options.quiet, "Rendering", count);
    // A signal stops the run between the drawing and the writing of frames, and before the outputs are finished, so
    // that unwinding removes their temporary files and leaves earlier outputs as they were. It waits for the one
    // step under way: the drawing of a frame or its encoding.
    for (int32_t index = 0; index < count; ++index) {
        platform::ThrowIfInterrupted();
        const QImage frame = renderer.Render(positions[static_cast<size_t>(index)]);
        platform::ThrowIfInterrupted();
        sink(index, frame);
        progress.Update(index + 1);
    }
    platform::ThrowIfInterrupted();
    return count;
}

bool EndsWith(const std::string& text, const std::string& suffix) {
    return text.size() >= suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

std::string FramesText(int32_t count) {
    return std::to_string(count) + (count == 1 ? " frame" : " frames");
}

// Writes frames into a folder, then removes the frames an earlier, longer run left there. A run that fails
// leaves the earlier frames as they were, past the ones it overwrote.
class FrameFolderOutput {
public:
    void Open(const std::filesystem::path& folder) {
        folder_ = folder;
        writer_ = std::make_unique<PngSequenceWriter>(folder);
    }
    void Add(int32_t index, const QImage& frame) { writer_->Add(index, frame); }
    /// Waits for the files; returns how many earlier frames were removed.
    int32_t Finish(int32_t count) {
        writer_->Finish();
        return RemoveStaleFrames(folder_, count);
    }
    const std::filesystem::path& Folder() const { return folder_; }

private:
    std::filesystem::path folder_;
    std::unique_ptr<PngSequenceWriter> writer_;
};

std::string RemovedText(int32_t removed) {
    if (removed == 0) {
        return {};
    }
    return " (removed " + std::to_string(removed) + " earlier " + (removed == 1 ? "frame" : "frames") + ")";
}

// An animation to write and its format.
struct AnimationFile {
    std::filesystem::path path;
    bool mp4 = false;
};

AnimationFile AnimationOption(const std::string& out) {
    const bool mp4 = EndsWith(out, ".mp4");
    if (!mp4 && !EndsWith(out, ".gif")) {
        throw UsageError("--out must name a .gif or .mp4 file, not '" + out + "'");
    }
    return {out, mp4};
}

// --out when given, else every animation the project's export settings name.
std::vector<AnimationFile> AnimationFiles(const RenderOptions& options, const project::ExportSettings& settings) {
    std::vector<AnimationFile> files;
    if (!options.out.empty()) {
        files.push_back(AnimationOption(options.out));
    } else {
        if (settings.Gif) {
            files.push_back({*settings.Gif, false});
        }
        if (settings.Mp4) {
            files.push_back({*settings.Mp4, true});
        }
    }
    if (files.empty()) {
        throw UsageError("animate needs a file to write: give --out FILE.gif (or .mp4), or name \"gif\" or \"mp4\" "
                         "in the project's \"export\"");
    }
    for (const AnimationFile& file : files) {
        if (file.mp4 && !FfmpegAvailable()) {
            platform::RaiseError(53, "MP4 needs ffmpeg, which is not installed; write a .gif instead (" +
                                         file.path.string() + ").");
        }
    }
    return files;
}

// One animation being written.
class AnimationOutput {
public:
    AnimationOutput(const AnimationFile& file, QSize size, int32_t fps) {
        if (file.mp4) {
            video_ = std::make_unique<Mp4Writer>(file.path, size.width(), size.height(), fps);
        } else {
            gif_ = std::make_unique<GifWriter>(file.path, size.width(), size.height(), fps);
        }
    }
    void Add(const QImage& frame) { video_ ? video_->Add(frame) : gif_->Add(frame); }
    void Finish() { video_ ? video_->Finish() : gif_->Finish(); }

private:
    std::unique_ptr<GifWriter> gif_;
    std::unique_ptr<Mp4Writer> video_;
};

} // namespace

void CheckRenderOptions(const RenderOptions& options) {
    Check(options);
}

int RunRender(const RenderOptions& options, Streams streams) {
    const CheckedOptions checked = Check(options);
    FrameFolderOutput output;
    const int32_t count = RenderProject(
        options, checked, streams,
        [&](QSize, int32_t, const project::ExportSettings& settings) {
            if (!options.out.empty()) {
                output.Open(options.out);
            } else if (settings.Out) {
                output.Open(*settings.Out);
            } else {
                throw UsageError("render needs a folder for the frames: give --out DIR, or name \"out\" in the "
                                 "project's \"export\"");
            }
        },
        [&](int32_t index, const QImage& frame) { output.Add(index, frame); });
    const int32_t removed = output.Finish(count);
    streams.out << FramesText(count) << " written to " << output.Folder().string() << RemovedText(removed) << '\n';
    return kExitSuccess;
}

int RunAnimate(const RenderOptions& options, Streams streams) {
    const CheckedOptions checked = Check(options);
    if (!options.out.empty()) {
        AnimationOption(options.out); // a wrong extension is refused before the project is opened
    }
    std::vector<AnimationFile> files;
    std::vector<std::unique_ptr<AnimationOutput>> outputs;
    const int32_t count = RenderProject(
        options, checked, streams,
        [&](QSize size, int32_t fps, const project::ExportSettings& settings) {
            files = AnimationFiles(options, settings);
            for (const AnimationFile& file : files) {
                outputs.push_back(std::make_unique<AnimationOutput>(file, size, fps));
            }
        },
        [&](int32_t, const QImage& frame) {
            for (const auto& output : outputs) {
                output->Add(frame);
            }
        });
    for (size_t i = 0; i < outputs.size(); ++i) {
        outputs[i]->Finish();
        streams.out << FramesText(count) << " written to " << files[i].path.string() << '\n';
    }
    return kExitSuccess;
}

int RunDemo(const DemoOptions& options, Streams streams) {
    const std::filesystem::path folder = options.out;
    const std::filesystem::path data = folder / "data";
    const std::filesystem::path frames = folder / "frames";
    const std::filesystem::path animation = folder / "demo.gif";
    if (!options.quiet) {
        streams.err << "Generating the sample data in " << data.string() << '\n';
    }
    sample_data::GenerateSampleData(data);

    RenderOptions render;
    render.project = (data / sample_data::kDemoProjectFileName).string();
    render.quiet = options.quiet;
    FrameFolderOutput pngs;
    std::unique_ptr<GifWriter> gif;
    const int32_t count = RenderProject(
        render, CheckedOptions{}, streams,
        [&](QSize size, int32_t fps, const project::ExportSettings&) {
            pngs.Open(frames);
            gif = std::make_unique<GifWriter>(animation, size.width(), size.height(), fps);
        },
        [&](int32_t index, const QImage& frame) {
            pngs.Add(index, frame);
            gif->Add(frame);
        });
    pngs.Finish(count);
    gif->Finish();
    streams.out << "Sample data: " << data.string() << '\n'
                << "Frames:      " << frames.string() << " (" << count << " PNG files)\n"
                << "Animation:   " << animation.string() << '\n';
    return kExitSuccess;
}

} // namespace chronova::cli
