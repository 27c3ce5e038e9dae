// One query over one volume of 1 and 10 million records: MatchVolumes on the calling thread
// (one core), warm cache, the table built by VolumeIndex::Build from a simulated volume. The
// queries are what a user types on the way to "template" (1, 2, 3, 5 and 8 code units, in
// mixed case so that folding the query is part of the work), plus a 3-unit query that matches
// nothing, which shows the scan alone. Corpora: synthetic names, and this machine's /usr
// mirrored and copied up to the record count.
//
// Counters: hits, records scanned per second. Target: 3 code units over 10 million records in
// under 150 ms median.
#include <benchmark/benchmark.h>

#include <map>
#include <string>

#include "bench/bench_support.h"
#include "common/process_state.h"
#include "search/search_run.h"

namespace kx::bench {
namespace {

constexpr const char16_t* kTypedWord = u"TempLate";
constexpr const char16_t* kNoHit = u"qZj";

// The engine of the benchmark running now. Benchmarks run in registration order, so each
// table is built once and freed before the next corpus or size needs its memory.
SearchEngine& EngineFor(Corpus corpus, std::size_t records) {
    static std::pair<int, std::size_t> key{-1, 0};
    static std::unique_ptr<SearchEngine> engine;
    if (key != std::make_pair(static_cast<int>(corpus), records)) {
        engine.reset();
        CorpusDrive(corpus, 'S', records);
        engine = EngineOver(BuildStoppedVolume('S'));
        key = {static_cast<int>(corpus), records};
    }
    return *engine;
}

void BM_Search(benchmark::State& state, Corpus corpus, std::u16string query) {
    const auto records = static_cast<std::size_t>(state.range(0));
    SearchEngine& engine = EngineFor(corpus, records);
    const std::size_t scanned = engine.volumes.front()->table.Size();
    std::size_t hits = 0;
    for (auto _ : state) {
        ResultList result = MatchVolumes(engine, {query, SearchGeneration.load()});
        hits = result.items.size();
        benchmark::DoNotOptimize(result.items.begin());
        // Freeing the list is the next search's business, not this one's.
        state.PauseTiming();
        { ResultList done = std::move(result); }
        state.ResumeTiming();
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * scanned));
    state.counters["hits"] = static_cast<double>(hits);
    state.counters["query_length"] = static_cast<double>(query.size());
}

void RegisterAll() {
    for (Corpus corpus : {Corpus::kSynthetic, Corpus::kMirrored}) {
        for (std::int64_t records : {1000000, 10000000}) {
            std::vector<std::pair<std::string, std::u16string>> queries;
            for (std::size_t length : {1, 2, 3, 5, 8})
                queries.emplace_back(std::to_string(length), Prefix(kTypedWord, length));
            queries.emplace_back("3-nohit", kNoHit);
            for (const auto& [label, query] : queries) {
                const std::string name =
                    std::string("BM_Search/") + CorpusName(corpus) + "/query:" + label;
                benchmark::RegisterBenchmark(
                    name.c_str(),
                    [corpus, q = query](benchmark::State& state) { BM_Search(state, corpus, q); })
                    ->Arg(records)
                    ->Unit(benchmark::kMillisecond)
                    ->UseRealTime();
            }
        }
    }
}

}  // namespace
}  // namespace kx::bench

int main(int argc, char** argv) {
    return kx::bench::RunBenchmarks(argc, argv, &kx::bench::RegisterAll);
}
