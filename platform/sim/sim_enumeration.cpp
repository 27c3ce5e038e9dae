// FSCTL_ENUM_USN_DATA. The program reads 10 million entries through this in 1 MiB replies,
// so a reply costs only the records it holds: the start reference indexes the slot vector
// directly and each record is written straight into the caller's buffer, with no scan from
// the beginning and no intermediate copy.
#include <algorithm>
#include <cstring>

#include "platform/sim/sim_volume_state.h"
#include "platform/usn_layout.h"
#include "platform/windows_errors.h"

namespace kx::sim {

void WriteEnumRecord(const SimVolumeState& state, std::uint64_t record, std::uint8_t* out) {
    const EntrySlot& slot = state.entries[record];
    const std::uint32_t nameBytes = slot.nameLength * 2u;
    const std::uint32_t length = UsnRecordLengthFor(nameBytes);
    // TimeStamp, Reason, SourceInfo and SecurityId stay 0: enumeration has no change to
    // describe.
    UsnRecordV2 header{};
    header.RecordLength = length;
    header.MajorVersion = 2;
    header.MinorVersion = 0;
    header.FileReferenceNumber = FrnOf(state, record);
    header.ParentFileReferenceNumber = slot.parentFrn;
    header.Usn = slot.usn;
    header.FileAttributes = slot.attributes;
    header.FileNameLength = static_cast<std::uint16_t>(nameBytes);
    header.FileNameOffset = kUsnRecordV2HeaderSize;
    std::memcpy(out, &header, kUsnRecordV2HeaderSize);
    std::memcpy(out + kUsnRecordV2HeaderSize, state.names.data() + slot.nameOffset, nameBytes);
    const std::uint32_t used = kUsnRecordV2HeaderSize + nameBytes;
    std::memset(out + used, 0, length - used);
}

std::uint32_t EnumerateMft(const SimVolumeState& state, const void* input, std::uint32_t inputSize,
                           void* output, std::uint32_t outputSize, std::uint32_t* bytesReturned) {
    // Only the 24-byte V0 request: that is what every NTFS version accepts.
    if (input == nullptr || inputSize != sizeof(MftEnumDataV0))
        return kErrorInvalidParameter;
    MftEnumDataV0 request;
    std::memcpy(&request, input, sizeof(request));
    auto* out = static_cast<std::uint8_t*>(output);
    const std::uint32_t room = output == nullptr ? 0 : outputSize;

    std::uint64_t record =
        std::max(RecordNumberOf(request.StartFileReferenceNumber), kFirstUserRecord);
    std::uint32_t used = kUsnReplyHeaderSize;
    bool wrote = false;
    for (; record < state.entries.size(); ++record) {
        const EntrySlot& slot = state.entries[record];
        if (!slot.inUse || slot.usn < request.LowUsn || slot.usn > request.HighUsn)
            continue;
        const std::uint32_t length = UsnRecordLengthFor(slot.nameLength * 2u);
        if (room < used || length > room - used) {
            if (!wrote)
                return kErrorInsufficientBuffer;
            break;
        }
        WriteEnumRecord(state, record, out + used);
        used += length;
        wrote = true;
    }
    if (!wrote)
        return kErrorHandleEof;
    // The next request continues at the first record number not yet looked at.
    const std::uint64_t next = record;
    std::memcpy(out, &next, sizeof(next));
    *bytesReturned = used;
    return kErrorSuccess;
}

}  // namespace kx::sim
