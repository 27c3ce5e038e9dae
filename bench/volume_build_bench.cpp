// Building one volume's table from its MFT: records per second, and resident memory per
// record against the floor of the layout. The simulated volume is generated once; each
// iteration builds a fresh VolumeIndex from it, map and all, exactly as the start-up does.
#include <benchmark/benchmark.h>

#include "bench/bench_support.h"
#include "index/volume_index.h"

namespace kx::bench {
namespace {

void BM_BuildVolume(benchmark::State& state) {
    const auto entries = static_cast<std::size_t>(state.range(0));
    SyntheticDrive('C', entries);
    double residentPerRecord = 0;
    double floorPerRecord = 0;
    std::size_t records = 0;
    for (auto _ : state) {
        const std::size_t before = ResidentBytes();
        auto volume = std::make_unique<VolumeIndex>();
        const bool built = volume->Build(u"C:");
        state.PauseTiming();
        volume->StopMonitor();
        if (!built)
            state.SkipWithError("Build failed");
        records = volume->records.size();
        residentPerRecord = static_cast<double>(ResidentBytes() - before) / records;
        floorPerRecord = static_cast<double>(LayoutFloorBytes(*volume)) / records;
        volume.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * records));
    state.counters["records"] = static_cast<double>(records);
    state.counters["resident_B_per_record"] = residentPerRecord;
    state.counters["floor_B_per_record"] = floorPerRecord;
    state.counters["resident_over_floor"] = residentPerRecord / floorPerRecord;
}

BENCHMARK(BM_BuildVolume)
    ->Arg(1000000)
    ->Arg(10000000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true)
    ->UseRealTime();

}  // namespace
}  // namespace kx::bench

BENCHMARK_MAIN();
