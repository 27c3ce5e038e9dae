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
    std::size_t SlotCount() const { return slots_.size(); }

  private:
    struct Slot {
        std::uint64_t key;
        std::uint64_t value;
    };
    // No real frn has all bits set (sequence 0xFFFF and record 2^48-1), but replies are
    // untrusted, so that key is kept apart instead of being refused.
    static constexpr std::uint64_t kEmptyKey = ~0ull;

    std::size_t SlotFor(std::uint64_t frn) const;
    void Grow(std::size_t slotCount);

    std::vector<Slot> slots_;
    std::size_t size_ = 0;
    unsigned shift_ = 64;
    bool hasEmptyKey_ = false;
    std::uint64_t emptyKeyValue_ = 0;
};

}  // namespace kx
