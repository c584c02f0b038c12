// Ten million generated points (bench/points_data.h, 1,000 hourly steps, about 10,000 points a step), loaded once
// as a project opens them, then stepped and drawn the way the slider does:
//
//   BM_Scale_Step                   the time filter applied to the layer for the next step (UpdateLayer) and the
//                                   rows it then shows (VisibleFeatures), from the layer's time order;
//   BM_Scale_Step_Baseline_Scan     the same rows found by comparing the time of every row with the step;
//   BM_Scale_Frame                  a frame of one step's points drawn at 1024 x 768 (the step itself untimed);
//   BM_Scale_StepAndFrame           both, as one slider move costs;
//   BM_Scale_StepAndFrame_Baseline_Scan
//                                   the step's rows found by the scan and the same points drawn.
//
// BM_StepDiscoveryMemory/{0,1} runs in a forked child that loads the points and discovers the layer's steps:
// 0 the old way (the distinct values of the field through its sorted index), 1 the way the time layer does now
// (through the field's times, which the time filter reads too). Counter bytes_per_point: the child's peak
// resident memory over its memory before the discovery, per point; the time is the discovery's alone.
// BM_OpenMemory/shared_heaps:{0,1} opens the points as a project does, up to its first step, in a forked child
// with the C library's heap per thread (0) or the shared heaps chronova and chronova-desktop set up (1); the
// column cache is off, so the file is decoded. Counter bytes_per_point: the peak over the child's memory at the
// start, per point.
//
//   chronova_scale_bench --benchmark_repetitions=3 --benchmark_report_aggregates_only=true
//
// CHRONOVA_SCALE_BENCH_POINTS picks the size (default 10,000,000); CHRONOVA_SCALE_MEMORY_POINTS the size of the
// memory cases (default 5,000,000).
#include <benchmark/benchmark.h>

#include "gui_application.h"

#include <QImage>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

#include "gis/data/column_table.h"
#include "gis/data/statistics.h"
#include "gis/data/time_values.h"
#include "gis/drawing/map_drawer.h"
#include "gis/layers/feature_layer.h"
#include "gis/map/map.h"
#include "gis/ogr/ogr_workspace.h"
#include "platform/conversions.h"
#include "platform/heap_arenas.h"
#include "points_data.h"
#include "records/layer_data.h"
#include "registry/globals.h"
#include "timeapply/arc_objects.h"
#include "timeapply/mod_layers.h"

using namespace chronova;

namespace {

const QSize kFrame(1024, 768);

int64_t SizeFrom(const char* variable, int64_t fallback) {
    const char* text = std::getenv(variable);
    return text != nullptr && *text != '\0' ? std::stoll(text) : fallback;
}

std::shared_ptr<gis::FeatureLayer> OpenPointsLayer(const bench::PointsData& data) {
    auto workspace = gis::OpenWorkspace(data.GeoPackage.string());
    auto points = workspace->OpenFeatureClass("points");
    return std::make_shared<gis::FeatureLayer>(points, "GeoPackage Feature Class", "Points");
}

// The points loaded once for every timing case, registered as a time layer on WHEN, with a map and a drawer.
struct ScaleSetup {
    bench::PointsData data;
    std::shared_ptr<gis::FeatureLayer> layer;
    LayerData record;
    std::vector<platform::Date> steps;
    std::shared_ptr<gis::Map> map = std::make_shared<gis::Map>();
    std::unique_ptr<gis::MapDrawer> drawer;
    size_t when = 0;

    ScaleSetup() : data(bench::PointsGeoPackage(SizeFrom("CHRONOVA_SCALE_BENCH_POINTS", 10'000'000))) {
        bench::EnsureGuiApplication();
        ResetGlobals();
        layer = OpenPointsLayer(data);
        record.TheLayer = layer;
        record.TimeStepField = "WHEN";
        record.IncludesTimeSteps = true;
        if (!ArcObjects::RetrieveTimeInfo(&record) || record.TimeStepsCount() == 0) {
            throw std::runtime_error("no time steps in " + data.GeoPackage.string());
        }
        for (int32_t i = 1; i <= record.TimeStepsCount(); ++i) {
            steps.push_back(platform::CDate(record.TimeSteps(i)));
        }
        when = static_cast<size_t>(layer->FeatureClass()->Data()->FindField("WHEN"));
        map->AddLayer(layer);
        drawer = std::make_unique<gis::MapDrawer>(map);
        // The time order is built on the first step, as when a project opens; the cases time the steps after.
        Step(0);
        drawer->Draw(kFrame);
    }

    void Step(size_t step) { modLayers::UpdateLayer(record, steps[step % steps.size()]); }

    // The rows of a step found by comparing every row's time with it, ascending.
    gis::RowIds ScanStep(size_t step) const {
        const gis::Column& times = layer->FeatureClass()->Data()->ColumnAt(when);
        const double wanted = steps[step % steps.size()].Serial();
        gis::RowIds rows;
        rows.reserve(times.Size() / steps.size() * 2);
        for (size_t row = 0; row < times.Size(); ++row) {
            if (!times.IsNull(row) && times.Real(row) == wanted) {
                rows.push_back(static_cast<uint32_t>(row));
            }
        }
        return rows;
    }
};

ScaleSetup& Setup() {
    static ScaleSetup setup;
    return setup;
}

void BM_Scale_Step(benchmark::State& state) {
    ScaleSetup& setup = Setup();
    size_t step = 1;
    size_t shown = 0;
    for (auto _ : state) {
        setup.Step(step++);
        shown += setup.layer->VisibleFeatures()->size();
    }
    state.counters["features/step"] = static_cast<double>(shown) / static_cast<double>(state.iterations());
    state.counters["points"] = static_cast<double>(setup.data.Points);
}
BENCHMARK(BM_Scale_Step)->Unit(benchmark::kMicrosecond);

void BM_Scale_Step_Baseline_Scan(benchmark::State& state) {
    ScaleSetup& setup = Setup();
    size_t step = 1;
    size_t shown = 0;
    for (auto _ : state) {
        shown += setup.ScanStep(step++).size();
    }
    state.counters["features/step"] = static_cast<double>(shown) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_Scale_Step_Baseline_Scan)->Unit(benchmark::kMicrosecond);

// Pixels of a frame that are not the white background: a check that the points were drawn at all.
double PaintedPixels(const QImage& frame) {
    const QImage pixels = frame.convertToFormat(QImage::Format_RGB32);
    int64_t painted = 0;
    for (int y = 0; y < pixels.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(pixels.constScanLine(y));
        for (int x = 0; x < pixels.width(); ++x) {
            painted += (line[x] & 0xFFFFFFU) != 0xFFFFFFU ? 1 : 0;
        }
    }
    return static_cast<double>(painted);
}

void BM_Scale_Frame(benchmark::State& state) {
    ScaleSetup& setup = Setup();
    size_t step = 1;
    for (auto _ : state) {
        state.PauseTiming();
        setup.Step(step++);
        setup.layer->VisibleFeatures();
        state.ResumeTiming();
        benchmark::DoNotOptimize(setup.drawer->Draw(kFrame).constBits());
    }
    state.counters["painted_pixels"] = PaintedPixels(setup.drawer->Frame());
}
BENCHMARK(BM_Scale_Frame)->Unit(benchmark::kMillisecond);

void BM_Scale_StepAndFrame(benchmark::State& state) {
    ScaleSetup& setup = Setup();
    size_t step = 1;
    for (auto _ : state) {
        setup.Step(step++);
        benchmark::DoNotOptimize(setup.drawer->Draw(kFrame).constBits());
    }
}
BENCHMARK(BM_Scale_StepAndFrame)->Unit(benchmark::kMillisecond);

// The rows found by the scan are given to the layer as its time selection, so the drawing is the same.
void BM_Scale_StepAndFrame_Baseline_Scan(benchmark::State& state) {
    ScaleSetup& setup = Setup();
    setup.layer->DefinitionExpression("");
    size_t step = 1;
    for (auto _ : state) {
        setup.layer->TimeSelection(std::make_shared<const gis::RowIds>(setup.ScanStep(step++)));
        benchmark::DoNotOptimize(setup.drawer->Draw(kFrame).constBits());
    }
    state.counters["painted_pixels"] = PaintedPixels(setup.drawer->Frame());
    setup.layer->TimeSelection(nullptr);
    setup.Step(0);
}
BENCHMARK(BM_Scale_StepAndFrame_Baseline_Scan)->Unit(benchmark::kMillisecond);

// What a forked child measured: its peak resident memory over its memory at a starting point.
struct MemoryResult {
    int64_t growth = 0; // bytes
    int64_t steps = 0;
    double seconds = 0.0; // of the work measured alone
};

void ResetPeakResident() {
    std::ofstream("/proc/self/clear_refs") << "5"; // VmHWM back to the resident memory now
}

// Runs work in a forked child, so that its memory is its own and nothing of an earlier case stays.
template <class Work>
MemoryResult RunInChild(Work work) {
    return bench::InChild<MemoryResult>(work);
}

// Registers the points as a time layer on WHEN, which finds its steps as the time layer finds them.
int64_t DiscoverSteps(const std::shared_ptr<gis::FeatureLayer>& layer, LayerData& record) {
    ResetGlobals();
    record.TheLayer = layer;
    record.TimeStepField = "WHEN";
    record.IncludesTimeSteps = true;
    ArcObjects::RetrieveTimeInfo(&record);
    return record.TimeStepsCount();
}

void ReportMemory(benchmark::State& state, const bench::PointsData& data, const MemoryResult& last) {
    state.counters["bytes_per_point"] = static_cast<double>(last.growth) / static_cast<double>(data.Points);
    state.counters["peak_growth_MB"] = static_cast<double>(last.growth) / 1e6;
}

// 0: the distinct values through the field's sorted index (the old way); 1: as the time layer does now.
void BM_StepDiscoveryMemory(benchmark::State& state) {
    const bench::PointsData data = bench::PointsGeoPackage(SizeFrom("CHRONOVA_SCALE_MEMORY_POINTS", 5'000'000));
    const bool through_times = state.range(0) != 0;
    MemoryResult last;
    for (auto _ : state) {
        last = RunInChild([&] {
            MemoryResult result;
            const auto layer = OpenPointsLayer(data);
            const auto table = layer->FeatureClass()->Data();
            table->ColumnAt(static_cast<size_t>(table->FindField("WHEN")));
            ResetPeakResident();
            const int64_t before = bench::ResidentBytes();
            const auto start = std::chrono::steady_clock::now();
            LayerData record;
            result.steps =
                through_times ? DiscoverSteps(layer, record)
                              : static_cast<int64_t>(gis::UniqueValues(layer->FeatureClass()->Search(), "WHEN").size());
            result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            result.growth = bench::PeakResidentBytes() - before;
            return result;
        });
        if (last.steps != data.Steps) {
            state.SkipWithError("the child did not find every step");
            break;
        }
        state.SetIterationTime(last.seconds);
    }
    ReportMemory(state, data, last);
}
BENCHMARK(BM_StepDiscoveryMemory)->Arg(0)->Arg(1)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

// A project's open up to its first step, in a child with the C library's heap per thread (0) or with the shared
// heaps the programs set up (1, platform::LimitHeapArenas). The column cache is off, so the file is decoded.
void BM_OpenMemory(benchmark::State& state) {
    const bench::PointsData data = bench::PointsGeoPackage(SizeFrom("CHRONOVA_SCALE_MEMORY_POINTS", 5'000'000));
    const bool shared_heaps = state.range(0) != 0;
    MemoryResult last;
    for (auto _ : state) {
        last = RunInChild([&] {
            if (shared_heaps) {
                platform::LimitHeapArenas();
            }
            ::setenv("CHRONOVA_COLUMN_CACHE", "off", 1);
            MemoryResult result;
            const int64_t before = bench::ResidentBytes();
            const auto start = std::chrono::steady_clock::now();
            const auto layer = OpenPointsLayer(data);
            LayerData record;
            result.steps = DiscoverSteps(layer, record);
            modLayers::UpdateLayer(record, platform::CDate(record.TimeSteps(1)));
            benchmark::DoNotOptimize(layer->VisibleFeatures()->size());
            result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            result.growth = bench::PeakResidentBytes() - before;
            return result;
        });
        if (last.steps != data.Steps) {
            state.SkipWithError("the child did not find every step");
            break;
        }
        state.SetIterationTime(last.seconds);
    }
    ReportMemory(state, data, last);
}
BENCHMARK(BM_OpenMemory)
    ->ArgName("shared_heaps")
    ->Arg(0)
    ->Arg(1)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
