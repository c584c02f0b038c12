// One step of the slider with ten registered time layers of 100,000 points each (1,000 hourly steps, about
// 100 points of each layer shown per step): the change handler alone, the handler plus the features every
// layer then draws, and the handler plus drawing the map at 1024x768. The baseline does the filtering work of
// one step the obvious way, by comparing every row of every layer with the step.
#include <benchmark/benchmark.h>

#include "gui_application.h"

#include <QImage>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "datetime/mod_date_time.h"
#include "gis/drawing/map_drawer.h"
#include "gis/layers/feature_layer.h"
#include "gis/map/application.h"
#include "gis/map/document.h"
#include "gis/map/extension.h"
#include "gis/map/map.h"
#include "platform/ui/event_loop.h"
#include "registry/chronova_data.h"
#include "registry/globals.h"
#include "slider/frm_slider.h"
#include "support/memory_data.h"

using namespace chronova;

namespace {

constexpr int kLayers = 10;
constexpr int kFeatures = 100000;
constexpr int32_t kFirstMinute = 56000000;
constexpr int32_t kSteps = 1000;
const QSize kFrame(1024, 768);

// Points spread over the steps in random order, with the step as a minute count.
std::shared_ptr<gis::FeatureLayer> MakeLayer(int index) {
    auto workspace = std::make_shared<testing::MemoryWorkspace>("/memory/layer" + std::to_string(index));
    auto points = std::make_shared<testing::MemoryTestFeatureClass>("POINTS", workspace);
    workspace->Add("POINTS", points);
    gis::Column& minutes = points->Columns().AddField({"MINUTES", "", gis::FieldType::Integer});
    std::mt19937 random(static_cast<unsigned>(index + 1));
    std::uniform_int_distribution<int32_t> step(0, kSteps - 1);
    std::uniform_real_distribution<double> coordinate(0.0, 1000.0);
    for (int i = 0; i < kFeatures; ++i) {
        minutes.AppendInteger(kFirstMinute + step(random) * 60);
        points->AddPoint(coordinate(random), coordinate(random));
    }
    return std::make_shared<gis::FeatureLayer>(points, "Shapefile Feature Class", "Layer " + std::to_string(index));
}

// The host, the registry with its ten layers and a drawer for the focus map, built per benchmark: the registry
// is process-wide state, which other benchmarks of the program use too.
struct SliderSetup {
    platform::ui::EventLoop loop;
    std::vector<std::shared_ptr<gis::FeatureLayer>> layers;
    std::unique_ptr<gis::MapDrawer> drawer;

    SliderSetup() {
        ResetGlobals();
        g_pApp = gis::Application::Create();
        g_pApp->AddExtension(std::make_shared<gis::Extension>("Chronova.ChronovaExt"));
        g_pChronovaData = std::make_shared<ChronovaData>(loop);
        const auto map = g_pApp->Document()->FocusMap();
        for (int i = 0; i < kLayers; ++i) {
            layers.push_back(MakeLayer(i));
            map->AddLayer(layers.back());
            g_pChronovaData->AddShapefileLayer(layers.back(), "MINUTES");
        }
        g_pChronovaData->Update();
        drawer = std::make_unique<gis::MapDrawer>(map);
    }
    // The registry's form runs its timers on the loop, so it goes first.
    ~SliderSetup() { ResetGlobals(); }

    frmSlider& Slider() { return *g_pChronovaData->Slider(); }

    // Moves the slider one position on, wrapping at the end, which runs the change handler.
    void Step() {
        auto& slider = Slider().Slider1;
        slider.Value(slider.Value() >= slider.Max() ? slider.Min() : slider.Value() + 1);
    }

    size_t VisibleFeatures() const {
        size_t shown = 0;
        for (const auto& layer : layers) {
            shown += layer->VisibleFeatures()->size();
        }
        return shown;
    }
};

void BM_SliderStepHandler(benchmark::State& state) {
    SliderSetup setup;
    for (auto _ : state) {
        setup.Step();
    }
    state.counters["positions"] = setup.Slider().Slider1.Max() + 1;
}
BENCHMARK(BM_SliderStepHandler)->Unit(benchmark::kMicrosecond);

void BM_SliderStepWithVisibleFeatures(benchmark::State& state) {
    SliderSetup setup;
    setup.VisibleFeatures(); // indexes are built on first use, not per step
    size_t shown = 0;
    for (auto _ : state) {
        setup.Step();
        shown += setup.VisibleFeatures();
    }
    state.counters["features/step"] = static_cast<double>(shown) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_SliderStepWithVisibleFeatures)->Unit(benchmark::kMicrosecond);

void BM_SliderStepDrawn(benchmark::State& state) {
    bench::EnsureGuiApplication();
    SliderSetup setup;
    const auto map = g_pApp->Document()->FocusMap();
    setup.drawer->Draw(kFrame);
    map->TakeRedrawRequest();
    for (auto _ : state) {
        setup.Step();
        benchmark::DoNotOptimize(setup.drawer->Update(kFrame).constBits());
    }
}
BENCHMARK(BM_SliderStepDrawn)->Unit(benchmark::kMillisecond);

// Baseline: the rows of one step found by comparing every row of every layer with it.
void BM_SliderStepScanBaseline(benchmark::State& state) {
    SliderSetup setup;
    int32_t step = 0;
    for (auto _ : state) {
        const int32_t wanted = kFirstMinute + (step++ % kSteps) * 60;
        for (const auto& layer : setup.layers) {
            const auto& minutes = layer->FeatureClass()->Data()->ColumnAt(0).Integers();
            gis::RowIds rows;
            for (size_t row = 0; row < minutes.size(); ++row) {
                if (minutes[row] == wanted) {
                    rows.push_back(static_cast<uint32_t>(row));
                }
            }
            benchmark::DoNotOptimize(rows.data());
        }
    }
}
BENCHMARK(BM_SliderStepScanBaseline)->Unit(benchmark::kMicrosecond);

} // namespace
