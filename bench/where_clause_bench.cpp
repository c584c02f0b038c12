// Where clauses and time joins on a million rows: the sorted index against the row-by-row scan it replaces,
// and the inner join of one step's query table onto a million features. Baselines run in the same process
// so the figures compare within one run.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <unordered_map>

#include "datetime/mod_date_time.h"
#include "gis/data/joined_table.h"
#include "gis/data/query_table.h"
#include "gis/sql/where_clause.h"
#include "support/memory_data.h"

using namespace chronova;

namespace {

constexpr int32_t kRows = 1000000;
constexpr int32_t kSteps = 1000;
constexpr int32_t kFirstMinute = 56000000;
constexpr int32_t kMidMinute = kFirstMinute + kSteps / 2 * 60;

// The time table "Times" (T minute count, DTG text, FID_REF feature key: about 1,000 rows per step, in
// random order) and the feature class "Tracks" (FID 0 .. 999,999) in one workspace.
struct MillionRows {
    std::shared_ptr<testing::MemoryWorkspace> workspace = std::make_shared<testing::MemoryWorkspace>();
    std::shared_ptr<testing::MemoryTestTable> times;
    std::shared_ptr<testing::MemoryTestFeatureClass> tracks;

    MillionRows() {
        times = std::make_shared<testing::MemoryTestTable>("Times", workspace);
        gis::Column& minutes = times->Columns().AddField({"T", "", gis::FieldType::Integer});
        gis::Column& dtg = times->Columns().AddField({"DTG", "", gis::FieldType::String});
        gis::Column& key = times->Columns().AddField({"FID_REF", "", gis::FieldType::Integer});
        std::mt19937 random(11);
        std::uniform_int_distribution<int32_t> step(0, kSteps - 1);
        std::uniform_int_distribution<int32_t> feature(0, kRows - 1);
        for (int32_t row = 0; row < kRows; ++row) {
            const int32_t minute = kFirstMinute + step(random) * 60;
            minutes.AppendInteger(minute);
            dtg.AppendText(modDateTime::MinutesToDTG(minute));
            key.AppendInteger(feature(random));
        }
        workspace->Add("Times", times);
        tracks = std::make_shared<testing::MemoryTestFeatureClass>("Tracks", workspace);
        gis::Column& fid = tracks->Columns().AddField({"FID", "", gis::FieldType::Integer});
        for (int32_t row = 0; row < kRows; ++row) {
            fid.AppendInteger(row);
            tracks->AddPoint(row % 1000, row / 1000); // NOLINT(bugprone-integer-division): rows of a grid
        }
        workspace->Add("Tracks", tracks);
        // Indexes are built on first use and then kept; the figures below are for warmed indexes.
        gis::WhereClause::Parse("T = 0 AND DTG = '' AND FID_REF = 0").Select(*times->Data());
        gis::WhereClause::Parse("FID = 0").Select(*tracks->Data());
    }
};

MillionRows& Data() {
    static MillionRows data;
    return data;
}

void SelectIndexed(benchmark::State& state, const std::string& clause) {
    const auto table = Data().times->Data();
    const gis::WhereClause parsed = gis::WhereClause::Parse(clause);
    size_t rows = 0;
    for (auto _ : state) {
        rows = parsed.Select(*table).size();
        benchmark::DoNotOptimize(rows);
    }
    state.counters["rows"] = static_cast<double>(rows);
}

// The obvious baseline: ask every row whether it matches.
void SelectByMatches(benchmark::State& state, const std::string& clause) {
    const auto table = Data().times->Data();
    const gis::WhereClause parsed = gis::WhereClause::Parse(clause);
    size_t rows = 0;
    for (auto _ : state) {
        gis::RowIds selected;
        for (size_t row = 0; row < table->RowCount(); ++row) {
            if (parsed.Matches(*table, row)) {
                selected.push_back(static_cast<uint32_t>(row));
            }
        }
        rows = selected.size();
        benchmark::DoNotOptimize(rows);
    }
    state.counters["rows"] = static_cast<double>(rows);
}

const std::string kEqual = "T = " + std::to_string(kMidMinute);
const std::string kUpTo = "T <= " + std::to_string(kMidMinute);

void BM_EqualIndexed(benchmark::State& state) {
    SelectIndexed(state, kEqual);
}
BENCHMARK(BM_EqualIndexed)->Unit(benchmark::kMicrosecond);

void BM_EqualMatchesBaseline(benchmark::State& state) {
    SelectByMatches(state, kEqual);
}
BENCHMARK(BM_EqualMatchesBaseline)->Unit(benchmark::kMillisecond);

// The same answer through Select's own scan (NOT has no index path): the scan without per-row set-up.
void BM_EqualScanInSelect(benchmark::State& state) {
    SelectIndexed(state, "NOT T <> " + std::to_string(kMidMinute));
}
BENCHMARK(BM_EqualScanInSelect)->Unit(benchmark::kMillisecond);

void BM_UpToIndexed(benchmark::State& state) {
    SelectIndexed(state, kUpTo);
}
BENCHMARK(BM_UpToIndexed)->Unit(benchmark::kMillisecond);

void BM_UpToMatchesBaseline(benchmark::State& state) {
    SelectByMatches(state, kUpTo);
}
BENCHMARK(BM_UpToMatchesBaseline)->Unit(benchmark::kMillisecond);

void BM_DtgEqualIndexed(benchmark::State& state) {
    SelectIndexed(state, "DTG = '" + modDateTime::MinutesToDTG(kMidMinute) + "'");
}
BENCHMARK(BM_DtgEqualIndexed)->Unit(benchmark::kMicrosecond);

void BM_StepAndKeyIndexed(benchmark::State& state) {
    SelectIndexed(state, kEqual + " AND FID_REF < 500000");
}
BENCHMARK(BM_StepAndKeyIndexed)->Unit(benchmark::kMicrosecond);

// One time step of a joined layer: the step's query table, then its inner join onto the features.
void BM_QueryTableOfOneStep(benchmark::State& state) {
    MillionRows& data = Data();
    for (auto _ : state) {
        auto query = gis::OpenQueryTable(*data.workspace, {"T,FID_REF,DTG", "Times", kEqual}, "", "Times_QUERY");
        benchmark::DoNotOptimize(query.get());
    }
}
BENCHMARK(BM_QueryTableOfOneStep)->Unit(benchmark::kMicrosecond);

std::shared_ptr<gis::MemoryRelationshipClass> StepRelationship() {
    MillionRows& data = Data();
    auto relationship = std::make_shared<gis::MemoryRelationshipClass>();
    relationship->Origin = data.tracks;
    relationship->OriginKey = "FID";
    relationship->Destination =
        gis::OpenQueryTable(*data.workspace, {"T,FID_REF,DTG", "Times", kEqual}, "", "Times_QUERY");
    relationship->DestinationKey = "FID_REF";
    return relationship;
}

void BM_InnerJoinOfOneStep(benchmark::State& state) {
    const auto relationship = StepRelationship();
    size_t rows = 0;
    for (auto _ : state) {
        gis::JoinedTable joined(relationship, gis::JoinType::InnerJoin);
        rows = joined.FeatureRows().size();
        benchmark::DoNotOptimize(rows);
    }
    state.counters["rows"] = static_cast<double>(rows);
}
BENCHMARK(BM_InnerJoinOfOneStep)->Unit(benchmark::kMicrosecond);

// Baseline: a hash join that walks every feature and looks its key up among the step's records.
void BM_InnerJoinHashScanBaseline(benchmark::State& state) {
    const auto relationship = StepRelationship();
    const auto& features = relationship->Origin->Data()->ColumnAt(0);
    const auto& keys = relationship->Destination->Data()->ColumnAt(1);
    size_t rows = 0;
    for (auto _ : state) {
        std::unordered_map<int32_t, uint32_t> first_record;
        for (size_t row = 0; row < keys.Size(); ++row) {
            first_record.emplace(keys.Integer(row), static_cast<uint32_t>(row));
        }
        std::vector<std::pair<uint32_t, uint32_t>> matches;
        for (size_t row = 0; row < features.Size(); ++row) {
            const auto found = first_record.find(features.Integer(row));
            if (found != first_record.end()) {
                matches.emplace_back(static_cast<uint32_t>(row), found->second);
            }
        }
        rows = matches.size();
        benchmark::DoNotOptimize(rows);
    }
    state.counters["rows"] = static_cast<double>(rows);
}
BENCHMARK(BM_InnerJoinHashScanBaseline)->Unit(benchmark::kMicrosecond);

} // namespace
