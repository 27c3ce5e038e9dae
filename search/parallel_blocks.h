// Running independent blocks of work on every core: the search's scan of a large table, the
// sort's attribute loading.
#pragma once

#include <cstddef>
#include <functional>

namespace kx {

// Cores to use: what the system reports, at least 1 and at most 16.
std::size_t WorkerCount();

// Calls work(block) once for every block in [0, blockCount), spread over up to WorkerCount()
// threads of which the calling thread is one, and returns when all have run. When no extra
// thread can be started the caller runs every block itself. An allocation failure in any block
// is thrown again here as std::bad_alloc, after every thread has ended.
void RunBlocks(std::size_t blockCount, const std::function<void(std::size_t)>& work);

}  // namespace kx
