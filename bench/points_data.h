#pragma once

#include <cstdint>
#include <filesystem>
#include <type_traits>

#include <sys/wait.h>
#include <unistd.h>

namespace chronova::bench {

/// A GeoPackage of generated points with hourly times and the project that animates it.
struct PointsData {
    std::filesystem::path GeoPackage;
    std::filesystem::path Project;
    int64_t Points = 0;
    int Steps = 0;
};

/// Writes `points` points to a GeoPackage layer "points" (EPSG:4326): point i is at hour i % steps from
/// 2008-01-01 00:00 (field WHEN, a date-time), scattered over a 20-degree square by a fixed hash so that every
/// step covers the map, with an integer ID, a real SPEED and a text NAME as real data carries beside its time.
/// The file is written under another name and renamed, so an interrupted run leaves no half-written file.
void WritePointsGeoPackage(const std::filesystem::path& path, int64_t points, int steps);

/// Writes a project next to the GeoPackage: one time layer on WHEN, red 4-pixel markers, hourly interval.
void WritePointsProject(const std::filesystem::path& project, const std::filesystem::path& geopackage,
                        bool previous_steps = false);

/// The points data of that size in the benchmark data folder ($CHRONOVA_BENCH_DATA, else
/// $TMPDIR/chronova-bench-data), written on first use and kept between runs, since writing ten million points
/// takes minutes.
PointsData PointsGeoPackage(int64_t points, int steps = 1000);

/// The folder generated data is kept in between runs: $CHRONOVA_BENCH_DATA, else $TMPDIR/chronova-bench-data.
std::filesystem::path DataFolder();

/// The process's peak resident memory so far (VmHWM), in bytes.
int64_t PeakResidentBytes();
/// The process's resident memory now (VmRSS), in bytes.
int64_t ResidentBytes();

/// Runs work in a forked child and returns what it returned (a plain struct, sent back through a pipe), so that
/// its memory and its caches are its own; a default Result when the child could not run or report.
template <class Result, class Work>
Result InChild(Work work) {
    static_assert(std::is_trivially_copyable_v<Result>);
    int pipe_ends[2];
    if (::pipe(pipe_ends) != 0) {
        return {};
    }
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipe_ends[0]);
        const Result result = work();
        const ssize_t written = ::write(pipe_ends[1], &result, sizeof(result));
        ::_exit(written == static_cast<ssize_t>(sizeof(result)) ? 0 : 1);
    }
    ::close(pipe_ends[1]);
    Result result;
    if (child < 0 || ::read(pipe_ends[0], &result, sizeof(result)) != static_cast<ssize_t>(sizeof(result))) {
        result = {};
    }
    ::close(pipe_ends[0]);
    if (child > 0) {
        int status = 0;
        ::waitpid(child, &status, 0);
    }
    return result;
}

} // namespace chronova::bench
