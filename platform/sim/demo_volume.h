// A small built-in volume for trying the program without a captured MFT: a Windows-like tree
// with documents, pictures, programs and a few non-ASCII names, with sizes and times.
#pragma once

#include <memory>

#include "platform/sim/simulated_volume.h"

namespace kx::sim {

// Fills an empty volume with the demo tree.
void PopulateDemoVolume(SimVolume& volume);

}  // namespace kx::sim
