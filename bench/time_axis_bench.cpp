// The slider's axis: the smallest gap between the layers' starts, which decides the step when no layer has an
// interval of its own. Beside it, the obvious baseline: walk from start to start, scanning every layer for the next
// later start each time (quadratic in the number of layers).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <limits>
#include <random>
#include <vector>

#include "slider/time_axis.h"

using namespace chronova;

namespace {

// Layer starts spread over a year in whole minutes, in registry (random) order.
std::vector<int32_t> LayerStarts(int64_t count) {
    std::mt19937 random(7);
    std::uniform_int_distribution<int32_t> minute(56000000, 56000000 + 525600);
    std::vector<int32_t> starts(static_cast<size_t>(count));
    for (auto& start : starts) {
        start = minute(random);
    }
    return starts;
}

int32_t SmallestGapByRescanning(int32_t from, const std::vector<int32_t>& starts) {
    int32_t smallest = 0;
    int32_t previous = from;
    for (;;) {
        int32_t next = std::numeric_limits<int32_t>::max();
        for (const int32_t start : starts) {
            if (start > previous && start < next) {
                next = start;
            }
        }
        if (next == std::numeric_limits<int32_t>::max()) {
            return smallest;
        }
        if (smallest == 0 || next - previous < smallest) {
            smallest = next - previous;
        }
        previous = next;
    }
}

void BM_SmallestStartGap(benchmark::State& state) {
    const auto starts = LayerStarts(state.range(0));
    for (auto _ : state) {
        benchmark::DoNotOptimize(TimeAxis::SmallestStartGap(56000000, starts));
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_SmallestStartGap)->Arg(10)->Arg(1000)->Arg(10000);

void BM_SmallestStartGapBaselineRescan(benchmark::State& state) {
    const auto starts = LayerStarts(state.range(0));
    for (auto _ : state) {
        benchmark::DoNotOptimize(SmallestGapByRescanning(56000000, starts));
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_SmallestStartGapBaselineRescan)->Arg(10)->Arg(1000)->Arg(10000);

} // namespace
