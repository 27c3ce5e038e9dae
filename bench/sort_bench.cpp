// Sorting 1 million hits (every record of a synthetic volume of 1 million entries) by name and
// by size with SortWorker, the whole of it: copying the published list, copying each hit's
// name or kind out of the table under its lock, the sort, and publishing the sorted copy. The
// hits' details are loaded beforehand (as after an earlier sort), so the size sort asks the
// file system nothing.
//
// Counters: hits sorted per second.
#include <benchmark/benchmark.h>

#include <memory>
#include <mutex>

#include "bench/bench_support.h"
#include "common/process_state.h"
#include "search/compare_match_items.h"
#include "search/details.h"
#include "search/search_run.h"
#include "search/search_state.h"
#include "search/sort_worker.h"

namespace kx::bench {
namespace {

constexpr std::size_t kHits = 1000000;

struct Fixture {
    std::unique_ptr<SearchEngine> engine;
    SharedResults hits;  // in record order, details loaded
};

Fixture& TheFixture() {
    static Fixture fixture = [] {
        Fixture made;
        SyntheticDrive('T', kHits);
        made.engine = EngineOver(BuildStoppedVolume('T'));
        // The empty query matches every live record; StartSearch never sends one, but
        // MatchVolumes serves it, which gives the largest list the table can yield.
        made.hits = std::make_shared<ResultList>(
            MatchVolumes(*made.engine, {std::u16string(), SearchGeneration.load()}));
        for (std::size_t i = 0; i < made.hits->size(); ++i)
            LoadDetails(made.hits->Hit(i),
                        made.hits->details->entries[DetailsKeyOf(made.hits->items[i])]);
        return made;
    }();
    return fixture;
}

void BM_SortHits(benchmark::State& state, std::int32_t column) {
    Fixture& fixture = TheFixture();
    const std::size_t count = fixture.hits->items.size();
    for (auto _ : state) {
        state.PauseTiming();
        {
            std::lock_guard<std::mutex> guard(ResultsLock);
            CurrentResults = fixture.hits;
        }
        SortAscending.store(true);
        const SortRequest request{SearchGeneration.fetch_add(1) + 1, column};
        state.ResumeTiming();

        SortWorker(request);

        state.PauseTiming();
        SharedResults sorted;
        {
            std::lock_guard<std::mutex> guard(ResultsLock);
            sorted = std::move(CurrentResults);
        }
        if (sorted == fixture.hits || sorted->items.size() != count)
            state.SkipWithError("the sort published nothing");
        sorted.reset();  // freeing the sorted copy is not part of the sort
        state.ResumeTiming();
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * count));
    state.counters["hits"] = static_cast<double>(count);
}

void RegisterAll() {
    const std::pair<const char*, std::int32_t> columns[] = {{"name", kColumnName},
                                                            {"size", kColumnSize}};
    for (const auto& [label, column] : columns) {
        benchmark::RegisterBenchmark(
            (std::string("BM_SortHits/") + label).c_str(),
            [c = column](benchmark::State& state) { BM_SortHits(state, c); })
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
    }
}

}  // namespace
}  // namespace kx::bench

int main(int argc, char** argv) {
    return kx::bench::RunBenchmarks(argc, argv, &kx::bench::RegisterAll);
}
