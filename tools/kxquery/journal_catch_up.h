// Waiting until the journal monitors have read what a script changed.
#pragma once

#include <memory>
#include <vector>

#include "platform/sim/simulated_volume.h"

namespace kx::query {

// Returns once every volume's monitor has finished a journal read that began after this call
// started and then gone quiet, or after five seconds (false). Volumes that are removed are
// passed over: their monitors have ended.
bool WaitForJournalMonitors(const std::vector<std::shared_ptr<sim::SimVolume>>& volumes);

}  // namespace kx::query
