// Shared pieces of the benchmarks: synthetic volumes built once per process, and resident
// memory read from /proc.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "index/volume_index.h"
#include "platform/sim/simulated_volume.h"

namespace kx::bench {

// A synthetic volume of `entries` entries on drive `letter`, generated once per process.
std::shared_ptr<sim::SimVolume> SyntheticDrive(char letter, std::size_t entries);

// Resident set size of this process in bytes, after returning free heap memory to the system.
std::size_t ResidentBytes();

// The least memory a table can take: each record, its name twice with two terminators, and
// one map entry (key and index).
std::size_t LayoutFloorBytes(const VolumeIndex& volume);

}  // namespace kx::bench
