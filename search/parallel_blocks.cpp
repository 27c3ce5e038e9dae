#include "search/parallel_blocks.h"

#include <algorithm>
#include <atomic>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

namespace kx {

namespace {

std::atomic<std::size_t> chosenWorkers{0};

}  // namespace

std::size_t WorkerCount() {
    const std::size_t chosen = chosenWorkers.load(std::memory_order_relaxed);
    if (chosen != 0)
        return chosen;
    const unsigned reported = std::thread::hardware_concurrency();
    return std::clamp<std::size_t>(reported, 1, 16);
}

void SetWorkerCount(std::size_t count) {
    chosenWorkers.store(std::min<std::size_t>(count, 64));
}

void RunBlocks(std::size_t blockCount, const std::function<void(std::size_t)>& work) {
    std::atomic<std::size_t> next{0};
    std::atomic<bool> outOfMemory{false};
    const auto drain = [&] {
        for (;;) {
            const std::size_t block = next.fetch_add(1);
            if (block >= blockCount || outOfMemory.load())
                return;
            try {
                work(block);
            } catch (const std::bad_alloc&) {
                outOfMemory.store(true);
            }
        }
    };
    std::vector<std::thread> helpers;
    const std::size_t wanted = std::min(WorkerCount(), blockCount);
    try {
        helpers.reserve(wanted > 0 ? wanted - 1 : 0);
        for (std::size_t i = 1; i < wanted; ++i)
            helpers.emplace_back(drain);
    } catch (const std::system_error&) {
        // Fewer helpers: the blocks are shared among those that started.
    } catch (const std::bad_alloc&) {
    }
    drain();
    for (std::thread& helper : helpers)
        helper.join();
    if (outOfMemory.load())
        throw std::bad_alloc();
}

}  // namespace kx
