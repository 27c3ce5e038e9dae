// The memory this process keeps resident, for the measurements of what the index costs.
#pragma once

#include <cstddef>

namespace kx {

// Bytes of this process's pages that are resident now (the working set on Windows); 0 when the
// system does not say.
std::size_t ResidentBytes();

// Bytes of address space this process's code and data may take in all: what a 32-bit process
// must share between its index and its hits (2 to 4 GiB, as the system and the program's
// large-address flag allow). SIZE_MAX for a 64-bit process, for which it is no limit.
std::size_t AddressSpaceBytes();

}  // namespace kx
