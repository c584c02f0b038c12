// The layer configuration dialog on large maps. Opening it on a map of 500 layers in groups (the tree, the copies
// of the registered records); "Done" on one layer of 1,000,000 points over 1,000 hourly steps, against the
// obvious baseline of registering the layer directly; and "Done" after reopening without changes, which must
// keep the registration instead of discovering the steps again (the baseline re-registers the layer).
#include <benchmark/benchmark.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "gis/layers/feature_layer.h"
#include "gis/layers/group_layer.h"
#include "gis/map/application.h"
#include "gis/map/document.h"
#include "gis/map/extension.h"
#include "gis/map/map.h"
#include "layerconfig/frm_timed_layers.h"
#include "platform/ui/event_loop.h"
#include "records/layer_data_collection.h"
#include "records/process_state.h"
#include "registry/chronova_data.h"
#include "registry/globals.h"
#include "support/memory_data.h"

using namespace chronova;

namespace {

constexpr int32_t kFirstMinute = 56000000;
constexpr int32_t kSteps = 1000;

// Points spread over the hourly steps in random order, with the step as a minute count and a few other fields.
std::shared_ptr<gis::FeatureLayer> MakeLayer(int index, int features) {
    auto workspace = std::make_shared<testing::MemoryWorkspace>("/memory/layer" + std::to_string(index));
    auto points = std::make_shared<testing::MemoryTestFeatureClass>("POINTS", workspace);
    workspace->Add("POINTS", points);
    gis::Column& id = points->Columns().AddField({"OBJECTID", "", gis::FieldType::OID});
    gis::Column& minutes = points->Columns().AddField({"TIMESTEP", "", gis::FieldType::Integer});
    gis::Column& speed = points->Columns().AddField({"SPEED", "", gis::FieldType::Double});
    gis::Column& direction = points->Columns().AddField({"DIR", "", gis::FieldType::Double});
    std::mt19937 random(static_cast<unsigned>(index + 1));
    std::uniform_int_distribution<int32_t> step(0, kSteps - 1);
    std::uniform_real_distribution<double> coordinate(0.0, 1000.0);
    for (int i = 0; i < features; ++i) {
        id.AppendInteger(i + 1);
        minutes.AppendInteger(kFirstMinute + step(random) * 60);
        speed.AppendReal(coordinate(random));
        direction.AppendReal(coordinate(random) * 0.36);
        points->AddPoint(coordinate(random), coordinate(random));
    }
    return std::make_shared<gis::FeatureLayer>(points, "Shapefile Feature Class", "Layer " + std::to_string(index));
}

// The host with the extension and the registry; the registry is process-wide state shared with other benchmarks.
struct Host {
    platform::ui::EventLoop loop;
    Host() {
        ResetGlobals();
        g_pApp = gis::Application::Create();
        g_pApp->AddExtension(std::make_shared<gis::Extension>("Chronova.ChronovaExt"));
        g_pChronovaData = std::make_shared<ChronovaData>(loop);
    }
    ~Host() { ResetGlobals(); }
    gis::Map& Map() { return *g_pApp->Document()->FocusMap(); }
};

void BM_DialogOpen_500Layers(benchmark::State& state) {
    Host host;
    for (int group_index = 0; group_index < 50; ++group_index) {
        auto group = std::make_shared<gis::GroupLayer>("Group " + std::to_string(group_index));
        for (int k = 0; k < 10; ++k) {
            auto layer = MakeLayer(group_index * 10 + k, 10);
            group->Add(layer);
            if (k == 0) {
                g_pChronovaData->AddShapefileLayer(layer, "TIMESTEP");
            }
        }
        host.Map().AddLayer(group);
    }
    for (auto _ : state) {
        frmTimedLayers dialog;
        dialog.Load();
        benchmark::DoNotOptimize(dialog.tv1.Nodes().Count());
        dialog.Unload();
    }
}
BENCHMARK(BM_DialogOpen_500Layers)->Unit(benchmark::kMillisecond);

void BM_DialogDone_1MPoints(benchmark::State& state) {
    Host host;
    auto layer = MakeLayer(0, 1000000);
    host.Map().AddLayer(layer);
    for (auto _ : state) {
        frmTimedLayers dialog;
        dialog.Load();
        auto node = dialog.tv1.Nodes().Item(1);
        dialog.tv1.UserCheck(node); // proposes TIMESTEP
        dialog.cmdButton[0].Press();
        benchmark::DoNotOptimize(g_Layers->Count());
        state.PauseTiming();
        g_pChronovaData->Clear();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_DialogDone_1MPoints)->Unit(benchmark::kMillisecond);

void BM_Baseline_RegisterDirectly_1MPoints(benchmark::State& state) {
    Host host;
    auto layer = MakeLayer(0, 1000000);
    host.Map().AddLayer(layer);
    for (auto _ : state) {
        g_pChronovaData->AddShapefileLayer(layer, "TIMESTEP");
        g_pChronovaData->Update();
        benchmark::DoNotOptimize(g_Layers->Count());
        state.PauseTiming();
        g_pChronovaData->Clear();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_Baseline_RegisterDirectly_1MPoints)->Unit(benchmark::kMillisecond);

void BM_DialogReopenUnchangedDone_1MPoints(benchmark::State& state) {
    Host host;
    auto layer = MakeLayer(0, 1000000);
    host.Map().AddLayer(layer);
    g_pChronovaData->AddShapefileLayer(layer, "TIMESTEP");
    g_pChronovaData->Update();
    for (auto _ : state) {
        frmTimedLayers dialog;
        dialog.Load();
        dialog.cmdButton[0].Press();
        benchmark::DoNotOptimize(g_Layers->Count());
    }
}
BENCHMARK(BM_DialogReopenUnchangedDone_1MPoints)->Unit(benchmark::kMillisecond);

void BM_Baseline_ReRegister_1MPoints(benchmark::State& state) {
    Host host;
    auto layer = MakeLayer(0, 1000000);
    host.Map().AddLayer(layer);
    g_pChronovaData->AddShapefileLayer(layer, "TIMESTEP");
    g_pChronovaData->Update();
    for (auto _ : state) {
        g_pChronovaData->RemoveLayer(layer);
        g_pChronovaData->AddShapefileLayer(layer, "TIMESTEP");
        g_pChronovaData->Update();
        benchmark::DoNotOptimize(g_Layers->Count());
    }
}
BENCHMARK(BM_Baseline_ReRegister_1MPoints)->Unit(benchmark::kMillisecond);

} // namespace
