// The command line's main work: 100 frames of the demo project at 1024x768 (every 28 minutes over its two
// days), drawn only, and drawn and written as PNG files on worker threads. One iteration is the whole run of
// 100 frames; the counter gives frames per second.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <unistd.h>

#include "apps/chronova/export/png_sequence_writer.h"
#include "apps/chronova/frame_renderer.h"
#include "apps/chronova/opened_project.h"
#include "generator/sample_data.h"
#include "registry/chronova_data.h"

using namespace chronova;

namespace {

constexpr int32_t kIntervalMinutes = 28;
const QSize kFrame(1024, 768);

struct DemoFolder {
    std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("chronova_render_bench_" + std::to_string(getpid()));
    DemoFolder() { sample_data::GenerateSampleData(folder / "data"); }
    ~DemoFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
    std::string Project() const { return (folder / "data" / sample_data::kDemoProjectFileName).string(); }
};

DemoFolder& Demo() {
    static DemoFolder demo;
    return demo;
}

// Opens the demo with the 28-minute axis and renders every position into the sink.
template <typename Sink>
int32_t RenderDemo(Sink&& sink) {
    cli::OpenedProject opened(Demo().Project());
    ChronovaData& registry = opened.Session().Registry();
    registry.Interval(kIntervalMinutes);
    const gis::Color background = opened.Session().Background();
    cli::FrameRenderer renderer(opened.Session().Map(), registry, kFrame,
                                QColor(background.Red, background.Green, background.Blue));
    const int32_t count = renderer.FrameCount();
    for (int32_t position = 0; position < count; ++position) {
        sink(position, renderer.Render(position));
    }
    return count;
}

void BM_RenderDemoDrawOnly(benchmark::State& state) {
    cli::EnsureGuiApplication();
    int64_t frames = 0;
    for (auto _ : state) {
        frames += RenderDemo([](int32_t, const QImage& frame) { benchmark::DoNotOptimize(frame.constBits()); });
    }
    state.counters["frames/s"] = benchmark::Counter(static_cast<double>(frames), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_RenderDemoDrawOnly)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_RenderDemoToPng(benchmark::State& state) {
    cli::EnsureGuiApplication();
    const auto out = Demo().folder / "frames";
    int64_t frames = 0;
    for (auto _ : state) {
        cli::exporting::PngSequenceWriter writer(out);
        frames += RenderDemo([&](int32_t position, const QImage& frame) { writer.Add(position, frame); });
        writer.Finish();
    }
    state.counters["frames/s"] = benchmark::Counter(static_cast<double>(frames), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_RenderDemoToPng)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
