// Synthetic volumes for tests and benchmarks: any number of entries with realistic names,
// about one in ten a directory, paths 1 to 12 components deep, sizes and times, all
// determined by the seed. Ten million entries take a few seconds and under a gigabyte.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/sim/simulated_volume.h"

namespace kx::sim {

// Adds `entries` entries below the root of volume (quietly: no journal records). The same
// entries, seed and starting volume always give the same entries with the same frns.
void GenerateSyntheticVolume(SimVolume& volume, std::size_t entries, std::uint64_t seed);

}  // namespace kx::sim
