// The MFT of a simulated volume as a file: USN_RECORD_V2 records back to back, as they follow
// the 8-byte header of an ENUM reply. Loading walks them with the program's own record reader,
// so a file is judged damaged exactly where the program would judge a reply damaged.
#include <algorithm>
#include <cstring>

#include "platform/sim/sim_volume_state.h"
#include "platform/sim/simulated_volume.h"
#include "platform/usn_layout.h"
#include "platform/usn_record_reader.h"

namespace kx::sim {
namespace {

// Sizes the slot and name arrays once, from a first walk of the file. Grown record by record,
// each would need its old and its new array at once, and beside the file itself that does not
// fit a 32-bit process at ten million records.
void ReserveFor(SimVolumeState& state, const std::uint8_t* data, std::size_t size,
                std::uint64_t recordNumberLimit) {
    UsnRecordReader reader(data, size, 0);
    UsnRecordView record;
    std::uint64_t slots = state.entries.size();
    std::size_t units = 0;
    while (reader.Next(&record) == UsnReadStatus::kRecord) {
        const std::uint64_t number = RecordNumberOf(record.frn);
        if (number < kFirstUserRecord || number >= recordNumberLimit)
            continue;
        slots = std::max(slots, number + 1);
        units += record.nameLength;
    }
    state.entries.reserve(static_cast<std::size_t>(slots));
    state.names.reserve(state.names.size() + units);
}

}  // namespace

MftFileLoad SimVolume::LoadMftRecords(const std::string& bytes) {
    std::lock_guard<std::mutex> guard(mutex_);
    MftFileLoad load;
    // A record number far beyond what the file could describe would make the slot vector
    // enormous; a real MFT has few more record numbers than records in use.
    load.recordNumberLimit = kFirstUserRecord + 4 * (bytes.size() / 64) + 1024;
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
    ReserveFor(*state_, data, bytes.size(), load.recordNumberLimit);
    UsnRecordReader reader(data, bytes.size(), 0);
    UsnRecordView record;
    std::int64_t highestUsn = 0;
    std::u16string name;
    for (;;) {
        const UsnReadStatus status = reader.Next(&record);
        if (status == UsnReadStatus::kEnd)
            break;
        if (status == UsnReadStatus::kMalformed) {
            load.damageOffset = reader.Offset();
            break;
        }
        const std::uint64_t number = RecordNumberOf(record.frn);
        if (number < kFirstUserRecord)
            continue;
        if (number >= load.recordNumberLimit) {
            ++load.beyondLimit;
            continue;
        }
        name.resize(record.nameLength);
        std::memcpy(name.data(), record.name, record.nameLength * 2u);
        PlaceEntryAt(*state_, record.frn, record.parentFrn, name, record.fileAttributes,
                     record.usn);
        highestUsn = std::max(highestUsn, record.usn);
        ++load.loaded;
    }
    KeepNextUsnPast(*state_, highestUsn);
    return load;
}

std::string SimVolume::SaveMftRecords() const {
    std::lock_guard<std::mutex> guard(mutex_);
    std::size_t total = 0;
    for (std::uint64_t record = kFirstUserRecord; record < state_->entries.size(); ++record) {
        const EntrySlot& slot = state_->entries[record];
        if (slot.inUse)
            total += UsnRecordLengthFor(slot.nameLength * 2u);
    }
    std::string bytes(total, '\0');
    std::size_t at = 0;
    for (std::uint64_t record = kFirstUserRecord; record < state_->entries.size(); ++record) {
        const EntrySlot& slot = state_->entries[record];
        if (!slot.inUse)
            continue;
        WriteEnumRecord(*state_, record, reinterpret_cast<std::uint8_t*>(&bytes[at]));
        at += UsnRecordLengthFor(slot.nameLength * 2u);
    }
    return bytes;
}

}  // namespace kx::sim
