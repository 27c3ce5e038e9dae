// Building one volume's table from its MFT, map included, exactly as the start-up does: the
// simulated volume serves FSCTL_ENUM_USN_DATA (its own work is part of the time, as the file
// system's is on Windows), Build parses the replies on its second thread and fills the map.
//
// Counters: records per second; resident memory the table adds, per record, against the floor
// of the layout (the record, its name twice with two terminators, one map entry) and their
// ratio; page faults (first touches of a page) per thousand records. Target on the 2-core
// development machine: 10 million records in under 1.5 s, with a ratio of at most 1.25.
#include <benchmark/benchmark.h>

#include <memory>

#include "bench/bench_support.h"
#include "index/volume_index.h"

namespace kx::bench {
namespace {

void BM_BuildVolume(benchmark::State& state, Corpus corpus) {
    const auto entries = static_cast<std::size_t>(state.range(0));
    CorpusDrive(corpus, 'C', entries);
    double residentPerRecord = 0;
    double floorPerRecord = 0;
    std::size_t records = 0;
    std::uint64_t faults = 0;
    for (auto _ : state) {
        state.PauseTiming();
        // Measured with no table alive, so the delta below is this table's alone.
        const std::size_t before = ResidentBytes();
        auto volume = std::make_unique<VolumeIndex>();
        const std::uint64_t faultsBefore = PageFaults();
        state.ResumeTiming();

        const bool built = volume->Build(u"C:");

        state.PauseTiming();
        faults = PageFaults() - faultsBefore;
        volume->StopMonitor();
        if (!built)
            state.SkipWithError("Build failed");
        records = volume->table.Size();
        if (records == 0)
            state.SkipWithError("empty table");
        const std::size_t after = ResidentBytes();
        residentPerRecord = static_cast<double>(after - before) / static_cast<double>(records);
        floorPerRecord =
            static_cast<double>(LayoutFloorBytes(*volume)) / static_cast<double>(records);
        volume.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * records));
    state.counters["records"] = static_cast<double>(records);
    state.counters["resident_B_per_record"] = residentPerRecord;
    state.counters["floor_B_per_record"] = floorPerRecord;
    state.counters["resident_over_floor"] = residentPerRecord / floorPerRecord;
    state.counters["page_faults_per_1k_records"] =
        1000.0 * static_cast<double>(faults) / static_cast<double>(records);
}

// The price of memory itself: writing one byte into every 4 KiB page of a fresh 256 MiB block.
// A build writes well over a gigabyte (records, names, map), so on a machine where a page fault
// is dear this, not parsing, bounds the build.
void BM_TouchFreshMemory(benchmark::State& state) {
    constexpr std::size_t kBytes = 256u << 20;
    for (auto _ : state) {
        std::unique_ptr<char[]> block(new char[kBytes]);
        for (std::size_t i = 0; i < kBytes; i += 4096)
            block[i] = 1;
        benchmark::DoNotOptimize(block.get());
        state.PauseTiming();
        block.reset();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kBytes));
}

void RegisterAll() {
    benchmark::RegisterBenchmark("BM_TouchFreshMemory", BM_TouchFreshMemory)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    for (Corpus corpus : {Corpus::kSynthetic, Corpus::kMirrored}) {
        benchmark::RegisterBenchmark(
            (std::string("BM_BuildVolume/") + CorpusName(corpus)).c_str(),
            [corpus](benchmark::State& state) { BM_BuildVolume(state, corpus); })
            ->Arg(1000000)
            ->Arg(10000000)
            ->Unit(benchmark::kMillisecond)
            ->Iterations(1)
            ->UseRealTime();
    }
}

}  // namespace
}  // namespace kx::bench

int main(int argc, char** argv) {
    return kx::bench::RunBenchmarks(argc, argv, &kx::bench::RegisterAll);
}
