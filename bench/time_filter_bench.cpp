// One time step of a large layer: the filter the system writes, and the features the layer then draws.
// Each case runs beside its obvious baseline (a scan of every row) so the figures compare within one run.
#include <benchmark/benchmark.h>

#include <memory>
#include <random>

#include "datetime/mod_date_time.h"
#include "gis/layers/feature_layer.h"
#include "records/layer_data.h"
#include "registry/globals.h"
#include "support/memory_data.h"
#include "timeapply/arc_objects.h"
#include "timeapply/mod_layers.h"

using namespace chronova;

namespace {

constexpr int32_t kFirstMinute = 56000000;
constexpr int32_t kSteps = 1000;

// A point layer of n features spread over 1,000 hourly steps in random order, with the step as a minute
// count (MINUTES) and as a date (WHEN).
struct LargeLayer {
    std::shared_ptr<testing::MemoryWorkspace> workspace = std::make_shared<testing::MemoryWorkspace>();
    std::shared_ptr<testing::MemoryTestFeatureClass> points;
    std::shared_ptr<gis::FeatureLayer> layer;

    explicit LargeLayer(int64_t n) {
        points = std::make_shared<testing::MemoryTestFeatureClass>("POINTS", workspace);
        workspace->Add("POINTS", points);
        gis::Column& minutes = points->Columns().AddField({"MINUTES", "", gis::FieldType::Integer});
        gis::Column& when = points->Columns().AddField({"WHEN", "", gis::FieldType::Date});
        std::mt19937 random(7);
        std::uniform_int_distribution<int32_t> step(0, kSteps - 1);
        for (int64_t i = 0; i < n; ++i) {
            const int32_t minute = kFirstMinute + step(random) * 60;
            minutes.AppendInteger(minute);
            when.AppendReal(modDateTime::MinutesToDate(minute).Serial());
            // Points on a grid 1000 wide: the whole division is the row.
            points->AddPoint(static_cast<double>(i % 1000),
                             static_cast<double>(i / 1000)); // NOLINT(bugprone-integer-division)
        }
        layer = std::make_shared<gis::FeatureLayer>(points, "Shapefile Feature Class", "Points");
    }
};

LargeLayer& MillionPoints() {
    static LargeLayer layer(1000000);
    return layer;
}

// UpdateLayer for the next step, then the features the layer draws (the index is built before timing).
void StepThrough(benchmark::State& state, const char* field) {
    ResetGlobals();
    LargeLayer& data = MillionPoints();
    LayerData record;
    record.TheLayer = data.layer;
    record.TimeStepField = field;
    record.IncludesTimeSteps = true;
    ArcObjects::RetrieveTimeInfo(&record);
    int32_t step = 0;
    size_t drawn = 0;
    modLayers::UpdateLayer(record, modDateTime::MinutesToDate(kFirstMinute));
    data.layer->VisibleFeatures();
    for (auto _ : state) {
        const platform::Date time = modDateTime::MinutesToDate(kFirstMinute + (step++ % kSteps) * 60);
        modLayers::UpdateLayer(record, time);
        drawn += data.layer->VisibleFeatures()->size();
    }
    state.counters["features/step"] = static_cast<double>(drawn) / static_cast<double>(state.iterations());
}

void BM_TimeStepMinuteField(benchmark::State& state) {
    StepThrough(state, "MINUTES");
}
BENCHMARK(BM_TimeStepMinuteField)->Unit(benchmark::kMicrosecond);

void BM_TimeStepDateField(benchmark::State& state) {
    StepThrough(state, "WHEN");
}
BENCHMARK(BM_TimeStepDateField)->Unit(benchmark::kMicrosecond);

// Baseline: compare every row's minute count with the step.
void BM_TimeStepScanBaseline(benchmark::State& state) {
    const auto& minutes = MillionPoints().points->Columns().ColumnAt(0).Integers();
    int32_t step = 0;
    for (auto _ : state) {
        const int32_t wanted = kFirstMinute + (step++ % kSteps) * 60;
        gis::RowIds rows;
        for (size_t row = 0; row < minutes.size(); ++row) {
            if (minutes[row] == wanted) {
                rows.push_back(static_cast<uint32_t>(row));
            }
        }
        benchmark::DoNotOptimize(rows.data());
    }
}
BENCHMARK(BM_TimeStepScanBaseline)->Unit(benchmark::kMicrosecond);

// Time step discovery over a million rows: the distinct values of the time field.
void BM_DiscoverSteps(benchmark::State& state) {
    ResetGlobals();
    LargeLayer& data = MillionPoints();
    for (auto _ : state) {
        LayerData record;
        record.TheLayer = data.layer;
        record.TimeStepField = "MINUTES";
        record.IncludesTimeSteps = true;
        benchmark::DoNotOptimize(ArcObjects::RetrieveTimeInfo(&record));
    }
}
BENCHMARK(BM_DiscoverSteps)->Unit(benchmark::kMillisecond);

} // namespace
