// Map from file reference number to record index. Open addressing with linear probing: one
// flat array of 16-byte slots, no node per entry, so ten million files cost one allocation and
// a lookup touches one or two cache lines. Entries are only inserted or overwritten; the table
// is rebuilt whole by compaction, so there is no erase.
#pragma once

#include <cstdint>
#include <vector>

namespace kx {

class FrnMap {
  public:
    void Clear();
    void Reserve(std::size_t count);
    static constexpr std::uint64_t kAbsent = ~0ull;
    // Returns the index stored before, or kAbsent.
    std::uint64_t InsertOrAssign(std::uint64_t frn, std::uint64_t index);
    // Null when frn is absent.
    const std::uint64_t* Find(std::uint64_t frn) const;
    std::size_t Size() const { return size_; }
    // Asks for the slot of frn to be brought into the cache. A bulk insert calls it a few keys
    // ahead, so that the slot accesses, which the hash scatters over the whole table, overlap
    // instead of each waiting for memory in turn.
    void Prefetch(std::uint64_t frn) const {
#if defined(__GNUC__)
        if (!slots_.empty())
            __builtin_prefetch(&slots_[SlotFor(frn)], 1);
#else
        (void)frn;
#endif
    }
    std::size_t SlotCount() const {
        return slots_.size();
    }

  private:
    struct Slot {
        std::uint64_t key;
        std::uint64_t value;
    };
    // No real frn has all bits set (sequence 0xFFFF and record 2^48-1), but replies are
    // untrusted, so that key is kept apart instead of being refused.
    static constexpr std::uint64_t kEmptyKey = ~0ull;

    // Fibonacci hashing: record numbers are dense and sequence numbers sit in the top bits,
    // and the multiply spreads both over the index bits.
    std::size_t SlotFor(std::uint64_t frn) const {
        return static_cast<std::size_t>((frn * 0x9E3779B97F4A7C15ull) >> shift_);
    }
    void Grow(std::size_t slotCount);

    std::vector<Slot> slots_;
    std::size_t size_ = 0;
    unsigned shift_ = 64;
    bool hasEmptyKey_ = false;
    std::uint64_t emptyKeyValue_ = 0;
};

}  // namespace kx
