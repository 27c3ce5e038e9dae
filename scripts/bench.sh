#!/usr/bin/env bash
# Builds the benchmarks in Release and runs each of them with repetitions, printing the median,
# mean and spread of every benchmark and keeping the full figures as JSON.
#
#   scripts/bench.sh [FILTER]          FILTER: a Google Benchmark regex, e.g. 'query:3/'
#
# KX_BENCH_BUILD        build directory (default build/bench-release)
# KX_BENCH_REPETITIONS  repetitions of each benchmark (default 5)
# KX_BENCH_HEAPS        "fresh", "warm" or "fresh warm" (default): with a fresh heap every large
#                       block comes new from the kernel and each first touch of a page is a
#                       page fault; with a warm one the allocator keeps and reuses freed memory
#                       (see bench/bench_support.h). Both are run by default.
# KX_BENCH_MIRROR_ROOT  the tree whose names are mirrored and copied (default /usr)
#
# Benchmarks never fail: they measure. Run them on a quiet machine; the load average is printed
# before each program and recorded in its JSON.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

scripts/install-deps.sh

build=${KX_BENCH_BUILD:-build/bench-release}
repetitions=${KX_BENCH_REPETITIONS:-5}
heaps=${KX_BENCH_HEAPS:-fresh warm}
filter=${1:-.}
results="$root/build/bench-results"
mkdir -p "$results"

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKX_BUILD_BENCH=ON \
  -DKX_BUILD_TESTS=OFF >"$results/configure.log" 2>&1 || { cat "$results/configure.log"; exit 1; }
cmake --build "$build" -j2 --target volume_build_bench search_bench journal_apply_bench sort_bench \
  keystroke_bench

for heap in $heaps; do
  for bench in volume_build_bench search_bench journal_apply_bench sort_bench keystroke_bench; do
    echo "==== $bench, $heap heap, load average: $(cut -d' ' -f1-3 /proc/loadavg)"
    KX_BENCH_HEAP=$heap "$build/bin/$bench" \
      --benchmark_filter="$filter" \
      --benchmark_repetitions="$repetitions" \
      --benchmark_report_aggregates_only=true \
      --benchmark_out="$results/$bench-$heap.json" \
      --benchmark_out_format=json
  done
done
echo "Figures kept in $results"
