// Loading the details of every hit that a sort by size, time or path needs, on every core.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <thread>
#include <vector>

#include "search/match_item.h"

namespace kx {

// Hits are loaded in chunks claimed by every core; the sort thread itself walks the hits in
// order, loading the chunks nobody has claimed yet and waiting for the others, so that the
// progress texts still come at hit 1, 5001, 10001, ... as the loading reaches them.
class ParallelDetailLoader {
  public:
    // slots[i]: where hit i's details go (loaded ones are left as they are).
    ParallelDetailLoader(const ResultList& list, const std::vector<HitDetails*>& slots,
                         std::uint64_t generation);
    ParallelDetailLoader(const ParallelDetailLoader&) = delete;
    ParallelDetailLoader& operator=(const ParallelDetailLoader&) = delete;
    ~ParallelDetailLoader();

    void StartHelpers();

    // True once loading a chunk ran out of memory: the sort cannot finish.
    bool OutOfMemory() const { return failed_.load(); }

    // Makes sure hit i is loaded (the sort thread, in hit order). False when the sort is no
    // longer current or memory ran out.
    bool EnsureLoaded(std::size_t i);

  private:
    bool Claim(std::size_t chunk);
    void LoadChunk(std::size_t chunk);
    void HelperLoop();

    const ResultList& list_;
    const std::vector<HitDetails*>& slots_;
    const std::uint64_t generation_;
    std::vector<std::atomic<std::uint8_t>> states_;
    std::atomic<std::size_t> cursor_{0};
    std::atomic<bool> stop_{false};
    std::atomic<bool> failed_{false};
    std::vector<std::thread> helpers_;
};

}  // namespace kx
