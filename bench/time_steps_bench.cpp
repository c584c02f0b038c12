// Time steps of a layer: storing, sorting and finding the step of a time, and reading date texts.
// Each case runs beside its obvious baseline so the figures compare within one run.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <ctime>
#include <random>
#include <vector>

#include "datetime/mod_date_time.h"
#include "platform/date_text.h"
#include "records/layer_data.h"

using namespace chronova;

namespace {

std::vector<int32_t> ShuffledMinutes(int32_t n) {
    std::vector<int32_t> minutes(static_cast<size_t>(n));
    for (int32_t i = 0; i < n; ++i) {
        minutes[static_cast<size_t>(i)] = 56000000 + i * 60; // hourly steps from 2006 on
    }
    std::shuffle(minutes.begin(), minutes.end(), std::mt19937(42));
    return minutes;
}

void FillRecord(LayerData& record, const std::vector<int32_t>& minutes) {
    for (size_t i = 0; i < minutes.size(); ++i) {
        record.TimeSteps(static_cast<int32_t>(i + 1), platform::Variant(minutes[i]));
    }
}

// Store n steps in random order, then sort them with the first read.
void BM_StoreAndSortSteps(benchmark::State& state) {
    const auto minutes = ShuffledMinutes(static_cast<int32_t>(state.range(0)));
    for (auto _ : state) {
        LayerData record;
        FillRecord(record, minutes);
        benchmark::DoNotOptimize(record.TimeSteps(1));
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_StoreAndSortSteps)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond);

// Baseline: std::sort of (minute, value) pairs, no per-step conversion.
void BM_StdSortPairsBaseline(benchmark::State& state) {
    const auto minutes = ShuffledMinutes(static_cast<int32_t>(state.range(0)));
    for (auto _ : state) {
        std::vector<std::pair<int32_t, platform::Variant>> steps;
        steps.reserve(minutes.size());
        for (int32_t m : minutes) {
            steps.emplace_back(m, platform::Variant(m));
        }
        std::sort(steps.begin(), steps.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
        benchmark::DoNotOptimize(steps.data());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_StdSortPairsBaseline)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond);

// Random query times over the span of n hourly steps, made before timing starts.
std::vector<platform::Date> QueryTimes(int32_t n) {
    std::mt19937 random(7);
    std::uniform_int_distribution<int32_t> pick(56000000, 56000000 + n * 60);
    std::vector<platform::Date> times(1024);
    for (auto& time : times) {
        time = modDateTime::MinutesToDate(pick(random));
    }
    return times;
}

// The step of a time, as every layer update asks it.
void BM_FindTimeStep(benchmark::State& state) {
    const auto n = static_cast<int32_t>(state.range(0));
    LayerData record;
    FillRecord(record, ShuffledMinutes(n));
    const auto times = QueryTimes(n);
    size_t next = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(record.FindTimeStep(times[next++ & 1023]));
    }
}
BENCHMARK(BM_FindTimeStep)->Arg(1000)->Arg(100000);

// Baseline: the same minute number, then a scan from the first step, stopping at the first later one.
void BM_FindTimeStepLinearScanBaseline(benchmark::State& state) {
    const auto n = static_cast<int32_t>(state.range(0));
    auto minutes = ShuffledMinutes(n);
    std::sort(minutes.begin(), minutes.end());
    const auto times = QueryTimes(n);
    size_t next = 0;
    for (auto _ : state) {
        const int32_t m = modDateTime::DateToMinutes(times[next++ & 1023]);
        size_t k = 0;
        while (k < minutes.size() && minutes[k] <= m) {
            ++k;
        }
        benchmark::DoNotOptimize(k);
    }
}
BENCHMARK(BM_FindTimeStepLinearScanBaseline)->Arg(1000)->Arg(100000);

void BM_TextToMinutesDateText(benchmark::State& state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(modDateTime::TextToMinutes("3/5/2008 2:07:00 PM"));
    }
}
BENCHMARK(BM_TextToMinutesDateText);

void BM_TextToMinutesDtg(benchmark::State& state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(modDateTime::TextToMinutes("051407Z MAR 2008"));
    }
}
BENCHMARK(BM_TextToMinutesDtg);

// Baseline: the C library's fixed-format reader for the same date text.
void BM_StrptimeBaseline(benchmark::State& state) {
    for (auto _ : state) {
        std::tm tm{};
        benchmark::DoNotOptimize(strptime("3/5/2008 2:07:00 PM", "%m/%d/%Y %I:%M:%S %p", &tm));
        benchmark::DoNotOptimize(tm);
    }
}
BENCHMARK(BM_StrptimeBaseline);

} // namespace
