// Process-wide flags shared by every worker of the indexing and search subsystems.
#pragma once

#include <atomic>
#include <cstdint>

namespace kx {

// Set once when the main window is destroyed; every worker loop polls it and stops, and no
// worker posts a message once it is set.
extern std::atomic<bool> ExitRequested;

// Incremented by every search start and every column-title click. Work carries the value it
// started with and publishes nothing once the counter has moved on.
extern std::atomic<std::uint64_t> SearchGeneration;

// Counts the operations given up because memory ran out: a build, a journal batch, a search
// or a sort ends that way instead of ending the process. kxquery names the problem from it.
extern std::atomic<std::uint64_t> OutOfMemoryFailures;

// Fixed once at start-up, before any window or worker exists.
extern bool UseChinese;

}  // namespace kx
