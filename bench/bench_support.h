// Shared pieces of the benchmarks: simulated volumes made once per process (synthetic names,
// or names mirrored from this machine's file tree), tables built from them as the start-up
// builds them, and resident memory read from /proc.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "index/search_engine.h"
#include "index/volume_index.h"
#include "platform/sim/simulated_volume.h"

namespace kx::bench {

enum class Corpus { kSynthetic, kMirrored };

const char* CorpusName(Corpus corpus);

// A synthetic volume of `entries` entries on drive `letter`, generated once per process.
std::shared_ptr<sim::SimVolume> SyntheticDrive(char letter, std::size_t entries);

// A volume of exactly `entries` entries on drive `letter` whose names are those of this
// machine's tree below $KX_BENCH_MIRROR_ROOT (default /usr): the tree is mirrored once, then
// copied under directories "mirror-N" of the root until the count is reached. Made once per
// process.
std::shared_ptr<sim::SimVolume> MirroredDrive(char letter, std::size_t entries);

std::shared_ptr<sim::SimVolume> CorpusDrive(Corpus corpus, char letter, std::size_t entries);

// The table of drive `letter` (attached already) built by VolumeIndex::Build, with its journal
// monitor stopped so that nothing changes the table behind the benchmark's back.
std::unique_ptr<VolumeIndex> BuildStoppedVolume(char letter);

// An engine that holds only `volume`, marked ready, as MatchVolumes expects it.
std::unique_ptr<SearchEngine> EngineOver(std::unique_ptr<VolumeIndex> volume);

// Called first by every benchmark program. With KX_BENCH_HEAP=warm in the environment, the
// allocator keeps every freed page (one arena, no mmap, no trimming), so that a table or hit list
// is built in memory the process has touched before. Without it, large blocks come fresh from the
// kernel each time, and every first touch of a page is a page fault, which on the development
// machine's virtual machine costs about as much as the work itself.
void ConfigureHeap();
bool WarmHeap();

// The whole main of a benchmark program: the heap set up first, then registerAll's benchmarks
// run with the heap's kind recorded in the results.
int RunBenchmarks(int argc, char** argv, void (*registerAll)());

// Resident set size of this process in bytes, after returning free heap memory to the system
// (not under a warm heap, where the figure therefore means little).
std::size_t ResidentBytes();

// Minor page faults of the whole process so far: each is a first touch of a page.
std::uint64_t PageFaults();

// The bytes each structure of a table uses (records, names, map, signatures, letter-pair
// runs), without the pages they have reserved but not reached.
std::size_t LayoutFloorBytes(const VolumeIndex& volume);

// The 1 to 8 first code units of `word`, as a user typing it would search.
std::u16string Prefix(const char16_t* word, std::size_t length);

}  // namespace kx::bench
