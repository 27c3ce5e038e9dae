#include "index/frn_map.h"

namespace kx {

namespace {

// Grow when the table would pass 7/10 full: linear probing stays short below that.
constexpr std::size_t MaxEntriesFor(std::size_t slotCount) {
    return slotCount / 10 * 7;
}

}  // namespace

void FrnMap::Clear() {
    std::vector<Slot>().swap(slots_);
    size_ = 0;
    shift_ = 64;
    hasEmptyKey_ = false;
}

void FrnMap::Reserve(std::size_t count) {
    std::size_t slotCount = 16;
    while (MaxEntriesFor(slotCount) < count)
        slotCount *= 2;
    if (slotCount > slots_.size())
        Grow(slotCount);
}

void FrnMap::Grow(std::size_t slotCount) {
    std::vector<Slot> old;
    old.swap(slots_);
    slots_.assign(slotCount, Slot{kEmptyKey, 0});
    shift_ = 64;
    for (std::size_t n = slotCount; n > 1; n >>= 1)
        --shift_;
    const std::size_t mask = slotCount - 1;
    for (const Slot& slot : old) {
        if (slot.key == kEmptyKey)
            continue;
        std::size_t i = SlotFor(slot.key);
        while (slots_[i].key != kEmptyKey)
            i = (i + 1) & mask;
        slots_[i] = slot;
    }
}

std::uint64_t FrnMap::InsertOrAssign(std::uint64_t frn, std::uint64_t index) {
    if (frn == kEmptyKey) {
        const std::uint64_t previous = hasEmptyKey_ ? emptyKeyValue_ : kAbsent;
        if (!hasEmptyKey_)
            ++size_;
        hasEmptyKey_ = true;
        emptyKeyValue_ = index;
        return previous;
    }
    if (slots_.empty() || size_ + 1 > MaxEntriesFor(slots_.size())) {
        Grow(slots_.empty() ? 16 : slots_.size() * 2);
    }
    const std::size_t mask = slots_.size() - 1;
    std::size_t i = SlotFor(frn);
    while (slots_[i].key != kEmptyKey) {
        if (slots_[i].key == frn) {
            const std::uint64_t previous = slots_[i].value;
            slots_[i].value = index;
            return previous;
        }
        i = (i + 1) & mask;
    }
    slots_[i] = Slot{frn, index};
    ++size_;
    return kAbsent;
}

const std::uint64_t* FrnMap::Find(std::uint64_t frn) const {
    if (frn == kEmptyKey)
        return hasEmptyKey_ ? &emptyKeyValue_ : nullptr;
    if (slots_.empty())
        return nullptr;
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t i = SlotFor(frn);; i = (i + 1) & mask) {
        const Slot& slot = slots_[i];
        if (slot.key == frn)
            return &slot.value;
        if (slot.key == kEmptyKey)
            return nullptr;
    }
}

}  // namespace kx
