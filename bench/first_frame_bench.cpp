// The command line from process start to its first frame on generated points (bench/points_data.h), as a user
// runs it: `chronova render PROJECT --at TIME --out DIR` at 1024 x 768, timed from spawning the process to its
// exit, with the child's peak resident memory. Each case runs with a cache folder of its own
// (XDG_CACHE_HOME): "cold" starts every run from an empty one, "warm" from one a first run has filled.
//
// Counters: peak_MB is the child's peak resident memory; bytes_per_point is that peak less the peak of the same
// run on 1,000 points, divided by the points.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "points_data.h"

extern char** environ;

namespace {

std::filesystem::path ChronovaProgram() {
    return std::filesystem::read_symlink("/proc/self/exe").parent_path() / "chronova";
}

struct ChildRun {
    double Seconds = 0.0;
    int64_t PeakBytes = 0;
};

// Runs the command line once with the cache folder given, and fails the benchmark run when it fails.
ChildRun RunRender(const chronova::bench::PointsData& data, const std::filesystem::path& cache,
                   const std::filesystem::path& out) {
    std::vector<std::string> arguments = {ChronovaProgram().string(),
                                          "render",
                                          data.Project.string(),
                                          "--at",
                                          "2008-01-01 00:00",
                                          "--size",
                                          "1024x768",
                                          "--out",
                                          out.string(),
                                          "--quiet"};
    std::vector<char*> argv;
    argv.reserve(arguments.size() + 1);
    for (std::string& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    std::vector<std::string> variables;
    for (char** variable = environ; *variable != nullptr; ++variable) {
        if (std::string_view(*variable).rfind("XDG_CACHE_HOME=", 0) != 0) {
            variables.emplace_back(*variable);
        }
    }
    variables.push_back("XDG_CACHE_HOME=" + cache.string());
    variables.emplace_back("QT_QPA_PLATFORM=offscreen");
    std::vector<char*> envp;
    envp.reserve(variables.size() + 1);
    for (std::string& variable : variables) {
        envp.push_back(variable.data());
    }
    envp.push_back(nullptr);

    const auto start = std::chrono::steady_clock::now();
    // The command's report would interleave with the benchmark's table.
    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t child = 0;
    const int spawned = posix_spawn(&child, argv[0], &quiet, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&quiet);
    if (spawned != 0) {
        throw std::runtime_error("cannot start " + arguments[0]);
    }
    int status = 0;
    rusage usage{};
    if (wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        throw std::runtime_error("chronova render failed on " + data.Project.string());
    }
    ChildRun run;
    run.Seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.PeakBytes = static_cast<int64_t>(usage.ru_maxrss) * 1024;
    return run;
}

std::filesystem::path ScratchFolder(const std::string& name) {
    const char* base = std::getenv("TMPDIR");
    std::filesystem::path folder =
        std::filesystem::path(base != nullptr && *base != '\0' ? base : "/tmp") / ("chronova-first-frame-" + name);
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    return folder;
}

// The peak of a run on 1,000 points: what the process needs whatever the data.
int64_t ProcessBaseline() {
    static const int64_t baseline = [] {
        const chronova::bench::PointsData small = chronova::bench::PointsGeoPackage(1000);
        const std::filesystem::path cache = ScratchFolder("baseline-cache");
        return RunRender(small, cache, ScratchFolder("baseline-out")).PeakBytes;
    }();
    return baseline;
}

// points; warm (0 or 1)
void BM_ProcessToFirstFrame(benchmark::State& state) {
    const int64_t points = state.range(0);
    const bool warm = state.range(1) != 0;
    const chronova::bench::PointsData data = chronova::bench::PointsGeoPackage(points);
    const int64_t baseline = ProcessBaseline();
    const std::filesystem::path out = ScratchFolder("out");
    const std::filesystem::path cache = ScratchFolder("cache");
    if (warm) {
        RunRender(data, cache, out); // fills the cache
    }
    int64_t peak = 0;
    for (auto _ : state) {
        if (!warm) {
            state.PauseTiming();
            std::filesystem::remove_all(cache);
            std::filesystem::create_directories(cache);
            state.ResumeTiming();
        }
        const ChildRun run = RunRender(data, cache, out);
        state.SetIterationTime(run.Seconds);
        peak = std::max(peak, run.PeakBytes);
    }
    state.counters["peak_MB"] = static_cast<double>(peak) / 1e6;
    state.counters["bytes_per_point"] = static_cast<double>(peak - baseline) / static_cast<double>(points);
    std::filesystem::remove_all(cache);
    std::filesystem::remove_all(out);
}
BENCHMARK(BM_ProcessToFirstFrame)
    ->ArgNames({"points", "warm"})
    ->Args({1'000'000, 0})
    ->Args({1'000'000, 1})
    ->Args({5'000'000, 0})
    ->Args({5'000'000, 1})
    ->Args({10'000'000, 0})
    ->Iterations(3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

} // namespace
