// Hit arrays kept between searches. Every keystroke makes a list of up to millions of hits;
// memory the process used before is already mapped, while a fresh block costs a page fault per
// 4 KiB on its first touch (the kernel zeroes every new page), which at ten million names was
// most of what a keystroke cost. So a list's array goes back to this pool when the list is
// freed, and the next scan takes it again.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kx {

struct MatchItem;
using HitVector = std::vector<MatchItem>;

// Takes an empty kept array whose capacity is at least `wanted` items and at most `most`;
// without one, an empty array with no capacity.
HitVector TakeHitVector(std::size_t wanted, std::size_t most = SIZE_MAX);
// Returns an array; it is kept (emptied, capacity intact) while the pool has room, else freed.
void ReturnHitVector(HitVector&& hits);
// Frees every kept array (tests, and the allocation-failure path).
void ClearHitPool();
// Bytes the kept arrays have written (and so keep resident), by their last size.
std::size_t HitPoolBytes();
// The most bytes the pool keeps written.
std::size_t HitPoolKeepsBytes();

// A hit array that returns itself to the pool when its owner is freed.
class PooledHits {
  public:
    PooledHits();
    explicit PooledHits(HitVector hits);
    PooledHits(PooledHits&& other) noexcept;
    PooledHits& operator=(PooledHits&& other) noexcept;
    PooledHits(const PooledHits&) = delete;
    PooledHits& operator=(const PooledHits&) = delete;
    ~PooledHits();

    HitVector& vector() { return hits_; }
    const HitVector& vector() const { return hits_; }
    std::size_t size() const;
    bool empty() const;
    const MatchItem& operator[](std::size_t i) const;
    MatchItem& operator[](std::size_t i);
    const MatchItem* begin() const;
    const MatchItem* end() const;

  private:
    HitVector hits_;
};

}  // namespace kx
