// The memory this process keeps resident, for the measurements of what the index costs.
#pragma once

#include <cstddef>

namespace kx {

// Bytes of this process's pages that are resident now (the working set on Windows); 0 when the
// system does not say.
std::size_t ResidentBytes();

}  // namespace kx
