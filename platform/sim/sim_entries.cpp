// The MFT records of a simulated volume: slots by record number, the shared name pool and the
// free record numbers.
#include <chrono>
#include <iterator>
#include <limits>

#include "platform/sim/sim_volume_state.h"
#include "platform/usn_layout.h"

namespace kx::sim {

namespace {

// Renames append their new name and leave the old one behind; should the 32-bit offsets run
// out, the pool is rewritten with the names still in use.
void CompactNames(SimVolumeState& state) {
    std::vector<char16_t> fresh;
    for (EntrySlot& slot : state.entries) {
        if (!slot.inUse) {
            slot.nameOffset = 0;
            slot.nameLength = 0;
            continue;
        }
        const auto offset = static_cast<std::uint32_t>(fresh.size());
        fresh.insert(fresh.end(), state.names.begin() + slot.nameOffset,
                     state.names.begin() + slot.nameOffset + slot.nameLength);
        slot.nameOffset = offset;
    }
    state.names.swap(fresh);
}

std::optional<std::uint64_t> TakeLowestFree(SimVolumeState& state) {
    if (state.freeRanges.empty())
        return std::nullopt;
    auto lowest = state.freeRanges.begin();
    const std::uint64_t record = lowest->first;
    const std::uint64_t end = lowest->second;
    state.freeRanges.erase(lowest);
    if (record + 1 < end)
        state.freeRanges.emplace(record + 1, end);
    return record;
}

// Drops one record number from the free ranges, wherever it lies in them.
void UnfreeRecord(SimVolumeState& state, std::uint64_t record) {
    auto after = state.freeRanges.upper_bound(record);
    if (after == state.freeRanges.begin())
        return;
    auto range = std::prev(after);
    const std::uint64_t begin = range->first;
    const std::uint64_t end = range->second;
    if (record >= end)
        return;
    state.freeRanges.erase(range);
    if (begin < record)
        state.freeRanges.emplace(begin, record);
    if (record + 1 < end)
        state.freeRanges.emplace(record + 1, end);
}

}  // namespace

std::u16string_view NameOf(const SimVolumeState& state, const EntrySlot& slot) {
    return std::u16string_view(state.names.data() + slot.nameOffset, slot.nameLength);
}

std::uint64_t FrnOf(const SimVolumeState& state, std::uint64_t record) {
    return MakeFileReference(record, state.entries[record].sequence);
}

EntrySlot* LiveSlot(SimVolumeState& state, std::uint64_t frn) {
    const std::uint64_t record = RecordNumberOf(frn);
    if (record >= state.entries.size())
        return nullptr;
    EntrySlot& slot = state.entries[record];
    return slot.inUse && slot.sequence == SequenceOf(frn) ? &slot : nullptr;
}

const EntrySlot* LiveSlot(const SimVolumeState& state, std::uint64_t frn) {
    return LiveSlot(const_cast<SimVolumeState&>(state), frn);
}

void StoreName(SimVolumeState& state, EntrySlot& slot, std::u16string_view name) {
    if (name.size() > kMaxNameUnits)
        name = name.substr(0, kMaxNameUnits);
    if (state.names.size() + name.size() > std::numeric_limits<std::uint32_t>::max())
        CompactNames(state);
    slot.nameOffset = static_cast<std::uint32_t>(state.names.size());
    slot.nameLength = static_cast<std::uint16_t>(name.size());
    state.names.insert(state.names.end(), name.begin(), name.end());
}

void FreeRecord(SimVolumeState& state, std::uint64_t record) {
    state.entries[record].inUse = false;
    state.freeRanges.emplace(record, record + 1);
}

std::uint64_t AllocateEntry(SimVolumeState& state, std::uint64_t parentFrn,
                            std::u16string_view name, std::uint32_t attributes) {
    std::uint64_t record = 0;
    if (const auto reused = TakeLowestFree(state)) {
        record = *reused;
    } else {
        record = state.entries.size();
        state.entries.emplace_back();
    }
    EntrySlot& slot = state.entries[record];
    const std::uint16_t previous = slot.sequence;
    // A fresh record starts at 1; a reused one moves on, never to the reserved 0.
    slot = EntrySlot{};
    slot.sequence = static_cast<std::uint16_t>(previous == 0xFFFF ? 1 : previous + 1);
    slot.parentFrn = parentFrn;
    slot.attributes = attributes;
    slot.inUse = true;
    StoreName(state, slot, name);
    IndexChild(state, record);
    return FrnOf(state, record);
}

void PlaceEntryAt(SimVolumeState& state, std::uint64_t frn, std::uint64_t parentFrn,
                  std::u16string_view name, std::uint32_t attributes, std::int64_t usn) {
    const std::uint64_t record = RecordNumberOf(frn);
    if (record >= state.entries.size()) {
        const std::uint64_t oldSize = state.entries.size();
        state.entries.resize(record + 1);
        if (oldSize < record)
            state.freeRanges.emplace(oldSize, record);
    } else if (state.entries[record].inUse) {
        UnindexChild(state, record);
    } else {
        UnfreeRecord(state, record);
    }
    EntrySlot& slot = state.entries[record];
    slot = EntrySlot{};
    slot.sequence = SequenceOf(frn);
    slot.parentFrn = parentFrn;
    slot.attributes = attributes;
    slot.usn = usn;
    slot.inUse = true;
    StoreName(state, slot, name);
    IndexChild(state, record);
}

SimEntry ToSimEntry(const SimVolumeState& state, std::uint64_t record) {
    const EntrySlot& slot = state.entries[record];
    SimEntry entry;
    entry.frn = FrnOf(state, record);
    entry.parentFrn = slot.parentFrn;
    entry.name = std::u16string(NameOf(state, slot));
    entry.attributes = slot.attributes;
    entry.size = slot.size;
    entry.lastWriteTime = slot.lastWriteTime;
    entry.creationTime = slot.creationTime;
    entry.usn = slot.usn;
    entry.inUse = slot.inUse;
    return entry;
}

std::uint64_t NowAsFileTime() {
    // FILETIME counts 100 ns steps from 1601-01-01; the Unix epoch is 11644473600 s later.
    using Ticks = std::chrono::duration<std::int64_t, std::ratio<1, 10000000>>;
    const auto sinceUnix =
        std::chrono::duration_cast<Ticks>(std::chrono::system_clock::now().time_since_epoch());
    return static_cast<std::uint64_t>(sinceUnix.count()) + 116444736000000000ull;
}

}  // namespace kx::sim
