// Running independent blocks of work on every core: the search's scan of a large table, the
// sort's attribute loading.
#pragma once

#include <cstddef>
#include <functional>

namespace kx {

// Cores to use: what the system reports, at least 1 and at most 16, unless SetWorkerCount
// chose a number.
std::size_t WorkerCount();

// Makes the scan and the sort use `count` workers (1 to 64) whatever this machine has, so that
// what machines with more cores do can be measured on one with fewer; 0 goes back to the
// machine's own count.
void SetWorkerCount(std::size_t count);

// Calls work(block) once for every block in [0, blockCount), spread over up to WorkerCount()
// threads of which the calling thread is one, and returns when all have run. When no extra
// thread can be started the caller runs every block itself. An allocation failure in any block
// is thrown again here as std::bad_alloc, after every thread has ended.
void RunBlocks(std::size_t blockCount, const std::function<void(std::size_t)>& work);

}  // namespace kx
