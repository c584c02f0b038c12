// Loading a layer of generated points the way a project open does, until the first frame can be drawn: the
// shapes and the time values of the time field. Each iteration runs in a forked child process, so every load
// starts from a process that has read nothing yet, and the child's peak resident memory over its memory before
// the load is reported per point (bytes_per_point). The full read of every field (the old path) runs in the same
// binary as the baseline, and so does the project open with the column cache off.
//
//   chronova_load_bench --benchmark_filter=Load --benchmark_repetitions=3
//
// CHRONOVA_LOAD_BENCH_POINTS=1000000,5000000 picks the sizes (default 1,000,000).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "gis/data/column_table.h"
#include "gis/data/time_values.h"
#include "gis/ogr/column_cache.h"
#include "gis/ogr/columnar_reader.h"
#include "gis/ogr/ogr_workspace.h"
#include "points_data.h"

using namespace chronova;

namespace {

struct ChildResult {
    double seconds = 0.0;
    double cpu_seconds = 0.0;    // user and system time of all the child's threads
    int64_t peak_over_start = 0; // bytes
    int64_t rows = 0;
};

// What the first frame needs of a loaded layer: its shapes and the times of its time field.
int64_t TouchFirstFrameData(const gis::ColumnTable& table, const gis::GeometryColumn& shapes) {
    const int32_t when = table.FindField("WHEN");
    if (when < 0) {
        return -1;
    }
    const gis::TimeValues& times = table.TimesOf(static_cast<size_t>(when), platform::TimeReading{});
    benchmark::DoNotOptimize(shapes.X.data());
    return static_cast<int64_t>(std::min(times.Times().size(), shapes.FeatureCount()));
}

int64_t LoadFull(const std::string& path) {
    const gis::LayerContents contents = gis::ReadLayer(path, "points", {});
    return TouchFirstFrameData(*contents.Data, *contents.Shapes);
}

int64_t LoadAsProjectOpens(const std::string& path) {
    auto workspace = gis::OpenWorkspace(path);
    auto points = workspace->OpenFeatureClass("points");
    const auto shapes = points->Shapes();
    return TouchFirstFrameData(*points->Data(), *shapes);
}

// A project open that decodes the file, with the column cache off.
int64_t LoadAsProjectOpensUncached(const std::string& path) {
    ::setenv("CHRONOVA_COLUMN_CACHE", "off", 1);
    return LoadAsProjectOpens(path);
}

// A project open that finds the layer in the column cache (BM_LoadCached fills it first).
int64_t LoadAsProjectOpensCached(const std::string& path) {
    return LoadAsProjectOpens(path);
}

// A project open that writes the column cache, waiting for the write.
int64_t FillColumnCache(const std::string& path) {
    const int64_t rows = LoadAsProjectOpens(path);
    gis::WaitForColumnCacheWrites();
    return rows;
}

// Runs load in a forked child and returns its wall time, peak memory growth and rows loaded.
template <class Load>
ChildResult RunInChild(const std::string& path, Load load) {
    return bench::InChild<ChildResult>([&] {
        ChildResult result;
        const int64_t before = bench::ResidentBytes();
        rusage start_usage{};
        ::getrusage(RUSAGE_SELF, &start_usage);
        const double cpu_before =
            static_cast<double>(start_usage.ru_utime.tv_sec + start_usage.ru_stime.tv_sec) +
            static_cast<double>(start_usage.ru_utime.tv_usec + start_usage.ru_stime.tv_usec) / 1e6;
        const auto start = std::chrono::steady_clock::now();
        result.rows = load(path);
        result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        result.peak_over_start = bench::PeakResidentBytes() - before;
        rusage usage{};
        ::getrusage(RUSAGE_SELF, &usage);
        result.cpu_seconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                             static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6 - cpu_before;
        return result;
    });
}

template <class Load>
void BM_Load(benchmark::State& state, Load load) {
    const int64_t points = state.range(0);
    const bench::PointsData data = bench::PointsGeoPackage(points);
    const std::string path = data.GeoPackage.string();
    ChildResult last;
    for (auto _ : state) {
        last = RunInChild(path, load);
        if (last.rows != points) {
            state.SkipWithError("the child did not load every point");
            break;
        }
        state.SetIterationTime(last.seconds);
    }
    state.counters["bytes_per_point"] =
        benchmark::Counter(static_cast<double>(last.peak_over_start) / static_cast<double>(points));
    state.counters["cpu_ms"] = benchmark::Counter(last.cpu_seconds * 1e3);
    state.counters["peak_MB"] = benchmark::Counter(static_cast<double>(last.peak_over_start) / 1e6);
}

// Loads with a column cache of its own, filled by a first load outside the timing.
void BM_LoadCached(benchmark::State& state) {
    const bench::PointsData data = bench::PointsGeoPackage(state.range(0));
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "chronova-load-bench-columns";
    std::filesystem::remove_all(folder);
    ::setenv("CHRONOVA_COLUMN_CACHE_FOLDER", folder.c_str(), 1);
    RunInChild(data.GeoPackage.string(), FillColumnCache);
    BM_Load(state, LoadAsProjectOpensCached);
    ::unsetenv("CHRONOVA_COLUMN_CACHE_FOLDER");
    std::filesystem::remove_all(folder);
}

void Sizes(benchmark::internal::Benchmark* benchmark) {
    const char* sizes = std::getenv("CHRONOVA_LOAD_BENCH_POINTS");
    std::string list = sizes != nullptr && *sizes != '\0' ? sizes : "1000000";
    size_t begin = 0;
    while (begin < list.size()) {
        const size_t end = std::min(list.find(',', begin), list.size());
        benchmark->Arg(std::stoll(list.substr(begin, end - begin)));
        begin = end + 1;
    }
    benchmark->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);
}

// The old path: every field of every row, then the time values.
BENCHMARK_CAPTURE(BM_Load, FullRead, LoadFull)->Apply(Sizes);
// A project open: the workspace's feature class, its shapes and the time field, decoded from the file.
BENCHMARK_CAPTURE(BM_Load, ProjectOpen, LoadAsProjectOpensUncached)->Apply(Sizes);
// The same open of a layer read before: from the column cache.
BENCHMARK(BM_LoadCached)->Apply(Sizes);

} // namespace

BENCHMARK_MAIN();
