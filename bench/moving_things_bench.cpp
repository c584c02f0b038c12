// A million GPS-like fixes of 10,000 entities at arbitrary seconds over one day: a time window step answered
// as one range of the time order, and a track step (each entity's latest fix) answered by binary search per
// entity, each against the scan of every fix it replaces, in the same run.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "gis/data/time_values.h"
#include "gis/data/track_index.h"
#include "gis/sql/where_clause.h"
#include "platform/date_text.h"
#include "platform/locale.h"

using namespace chronova;

namespace {

constexpr int32_t kEntities = 10000;
constexpr int32_t kFixesPerEntity = 100;
const double kDay = platform::Date::FromParts(2024, 5, 1).Serial();

std::string Two(int value) {
    return (value < 10 ? "0" : "") + std::to_string(value);
}

// VAN (entity number), T (date) and TS (ISO text in UTC) of every fix, rows in random order.
struct Fixes {
    gis::ColumnTable table{"fixes"};
    platform::TimeReading utc{std::nullopt, platform::TimeZone::Utc()};

    Fixes() {
        std::mt19937 random(2024);
        std::uniform_int_distribution<int32_t> gap(1, 1700); // seconds between fixes: arbitrary, ~14 min mean
        struct Fix {
            int32_t entity;
            int32_t second;
        };
        std::vector<Fix> fixes;
        fixes.reserve(size_t{kEntities} * kFixesPerEntity);
        for (int32_t entity = 0; entity < kEntities; ++entity) {
            int32_t second = gap(random) % 600;
            for (int32_t fix = 0; fix < kFixesPerEntity; ++fix) {
                fixes.push_back({entity, second % 86400});
                second += gap(random) / 2;
            }
        }
        std::shuffle(fixes.begin(), fixes.end(), random);
        gis::Column& van = table.AddField({"VAN", "", gis::FieldType::Integer});
        gis::Column& time = table.AddField({"T", "", gis::FieldType::Date});
        gis::Column& text = table.AddField({"TS", "", gis::FieldType::String});
        for (const Fix& fix : fixes) {
            van.AppendInteger(fix.entity);
            time.AppendReal(kDay + fix.second / 86400.0);
            text.AppendText("2024-05-01T" + Two(fix.second / 3600) + ":" + Two(fix.second / 60 % 60) + ":" +
                            Two(fix.second % 60) + "Z");
        }
        // Indexes and times are built once per data set, at registration; the steps below use them warm.
        gis::WhereClause::Parse("T = #5/1/2024#").Select(table);
        gis::WhereClause::Parse("TS = #5/1/2024#").Select(table, utc);
    }
};

Fixes& Data() {
    static Fixes fixes;
    return fixes;
}

// The slider's minute for iteration i: one minute after another through the ten busiest hours.
double MinuteOf(int64_t i) {
    return kDay + static_cast<double>(i % 600 + 30) / 1440.0;
}

std::string Literal(double serial) {
    return "#" + platform::DateToText(platform::Date(serial)) + "#";
}

// One window step as a time layer takes it: the one-minute window's clause parsed and selected.
void WindowStep(benchmark::State& state, const std::string& field, const platform::TimeReading& reading) {
    Fixes& data = Data();
    int64_t i = 0;
    size_t shown = 0;
    for (auto _ : state) {
        const double from = MinuteOf(i++);
        const auto clause = gis::WhereClause::Parse(field + " >= " + Literal(from) + " AND " + field + " < " +
                                                    Literal(from + 1.0 / 1440.0));
        shown = clause.Select(data.table, reading).size();
        benchmark::DoNotOptimize(shown);
    }
    state.counters["fixes_shown"] = static_cast<double>(shown);
}

void BM_WindowStep_DateField(benchmark::State& state) {
    WindowStep(state, "T", {});
}
BENCHMARK(BM_WindowStep_DateField)->Unit(benchmark::kMillisecond);

void BM_WindowStep_IsoTextFieldInUtc(benchmark::State& state) {
    WindowStep(state, "TS", Data().utc);
}
BENCHMARK(BM_WindowStep_IsoTextFieldInUtc)->Unit(benchmark::kMillisecond);

// Baseline: a tight pass over every fix's time, the least any scan could cost.
void BM_WindowStep_ScanOfEveryFix(benchmark::State& state) {
    Fixes& data = Data();
    const std::vector<double>& times = data.table.ColumnAt(1).Reals();
    int64_t i = 0;
    for (auto _ : state) {
        const double from = MinuteOf(i++);
        const double to = from + 1.0 / 1440.0;
        gis::RowIds rows;
        for (size_t row = 0; row < times.size(); ++row) {
            if (times[row] >= from && times[row] < to) {
                rows.push_back(static_cast<uint32_t>(row));
            }
        }
        benchmark::DoNotOptimize(rows.data());
    }
}
BENCHMARK(BM_WindowStep_ScanOfEveryFix)->Unit(benchmark::kMillisecond);

void BM_TrackStep_LatestFixPerEntity(benchmark::State& state) {
    Fixes& data = Data();
    const gis::TrackIndex index(data.table.ColumnAt(0), data.table.TimesOf(1, {}));
    int64_t i = 0;
    size_t shown = 0;
    for (auto _ : state) {
        shown = index.LatestAt(MinuteOf(i++), 0.0).size();
        benchmark::DoNotOptimize(shown);
    }
    state.counters["entities_shown"] = static_cast<double>(shown);
}
BENCHMARK(BM_TrackStep_LatestFixPerEntity)->Unit(benchmark::kMillisecond);

void BM_TrackStep_WithFiveMinuteTrails(benchmark::State& state) {
    Fixes& data = Data();
    const gis::TrackIndex index(data.table.ColumnAt(0), data.table.TimesOf(1, {}));
    int64_t i = 0;
    for (auto _ : state) {
        const double time = MinuteOf(i++);
        benchmark::DoNotOptimize(index.LatestAt(time, 0.0).size());
        benchmark::DoNotOptimize(index.TrailsAt(time, 5.0 / 1440.0).size());
    }
}
BENCHMARK(BM_TrackStep_WithFiveMinuteTrails)->Unit(benchmark::kMillisecond);

// Baseline: one pass over every fix keeping each entity's latest fix at or before the time.
void BM_TrackStep_ScanOfEveryFix(benchmark::State& state) {
    Fixes& data = Data();
    const std::vector<int32_t>& vans = data.table.ColumnAt(0).Integers();
    const std::vector<double>& times = data.table.ColumnAt(1).Reals();
    int64_t i = 0;
    std::vector<int64_t> latest(kEntities);
    for (auto _ : state) {
        const double time = MinuteOf(i++);
        std::fill(latest.begin(), latest.end(), -1);
        for (size_t row = 0; row < times.size(); ++row) {
            const int64_t& best = latest[static_cast<size_t>(vans[row])];
            if (times[row] <= time && (best < 0 || times[row] > times[static_cast<size_t>(best)])) {
                latest[static_cast<size_t>(vans[row])] = static_cast<int64_t>(row);
            }
        }
        benchmark::DoNotOptimize(latest.data());
    }
}
BENCHMARK(BM_TrackStep_ScanOfEveryFix)->Unit(benchmark::kMillisecond);

// One-time costs at registration: reading a million ISO texts as times, and grouping fixes into tracks.
void BM_Registration_ReadIsoTextsAsTimes(benchmark::State& state) {
    Fixes& data = Data();
    for (auto _ : state) {
        const gis::TimeValues times(data.table.ColumnAt(2), data.utc);
        benchmark::DoNotOptimize(times.Order().data());
    }
}
BENCHMARK(BM_Registration_ReadIsoTextsAsTimes)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_Registration_BuildTrackIndex(benchmark::State& state) {
    Fixes& data = Data();
    for (auto _ : state) {
        const gis::TrackIndex index(data.table.ColumnAt(0), data.table.TimesOf(1, {}));
        benchmark::DoNotOptimize(index.EntityCount());
    }
}
BENCHMARK(BM_Registration_BuildTrackIndex)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace
