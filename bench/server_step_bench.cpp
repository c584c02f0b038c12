// A time layer over a PostgreSQL/PostGIS table of generated fixes (tests/support/test_database.h: 1,000 a step,
// hourly, an index on the time column), stepped and drawn the way the slider does, against the same rows read
// whole into memory from a GeoPackage copy of the table, the way a file is read. The program starts a throwaway
// cluster of its own (scripts/test-database.sh, its state in <build>/bench-database) and stops it at the end; the
// GeoPackage copies stay in the benchmark data folder (bench/README.md) between runs.
//
//   BM_ServerMemory/rows:N/server:S  in a forked child, a time layer opened on N rows, its steps found and 50 steps
//                                    shown (no drawing): S=1 from the server, S=0 from the GeoPackage read into
//                                    memory. Counter peak_growth_MB, the child's peak resident memory over its
//                                    memory at the start; from the server it should not grow with N.
//   BM_ServerStep/playback:P         one step, from the time filter setting the layer's definition expression to a
//                                    drawn 1024 x 768 frame: P=1 the next step, whose rows were fetched ahead;
//                                    P=0 a jump to a step far away, one query the time index answers.
//   BM_ServerStep_Baseline_InMemory/playback:P
//                                    the same steps over the GeoPackage copy in memory.
//
// Counters: rows_fetched/step (rows the server sent), features/step (rows drawn), frames_equal (1 when a few
// frames drawn from the server match those drawn from memory pixel for pixel).
//
//   chronova_server_bench --benchmark_repetitions=3 --benchmark_report_aggregates_only=true
//
// CHRONOVA_SERVER_BENCH_ROWS sets the table of the step cases (default 10,000,000); CHRONOVA_SERVER_MEMORY_ROWS
// the two sizes of the memory cases (default 1000000,10000000).
#include <benchmark/benchmark.h>

#include "gui_application.h"

#include <QImage>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include <gdal_utils.h>
#include <unistd.h>

#include "gis/data/server_table.h"
#include "gis/drawing/map_drawer.h"
#include "gis/layers/feature_layer.h"
#include "gis/map/map.h"
#include "gis/ogr/gdal_environment.h"
#include "gis/ogr/ogr_workspace.h"
#include "platform/conversions.h"
#include "points_data.h"
#include "records/layer_data.h"
#include "registry/globals.h"
#include "support/test_database.h"
#include "timeapply/arc_objects.h"
#include "timeapply/mod_layers.h"

using namespace chronova;

namespace {

const QSize kFrame(1024, 768);
constexpr int64_t kRowsPerStep = 1000;
constexpr int kShownSteps = 50;

double SecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

std::vector<int64_t> SizesFrom(const char* variable, const std::string& fallback) {
    const char* text = std::getenv(variable);
    std::istringstream list(text != nullptr && *text != '\0' ? text : fallback);
    std::vector<int64_t> sizes;
    for (std::string size; std::getline(list, size, ',');) {
        sizes.push_back(std::stoll(size));
    }
    return sizes;
}

int64_t StepRows() {
    return SizesFrom("CHRONOVA_SERVER_BENCH_ROWS", "10000000").front();
}

// The throwaway cluster of this run and a schema in it, with a table of fixes per size, loaded on first use.
class BenchDatabase {
public:
    BenchDatabase() {
        Run("start");
        database_ =
            std::make_unique<testing::TestDatabase>(std::filesystem::path(CHRONOVA_BENCH_DATABASE_DIR) / "connection");
    }
    ~BenchDatabase() {
        database_.reset();
        try {
            Run("stop");
        } catch (const std::exception& error) {
            std::fprintf(stderr, "%s\n", error.what());
        }
    }
    BenchDatabase(const BenchDatabase&) = delete;
    BenchDatabase& operator=(const BenchDatabase&) = delete;

    std::string Connection() const { return database_->ConnectionString(); }

    // The name of the table of `rows` fixes.
    std::string Table(int64_t rows) {
        std::string name = "fixes_" + std::to_string(rows);
        if (loaded_.emplace(rows, name).second) {
            const auto start = std::chrono::steady_clock::now();
            database_->LoadFixes({.name = name, .rows = rows, .rows_per_step = kRowsPerStep, .text_times = false});
            std::fprintf(stderr, "loaded %lld rows into the server in %.1f s\n", static_cast<long long>(rows),
                         SecondsSince(start));
        }
        return name;
    }

    // A GeoPackage copy of the table of `rows` fixes, layer "fixes", written on first use and kept between runs.
    std::filesystem::path GeoPackage(int64_t rows) {
        std::filesystem::path path = bench::DataFolder() / ("fixes-" + std::to_string(rows) + ".gpkg");
        std::error_code ignored;
        if (std::filesystem::exists(path, ignored)) {
            return path;
        }
        const std::string table = Table(rows);
        std::filesystem::create_directories(path.parent_path());
        const std::filesystem::path partial =
            path.parent_path() / (path.stem().string() + ".partial-" + std::to_string(::getpid()) + ".gpkg");
        const auto start = std::chrono::steady_clock::now();
        gis::RegisterGdalDrivers();
        GDALDatasetH source =
            GDALOpenEx(Connection().c_str(), GDAL_OF_VECTOR | GDAL_OF_READONLY, nullptr, nullptr, nullptr);
        if (source == nullptr) {
            throw std::runtime_error("cannot open the bench database: " + std::string(CPLGetLastErrorMsg()));
        }
        const std::vector<std::string> words = {"-f", "GPKG", "-nln", "fixes", "-gt", "100000", table};
        std::vector<char*> arguments;
        arguments.reserve(words.size() + 1);
        for (const std::string& word : words) {
            arguments.push_back(const_cast<char*>(word.c_str()));
        }
        arguments.push_back(nullptr);
        GDALVectorTranslateOptions* options = GDALVectorTranslateOptionsNew(arguments.data(), nullptr);
        int failed = 0;
        GDALDatasetH copy = GDALVectorTranslate(partial.c_str(), nullptr, 1, &source, options, &failed);
        GDALVectorTranslateOptionsFree(options);
        GDALClose(source);
        if (copy == nullptr || failed != 0) {
            std::filesystem::remove(partial, ignored);
            throw std::runtime_error("cannot copy " + table + " to " + partial.string() + ": " + CPLGetLastErrorMsg());
        }
        GDALClose(copy);
        std::filesystem::rename(partial, path);
        std::fprintf(stderr, "copied %lld rows to %s in %.1f s\n", static_cast<long long>(rows), path.c_str(),
                     SecondsSince(start));
        return path;
    }

private:
    static void Run(const std::string& action) {
        const std::string command = std::string("'") + CHRONOVA_DATABASE_SCRIPT + "' " + action + " '" +
                                    CHRONOVA_BENCH_DATABASE_DIR + "' >/dev/null";
        if (std::system(command.c_str()) != 0) {
            throw std::runtime_error(command + " failed");
        }
    }

    std::unique_ptr<testing::TestDatabase> database_;
    std::map<int64_t, std::string> loaded_;
};

BenchDatabase& Database() {
    static BenchDatabase database;
    return database;
}

// A time layer on fix_time over a feature class, with a map and a drawer of its own.
struct TimeLayer {
    std::shared_ptr<gis::FeatureLayer> layer;
    LayerData record;
    std::vector<platform::Date> steps;
    std::shared_ptr<gis::Map> map = std::make_shared<gis::Map>();
    std::unique_ptr<gis::MapDrawer> drawer;
    std::optional<gis::Envelope> extent; // the layer's own when unset

    TimeLayer(const std::string& workspace, const std::string& feature_class) {
        auto source = gis::OpenWorkspace(workspace)->OpenFeatureClass(feature_class);
        const std::string type = gis::DataSourceTypeOf(*source);
        layer = std::make_shared<gis::FeatureLayer>(source, type, "Fixes");
        record.TheLayer = layer;
        record.TimeStepField = "fix_time";
        record.IncludesTimeSteps = true;
        if (!ArcObjects::RetrieveTimeInfo(&record) || record.TimeStepsCount() == 0) {
            throw std::runtime_error("no time steps in " + feature_class + " of " + workspace);
        }
        steps.reserve(static_cast<size_t>(record.TimeStepsCount()));
        for (int32_t i = 1; i <= record.TimeStepsCount(); ++i) {
            steps.push_back(platform::CDate(record.TimeSteps(i)));
        }
        map->AddLayer(layer);
        drawer = std::make_unique<gis::MapDrawer>(map);
    }

    void Step(size_t step) { modLayers::UpdateLayer(record, steps[step % steps.size()]); }
    const QImage& Frame(size_t step) {
        Step(step);
        drawer->Draw(kFrame, extent);
        return drawer->Frame();
    }
    uint64_t RowsFetched() const {
        const auto* server = dynamic_cast<const gis::IServerTable*>(layer->FeatureClass().get());
        return server != nullptr ? server->RowsFetched() : 0;
    }
};

// The same table on the server and read into memory from its GeoPackage copy.
struct StepSetup {
    std::unique_ptr<TimeLayer> server;
    std::unique_ptr<TimeLayer> memory;
    bool frames_equal = true;

    StepSetup() {
        bench::EnsureGuiApplication();
        ResetGlobals();
        const int64_t rows = StepRows();
        const std::string table = Database().Table(rows);
        const std::filesystem::path copy = Database().GeoPackage(rows);
        auto start = std::chrono::steady_clock::now();
        server = std::make_unique<TimeLayer>(Database().Connection(), table);
        std::fprintf(stderr, "server layer of %lld rows: %zu steps found in %.1f s\n", static_cast<long long>(rows),
                     server->steps.size(), SecondsSince(start));
        start = std::chrono::steady_clock::now();
        memory = std::make_unique<TimeLayer>(copy.string(), "fixes");
        std::fprintf(stderr, "in-memory layer of %lld rows: read, %zu steps found in %.1f s\n",
                     static_cast<long long>(rows), memory->steps.size(), SecondsSince(start));
        if (server->steps.size() != memory->steps.size()) {
            throw std::runtime_error("the server and the GeoPackage copy have different steps");
        }
        // Like with like: one symbol, and one extent.
        server->layer->Renderer(memory->layer->Renderer());
        server->extent = memory->extent = memory->layer->FeatureClass()->Extent();
        for (const size_t step : {size_t{0}, size_t{1}, server->steps.size() / 2, server->steps.size() - 1}) {
            frames_equal = frames_equal && server->Frame(step) == memory->Frame(step);
        }
    }
};

StepSetup& Steps() {
    static StepSetup setup;
    return setup;
}

// The step after `step` in a playback, or one far from it for a jump (a stride prime to the count of steps, so a
// run visits every step before it repeats one and the cache of fetched rows does not answer it).
size_t NextStep(size_t step, bool playback, size_t count) {
    return (step + (playback ? 1 : 7919)) % count;
}

void TimeSteps(benchmark::State& state, TimeLayer& layer, size_t& step) {
    const bool playback = state.range(0) != 0;
    const uint64_t fetched_before = layer.RowsFetched();
    size_t shown = 0;
    for (auto _ : state) {
        step = NextStep(step, playback, layer.steps.size());
        layer.Step(step);
        benchmark::DoNotOptimize(layer.drawer->Draw(kFrame, layer.extent).constBits());
        shown += layer.layer->VisibleFeatures()->size();
    }
    const auto iterations = static_cast<double>(state.iterations());
    state.counters["features/step"] = static_cast<double>(shown) / iterations;
    state.counters["rows_fetched/step"] = static_cast<double>(layer.RowsFetched() - fetched_before) / iterations;
    state.counters["frames_equal"] = Steps().frames_equal ? 1.0 : 0.0;
}

void BM_ServerStep(benchmark::State& state) {
    // Kept between repetitions, so that jumps keep reaching steps the cache has not seen.
    static size_t step = 0;
    TimeSteps(state, *Steps().server, step);
}

void BM_ServerStep_Baseline_InMemory(benchmark::State& state) {
    static size_t step = 0;
    TimeSteps(state, *Steps().memory, step);
}

struct MemoryResult {
    int64_t growth = 0; // bytes
    int64_t steps = 0;
    double seconds = 0.0;
};

void BM_ServerMemory(benchmark::State& state) {
    const int64_t rows = state.range(0);
    const bool from_server = state.range(1) != 0;
    const std::string workspace = from_server ? Database().Connection() : Database().GeoPackage(rows).string();
    const std::string feature_class = from_server ? Database().Table(rows) : "fixes";
    MemoryResult last;
    for (auto _ : state) {
        last = bench::InChild<MemoryResult>([&] {
            MemoryResult result;
            std::ofstream("/proc/self/clear_refs") << "5"; // the peak back to the memory now
            const int64_t before = bench::ResidentBytes();
            const auto start = std::chrono::steady_clock::now();
            ResetGlobals();
            TimeLayer layer(workspace, feature_class);
            for (int step = 0; step < kShownSteps; ++step) {
                layer.Step(static_cast<size_t>(step));
                benchmark::DoNotOptimize(layer.layer->VisibleFeatures()->size());
            }
            result.steps = static_cast<int64_t>(layer.steps.size());
            result.seconds = SecondsSince(start);
            result.growth = bench::PeakResidentBytes() - before;
            return result;
        });
        if (last.steps != (rows + kRowsPerStep - 1) / kRowsPerStep) {
            state.SkipWithError("the child did not find every step");
            break;
        }
        state.SetIterationTime(last.seconds);
    }
    state.counters["peak_growth_MB"] = static_cast<double>(last.growth) / 1e6;
}

void MemoryArguments(benchmark::internal::Benchmark* benchmark) {
    for (const int64_t rows : SizesFrom("CHRONOVA_SERVER_MEMORY_ROWS", "1000000,10000000")) {
        for (const int64_t server : {1, 0}) {
            benchmark->Args({rows, server});
        }
    }
}

// The memory cases first: their children fork from a process that holds no layer yet.
BENCHMARK(BM_ServerMemory)
    ->ArgNames({"rows", "server"})
    ->Apply(MemoryArguments)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ServerStep)->ArgName("playback")->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ServerStep_Baseline_InMemory)->ArgName("playback")->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
