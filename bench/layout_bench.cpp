// What map furniture costs an exported frame at 1024x768: the layout drawn over an already drawn map frame (the
// title, legend and scale bar blitted from their cached images, the colour bar checked, the time label drawn),
// against the bare frame's copy that every exported frame makes anyway. The whole demo run with the project's
// layout and without shows the same difference among everything else a frame costs.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>

#include "apps/chronova/frame_renderer.h"
#include "apps/chronova/opened_project.h"
#include "generator/sample_data.h"
#include "gis/drawing/map_drawer.h"
#include "gis/layout/map_layout.h"
#include "registry/chronova_data.h"

using namespace chronova;

namespace {

const QSize kFrame(1024, 768);

struct LayoutDemoFolder {
    std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("chronova_layout_bench_" + std::to_string(getpid()));
    LayoutDemoFolder() { sample_data::GenerateSampleData(folder / "data"); }
    ~LayoutDemoFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
    std::string Project() const { return (folder / "data" / sample_data::kDemoProjectFileName).string(); }
};

LayoutDemoFolder& LayoutDemo() {
    static LayoutDemoFolder demo;
    return demo;
}

std::string Label(int64_t step) {
    return "3/" + std::to_string(1 + step / 24 % 2) + "/2008 " + std::to_string(step % 24) + ":00";
}

// One frame: the bare map's copy, then with layout the furniture on it (state.range(0) = 1).
void BM_LayoutOnDemoFrame(benchmark::State& state) {
    cli::EnsureGuiApplication();
    cli::OpenedProject opened(LayoutDemo().Project());
    const std::shared_ptr<gis::Map>& map = opened.Session().Map();
    gis::MapDrawer drawer(map);
    gis::MapLayout layout(opened.Session().Layout());
    const gis::Envelope extent = layout.DrawnExtent(drawer.DefaultExtent());
    const QImage bare = drawer.Draw(kFrame, extent);
    const gis::ViewTransform transform(extent, kFrame.width(), kFrame.height());
    const bool furnished = state.range(0) != 0;
    int64_t step = 0;
    for (auto _ : state) {
        QImage frame = bare;
        frame.bits(); // the copy every exported frame makes of the drawer's frame
        if (furnished) {
            layout.Draw(frame, *map, drawer.Background(), transform, Label(step++));
        }
        benchmark::DoNotOptimize(frame.constBits());
    }
}
BENCHMARK(BM_LayoutOnDemoFrame)->ArgName("layout")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// The demo's 48 frames drawn, with the project's layout or the bare map (state.range(0) = 0).
void BM_RenderDemoLayout(benchmark::State& state) {
    cli::EnsureGuiApplication();
    int64_t frames = 0;
    for (auto _ : state) {
        cli::OpenedProject opened(LayoutDemo().Project());
        const gis::Color background = opened.Session().Background();
        cli::FrameRenderer renderer(opened.Session().Map(), opened.Session().Registry(), kFrame,
                                    QColor(background.Red, background.Green, background.Blue), false,
                                    state.range(0) != 0 ? opened.Session().Layout() : gis::LayoutSettings::None());
        for (int32_t position = 0; position < renderer.FrameCount(); ++position) {
            benchmark::DoNotOptimize(renderer.Render(position).constBits());
            ++frames;
        }
    }
    state.counters["frames/s"] = benchmark::Counter(static_cast<double>(frames), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_RenderDemoLayout)->ArgName("layout")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
