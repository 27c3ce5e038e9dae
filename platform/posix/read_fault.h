// A read error that tests put in the way of the POSIX file reads: no real file can be made to
// fail part-way on demand, and what a reader keeps of a file cut short is worth testing.
#pragma once

#include <cstdint>
#include <limits>

namespace kx {

constexpr std::uint64_t kNoReadFault = std::numeric_limits<std::uint64_t>::max();

// From now on, every read of a file fails with EIO once `bytes` of that file were read;
// kNoReadFault turns it off. Process-wide: only for tests that read nothing else meanwhile.
void SetReadFaultAfter(std::uint64_t bytes);

}  // namespace kx
