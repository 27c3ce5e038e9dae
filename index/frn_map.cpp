#include "index/frn_map.h"

#include <cstring>
#include <new>

namespace kx {

void FrnMap::ReserveRecordNumbers(std::uint64_t highest, std::uint64_t records) {
    if (highest >= capacity_ && highest < DirectReach(records))
        Grow(highest, records);
}

void FrnMap::Grow(std::uint64_t number, std::uint64_t records) {
    // Room past the number for the record numbers the journal will bring, which NTFS hands
    // out from the low end: an eighth more, capped by the reach.
    std::uint64_t capacity = number + 1 + (number + 1) / 8 + 4096;
    if (capacity > DirectReach(records))
        capacity = DirectReach(records);
    const std::uint64_t bytes = capacity * sizeof(std::uint32_t);
    if (bytes / sizeof(std::uint32_t) != capacity ||
        static_cast<std::uint64_t>(static_cast<std::size_t>(bytes)) != bytes) {
        throw std::bad_alloc();
    }
    ZeroedBlock table(static_cast<std::size_t>(bytes));
    if (capacity_ > 0) {
        // Only the slots up to the highest one written: the rest are zero in both.
        std::memcpy(table.get(), direct_.get(), (highestDirect_ + 1) * sizeof(std::uint32_t));
    }
    direct_ = std::move(table);
    capacity_ = capacity;
}

std::uint64_t FrnMap::TakeAside(std::uint64_t frn) {
    if (!aside_.empty()) {
        const auto found = aside_.find(frn);
        if (found != aside_.end()) {
            const std::uint64_t previous = found->second;
            aside_.erase(found);
            return previous;
        }
    }
    ++size_;
    return kAbsent;
}

std::uint64_t FrnMap::BytesUsed() const {
    // A node of the map aside: the pair, the link and the hash, the allocator's header, and a
    // bucket.
    constexpr std::uint64_t kAsideEntryBytes = 56;
    const std::uint64_t direct = capacity_ > 0 ? (highestDirect_ + 1) * sizeof(std::uint32_t) : 0;
    return direct + aside_.size() * kAsideEntryBytes;
}

}  // namespace kx
