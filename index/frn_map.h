// Map from file reference number to record index. NTFS numbers its MFT records densely from 0,
// so the map is first of all a table indexed by the record number (the low 48 bits of the frn)
// that holds the record's position plus one, 4 bytes a record number, checked against the full
// frn of the record it names: a sequential write per record to fill, one load and one compare
// to look up, no hashing. What that table cannot hold goes to a small map aside:
// - an frn displaced from its slot by another of the same record number (a record reused under
//   a new sequence number while the old frn still names a dead record, until compaction);
// - a record number beyond the table's reach, a few times the record count: a damaged or
//   hostile reply cannot make the table larger than that, whatever numbers it claims.
// No frn is ever removed: entries are inserted or overwritten (an frn moves from the map aside
// into its slot when it takes the slot back), and compaction builds a new map.
#pragma once

#include <cstdint>
#include <unordered_map>
#include <utility>

#include "index/zeroed_block.h"
#include "platform/file_reference.h"

namespace kx {

class FrnMap {
  public:
    static constexpr std::uint64_t kAbsent = ~0ull;

    FrnMap() = default;
    // A map moved from is empty.
    FrnMap(FrnMap&& other) noexcept { *this = std::move(other); }
    FrnMap& operator=(FrnMap&& other) noexcept {
        direct_ = std::move(other.direct_);
        capacity_ = std::exchange(other.capacity_, 0);
        highestDirect_ = std::exchange(other.highestDirect_, 0);
        aside_ = std::move(other.aside_);
        size_ = std::exchange(other.size_, 0);
        other.aside_.clear();
        return *this;
    }

    // Room for record numbers up to `highest` at once, when they are within the reach of a
    // table of `records` records: a build knows both before it maps.
    void ReserveRecordNumbers(std::uint64_t highest, std::uint64_t records);

    // The index stored under frn, or kAbsent. frnAt(i) is the frn of the record at index i.
    template <typename FrnAt>
    std::uint64_t Find(std::uint64_t frn, FrnAt frnAt) const {
        const std::uint64_t number = RecordNumberOf(frn);
        if (number < capacity_) {
            const std::uint32_t slot = Direct()[number];
            if (slot != 0 && frnAt(slot - 1) == frn)
                return slot - 1;
        }
        if (aside_.empty())
            return kAbsent;
        const auto found = aside_.find(frn);
        return found == aside_.end() ? kAbsent : found->second;
    }

    // Stores index under frn, where the record at index carries frn and the table holds
    // `records` records; returns the index stored before, or kAbsent. Throws bad_alloc with
    // the map unchanged.
    template <typename FrnAt>
    std::uint64_t InsertOrAssign(std::uint64_t frn, std::uint64_t index, std::uint64_t records,
                                 FrnAt frnAt);

    // Whether record number `number` may have a slot in the table of a map over `records`.
    static bool WithinReach(std::uint64_t number, std::uint64_t records) {
        return number < DirectReach(records);
    }

    std::size_t Size() const { return size_; }
    std::size_t AsideCount() const { return aside_.size(); }
    // Bytes of the direct table up to the highest record number it holds (what is resident of
    // it when record numbers are dense) and of the map aside.
    std::uint64_t BytesUsed() const;

  private:
    // Positions are kept plus one in 32 bits, 0 meaning none.
    static constexpr std::uint64_t kDirectIndexLimit = 0xFFFFFFFFull;

    static std::uint64_t DirectReach(std::uint64_t records) { return 4 * records + 65536; }
    void Grow(std::uint64_t number, std::uint64_t records);
    // After frn took a direct slot: its entry aside, if it had one, is dropped and returned.
    std::uint64_t TakeAside(std::uint64_t frn);

    std::uint32_t* Direct() const { return static_cast<std::uint32_t*>(direct_.get()); }

    // Zeroed pages from the system: slots never written are never touched, so room left for
    // the journal's new record numbers costs address space only.
    ZeroedBlock direct_;
    std::uint64_t capacity_ = 0;
    std::uint64_t highestDirect_ = 0;
    std::unordered_map<std::uint64_t, std::uint64_t> aside_;
    std::size_t size_ = 0;
};

template <typename FrnAt>
std::uint64_t FrnMap::InsertOrAssign(std::uint64_t frn, std::uint64_t index, std::uint64_t records,
                                     FrnAt frnAt) {
    const std::uint64_t number = RecordNumberOf(frn);
    const bool fits = index < kDirectIndexLimit;
    if (fits && number >= capacity_ && number < DirectReach(records))
        Grow(number, records);
    if (number < capacity_) {
        std::uint32_t& slot = Direct()[number];
        const auto newSlot = static_cast<std::uint32_t>(index + 1);
        if (slot == 0 && fits) {
            slot = newSlot;
            if (number > highestDirect_)
                highestDirect_ = number;
            return TakeAside(frn);
        }
        if (slot != 0) {
            const std::uint64_t occupant = slot - 1;
            const std::uint64_t occupantFrn = frnAt(occupant);
            if (occupantFrn == frn) {
                if (fits) {
                    slot = newSlot;
                } else {
                    aside_.emplace(frn, index);
                    slot = 0;
                }
                return occupant;
            }
            if (fits) {
                // The newest frn of a record number takes its slot: that is the live file.
                aside_.emplace(occupantFrn, occupant);
                slot = newSlot;
                return TakeAside(frn);
            }
        }
    }
    const auto [entry, inserted] = aside_.try_emplace(frn, index);
    if (inserted) {
        ++size_;
        return kAbsent;
    }
    const std::uint64_t previous = entry->second;
    entry->second = index;
    return previous;
}

}  // namespace kx
