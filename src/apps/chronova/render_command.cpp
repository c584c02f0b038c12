// chronova render, animate and demo: step the slider through every position and write what the map shows.

#include <QImage>
#include <QSize>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <ostream>

#include "apps/chronova/cli.h"
#include "apps/chronova/commands.h"
#include "apps/chronova/export/gif_writer.h"
#include "apps/chronova/export/mp4_writer.h"
#include "apps/chronova/export/png_sequence_writer.h"
#include "apps/chronova/frame_renderer.h"
#include "apps/chronova/opened_project.h"
#include "apps/chronova/progress_bar.h"
#include "apps/chronova/time_text.h"
#include "datetime/calendar_interval.h"
#include "datetime/mod_date_time.h"
#include "generator/sample_data.h"
#include "platform/automation_error.h"
#include "records/time_codes.h"
#include "registry/chronova_data.h"
#include "timeapply/time_reading.h"

namespace chronova::cli {

using exporting::FfmpegAvailable;
using exporting::GifWriter;
using exporting::Mp4Writer;
using exporting::PngSequenceWriter;

namespace {

constexpr int32_t kMaxSide = 16384;

using FrameSink = std::function<void(int32_t position, const QImage& frame)>;

QSize ParseSize(const std::string& text) {
    int width = 0;
    int height = 0;
    char separator = 0;
    char rest = 0;
    if (std::sscanf(text.c_str(), "%d%c%d%c", &width, &separator, &height, &rest) != 3 ||
        (separator != 'x' && separator != 'X') || width < 1 || height < 1 || width > kMaxSide || height > kMaxSide) {
        throw UsageError("--size must be WxH with sides from 1 to " + std::to_string(kMaxSide) + ", not '" + text +
                         "'");
    }
    return {width, height};
}

TimeOption ParseTime(const std::string& option, const std::string& text) {
    try {
        return ParseTimeOption(text);
    } catch (const platform::AutomationError&) {
        throw UsageError(option + " must be a date and time such as \"2008-03-01 06:00\", not '" + text + "'");
    }
}

// The options checked before the project is opened, so bad input writes nothing.
struct CheckedOptions {
    std::optional<QSize> size;
    std::optional<TimeOption> from;
    std::optional<TimeOption> to;
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

// The command line's axis options, written through the registry as any automation client would.
void ApplyAxisOptions(ChronovaData& registry, const RenderOptions& options, const CheckedOptions& checked) {
    DisplayOptions display = registry.Display();
    if (options.unique && display.display_type != kDisplayUniquePoints) {
        display.display_type = kDisplayUniquePoints;
        registry.Display(display);
        registry.Update();
    }
    // Times with an offset are instants, shown in the display zone; times without one are display times.
    const std::optional<platform::TimeZone> zone = DisplayTimeZone();
    if (checked.from) {
        registry.StartTime(modDateTime::MinutesToDate(checked.from->In(zone)));
    }
    if (checked.to) {
        registry.FinishTime(modDateTime::MinutesToDate(checked.to->In(zone)));
    }
    if (checked.interval) {
        registry.IntervalUnit(std::string(modDateTime::UnitCode(checked.interval->unit)));
        registry.Interval(checked.interval->count);
    }
}

// Opens the project, applies the options and draws every slider position into the sinks; returns the count.
int32_t RenderProject(const RenderOptions& options, const CheckedOptions& checked, Streams streams,
                      const std::function<void(QSize, int32_t)>& start, const FrameSink& sink) {
    OpenedProject opened(options.project, &streams.err);
    ChronovaData& registry = opened.Session().Registry();
    ApplyAxisOptions(registry, options, checked);
    if (!registry.Valid()) {
        platform::RaiseError(5, "The project's time axis is empty: no time layer has a step in its range.");
    }
    const project::ExportSettings& settings = opened.Session().Export();
    const QSize size = checked.size.value_or(QSize(settings.Width, settings.Height));
    EnsureGuiApplication();
    const gis::Color background = opened.Session().Background();
    FrameRenderer renderer(opened.Session().Map(), registry, size,
                           QColor(background.Red, background.Green, background.Blue), options.timeline);
    const int32_t count = renderer.FrameCount();
    start(renderer.FrameSize(), options.fps.value_or(settings.Fps));
    ProgressBar progress(streams.err, streams.err_is_terminal && !options.quiet, "Rendering", count);
    for (int32_t position = 0; position < count; ++position) {
        sink(position, renderer.Render(position));
        progress.Update(position + 1);
    }
    return count;
}

bool EndsWith(const std::string& text, const std::string& suffix) {
    return text.size() >= suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

} // namespace

int RunRender(const RenderOptions& options, Streams streams) {
    const CheckedOptions checked = Check(options);
    std::unique_ptr<PngSequenceWriter> writer;
    const int32_t count = RenderProject(
        options, checked, streams,
        [&](QSize, int32_t) {
            std::filesystem::create_directories(options.out);
            writer = std::make_unique<PngSequenceWriter>(options.out);
        },
        [&](int32_t position, const QImage& frame) { writer->Add(position, frame); });
    writer->Finish();
    streams.out << count << " frames written to " << options.out << '\n';
    return kExitSuccess;
}

int RunAnimate(const RenderOptions& options, Streams streams) {
    const CheckedOptions checked = Check(options);
    const bool mp4 = EndsWith(options.out, ".mp4");
    if (!mp4 && !EndsWith(options.out, ".gif")) {
        throw UsageError("--out must name a .gif or .mp4 file, not '" + options.out + "'");
    }
    if (mp4 && !FfmpegAvailable()) {
        platform::RaiseError(53, "MP4 needs ffmpeg, which is not installed; write a .gif instead.");
    }
    std::unique_ptr<GifWriter> gif;
    std::unique_ptr<Mp4Writer> video;
    const int32_t count = RenderProject(
        options, checked, streams,
        [&](QSize size, int32_t fps) {
            if (mp4) {
                video = std::make_unique<Mp4Writer>(options.out, size.width(), size.height(), fps);
            } else {
                gif = std::make_unique<GifWriter>(options.out, size.width(), size.height(), fps);
            }
        },
        [&](int32_t, const QImage& frame) { mp4 ? video->Add(frame) : gif->Add(frame); });
    mp4 ? video->Finish() : gif->Finish();
    streams.out << count << " frames written to " << options.out << '\n';
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
    std::unique_ptr<PngSequenceWriter> pngs;
    std::unique_ptr<GifWriter> gif;
    const int32_t count = RenderProject(
        render, CheckedOptions{}, streams,
        [&](QSize size, int32_t fps) {
            std::filesystem::create_directories(frames);
            pngs = std::make_unique<PngSequenceWriter>(frames);
            gif = std::make_unique<GifWriter>(animation, size.width(), size.height(), fps);
        },
        [&](int32_t position, const QImage& frame) {
            pngs->Add(position, frame);
            gif->Add(frame);
        });
    pngs->Finish();
    gif->Finish();
    streams.out << "Sample data: " << data.string() << '\n'
                << "Frames:      " << frames.string() << " (" << count << " PNG files)\n"
                << "Animation:   " << animation.string() << '\n';
    return kExitSuccess;
}

} // namespace chronova::cli
