// Waiting until the journal monitors have applied what a script changed.
#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "index/volume_index.h"
#include "platform/sim/simulated_volume.h"

namespace kx::query {

// A simulated drive and the engine's table of it.
struct MonitoredDrive {
    std::shared_ptr<sim::SimVolume> drive;
    const VolumeIndex* table = nullptr;
};

// Long enough for a rebuild of a volume of millions of files, during which the position a
// monitor has reached stands still.
constexpr std::chrono::milliseconds kJournalPatience{10000};

// Returns once every table holds every change its drive had when the call began: its monitor
// has applied that drive's journal up to the position it had then, or, when the drive had no
// journal then, has swapped in a rebuild whose journal was created after. Removed drives are
// passed over: their monitors have ended. Waits as long as the monitors make headway; false
// with *problem set when one has not moved for `patience`.
bool WaitForJournalMonitors(const std::vector<MonitoredDrive>& drives,
                            std::chrono::milliseconds patience, std::string* problem);

}  // namespace kx::query
