// Puts the volumes that kxquery was given on the simulated machine.
#pragma once

#include <string>

#include "tools/kxquery/options.h"

namespace kx::query {

// Loads every --volume (and its --sidecar) and the demo volume. Warnings about damaged
// record streams go to standard error; returns false with *error set when a file cannot be
// read or a sidecar is malformed.
bool LoadVolumes(const Options& options, std::string* error);

}  // namespace kx::query
