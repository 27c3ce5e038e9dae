// Sorting the hits of a search by a column with SortWorker, the whole of it as a header click
// starts it: the walk over the published list, the sort, the sorted list in its arrays, and
// publishing it. The hits are every record of two volumes of names mirrored from this machine
// (1 million or 6.4 million hits); the hits' details are loaded beforehand (as after an earlier
// sort), so a detail column asks the file system nothing. The last argument is the number of
// workers. "again" is the second click on the same column: the other direction;
// "size_loading_details" loads every hit's details through the simulator first.
//
// Counters: hits sorted per second; "peak_bytes_per_hit": resident bytes the sort added at its
// peak (the sorted list's own 16 a hit included), read from the kernel after the run.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "bench/bench_support.h"
#include "common/process_state.h"
#include "search/compare_match_items.h"
#include "search/details.h"
#include "search/parallel_blocks.h"
#include "search/search_run.h"
#include "search/search_state.h"
#include "search/sort_worker.h"
#include "search/visible_results.h"

namespace kx::bench {
namespace {

struct Fixture {
    std::unique_ptr<SearchEngine> engine;
    SharedResults hits;  // in record order
};

Fixture& FixtureOf(std::size_t hits, bool withDetails) {
    static std::map<std::pair<std::size_t, bool>, Fixture> made;
    Fixture& fixture = made[{hits, withDetails}];
    if (fixture.engine)
        return fixture;
    // Two volumes, each of half the hits; drive letters by size, so that each is made once.
    const char first = hits >= 5000000 ? 'V' : 'T';
    fixture.engine = std::make_unique<SearchEngine>();
    for (char letter : {first, static_cast<char>(first + 1)}) {
        MirroredDrive(letter, hits / 2);
        fixture.engine->volumes.push_back(BuildStoppedVolume(letter));
    }
    fixture.engine->ready.store(true);
    // The empty query matches every live record; StartSearch never sends one, but
    // MatchVolumes serves it, which gives the largest list the tables can yield.
    ScanRequest request;
    request.generation = SearchGeneration.load();
    fixture.hits = std::make_shared<ResultList>(MatchVolumes(*fixture.engine, request));
    if (withDetails) {
        for (std::size_t i = 0; i < fixture.hits->size(); ++i)
            LoadDetails(fixture.hits->Hit(i),
                        fixture.hits->details->entries[DetailsKeyOf(fixture.hits->items[i])]);
    }
    return fixture;
}

// As a header click would, on this thread: a new generation, the direction, the sort.
void RunSort(std::int32_t column, bool ascending) {
    SortAscending.store(ascending);
    SortWorker(SortRequest{SearchGeneration.fetch_add(1) + 1, column, 0});
}

SharedResults Published() {
    std::lock_guard<std::mutex> guard(ResultsLock);
    return CurrentResults;
}

void Publish(SharedResults list) {
    std::lock_guard<std::mutex> guard(ResultsLock);
    CurrentResults = std::move(list);
}

void BM_Sort(benchmark::State& state, std::int32_t column, bool again) {
    const auto hits = static_cast<std::size_t>(state.range(0));
    SetWorkerCount(static_cast<std::size_t>(state.range(1)));
    Fixture& fixture = FixtureOf(hits, column != kColumnName);
    UseSearchEngineForTesting(fixture.engine.get());
    const std::size_t count = fixture.hits->size();
    const std::size_t residentBefore = ResidentBytes();
    std::size_t peak = 0;
    for (auto _ : state) {
        state.PauseTiming();
        Publish(fixture.hits);
        if (again)
            RunSort(column, true);
        state.ResumeTiming();

        RunSort(column, !again);

        state.PauseTiming();
        const SharedResults sorted = Published();
        if (sorted == fixture.hits || sorted->size() != count)
            state.SkipWithError("the sort published nothing");
        peak = std::max(peak, ResidentBytes());
        Publish(nullptr);
        state.ResumeTiming();
    }
    SetWorkerCount(0);
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * count));
    state.counters["hits"] = static_cast<double>(count);
    state.counters["resident_after_bytes_per_hit"] =
        static_cast<double>(peak > residentBefore ? peak - residentBefore : 0) /
        static_cast<double>(count);
}

// A size sort that loads every hit's details first, through the simulator, as the first click
// on Size after a search does: a copy of the list with no details, and every volume's cache
// of attributes emptied.
void BM_SortLoadingDetails(benchmark::State& state) {
    const auto hits = static_cast<std::size_t>(state.range(0));
    SetWorkerCount(static_cast<std::size_t>(state.range(1)));
    Fixture& fixture = FixtureOf(hits, false);
    UseSearchEngineForTesting(fixture.engine.get());
    for (auto _ : state) {
        state.PauseTiming();
        for (auto& volume : fixture.engine->volumes)
            volume->ForgetAllAttributes();
        auto bare = std::make_shared<ResultList>();
        bare->items = HitArray(fixture.hits->items.vector());
        bare->volumes = fixture.hits->volumes;
        Publish(bare);
        state.ResumeTiming();

        RunSort(kColumnSize, true);

        state.PauseTiming();
        if (Published() == bare)
            state.SkipWithError("the sort published nothing");
        Publish(nullptr);
        state.ResumeTiming();
    }
    SetWorkerCount(0);
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * fixture.hits->size()));
}

void RegisterAll() {
    const struct {
        const char* label;
        std::int32_t column;
        bool again;
    } sorts[] = {{"name", kColumnName, false},
                 {"name_again", kColumnName, true},
                 {"size", kColumnSize, false},
                 {"modified", kColumnModified, false},
                 {"path", kColumnPath, false}};
    for (const auto& sort : sorts) {
        auto* registered = benchmark::RegisterBenchmark(
            (std::string("sort/") + sort.label).c_str(),
            [column = sort.column, again = sort.again](benchmark::State& state) {
                BM_Sort(state, column, again);
            });
        registered->Unit(benchmark::kMillisecond)->UseRealTime()->ArgNames({"hits", "workers"});
        // The first click of "again" is not timed, and is a hundred times the second.
        if (sort.again)
            registered->Iterations(10);
        // Detail columns at 1 million hits only: loading 6.4 million hits' details first
        // takes minutes through the simulator.
        for (std::int64_t hits : {1000000, 6400000}) {
            if (hits > 1000000 && sort.column != kColumnName)
                continue;
            for (std::int64_t workers : {1, 2, 4, 8, 16})
                registered->Args({hits, workers});
        }
    }
    auto* loading =
        benchmark::RegisterBenchmark("sort/size_loading_details", BM_SortLoadingDetails);
    loading->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->Iterations(1)
        ->ArgNames({"hits", "workers"});
    for (std::int64_t workers : {1, 2, 4, 8, 16})
        loading->Args({1000000, workers});
}

}  // namespace
}  // namespace kx::bench

int main(int argc, char** argv) {
    return kx::bench::RunBenchmarks(argc, argv, &kx::bench::RegisterAll);
}
