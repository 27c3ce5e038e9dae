// The change journal of a simulated volume and FSCTL_READ_USN_JOURNAL. A record's USN is its
// byte offset in the journal's stream, so NextUsn grows by each record's length.
#include <algorithm>
#include <atomic>
#include <cstring>

#include "platform/sim/sim_volume_state.h"
#include "platform/usn_layout.h"
#include "platform/windows_errors.h"

namespace kx::sim {

namespace {

std::uint32_t LengthOf(const JournalRecord& record) {
    return UsnRecordLengthFor(static_cast<std::uint32_t>(record.name.size() * 2));
}

std::int64_t RoundUpTo8(std::int64_t value) {
    return (value + 7) & ~static_cast<std::int64_t>(7);
}

void WriteJournalRecord(const JournalRecord& record, std::uint8_t* out) {
    const std::uint32_t length = LengthOf(record);
    UsnRecordV2 header{};
    header.RecordLength = length;
    header.MajorVersion = 2;
    header.MinorVersion = 0;
    header.FileReferenceNumber = record.frn;
    header.ParentFileReferenceNumber = record.parentFrn;
    header.Usn = record.usn;
    header.TimeStamp = record.timeStamp;
    header.Reason = record.reason;
    header.FileAttributes = record.attributes;
    header.FileNameLength = static_cast<std::uint16_t>(record.name.size() * 2);
    header.FileNameOffset = kUsnRecordV2HeaderSize;
    std::memcpy(out, &header, kUsnRecordV2HeaderSize);
    std::memcpy(out + kUsnRecordV2HeaderSize, record.name.data(), record.name.size() * 2);
    const std::uint32_t used = kUsnRecordV2HeaderSize + header.FileNameLength;
    std::memset(out + used, 0, length - used);
}

}  // namespace

std::uint64_t NewJournalId() {
    // Journal ids are creation times on NTFS; distinct values are all that matters here.
    static std::atomic<std::uint64_t> next{NowAsFileTime()};
    return next.fetch_add(1);
}

void CreateJournal(SimVolumeState& state, std::uint64_t maximumSize, std::uint64_t allocation) {
    if (state.journal) {
        state.journal->maximumSize = maximumSize;
        state.journal->allocationDelta = allocation;
        TrimJournal(*state.journal);
        return;
    }
    std::int64_t highest = 0;
    for (const EntrySlot& slot : state.entries)
        highest = std::max(highest, slot.inUse ? slot.usn : 0);
    Journal journal;
    journal.id = NewJournalId();
    journal.firstUsn = journal.nextUsn = journal.lowestValidUsn =
        highest == 0 ? 0 : RoundUpTo8(highest + 1);
    journal.maximumSize = maximumSize;
    journal.allocationDelta = allocation;
    state.journal = std::move(journal);
}

void RemoveJournal(SimVolumeState& state) {
    state.journal.reset();
    for (EntrySlot& slot : state.entries)
        slot.usn = 0;
}

void TrimJournal(Journal& journal) {
    while (!journal.records.empty() && journal.bytesHeld > journal.maximumSize) {
        journal.bytesHeld -= LengthOf(journal.records.front());
        journal.records.pop_front();
    }
    journal.firstUsn = journal.records.empty() ? journal.nextUsn : journal.records.front().usn;
}

void AppendJournalRecord(SimVolumeState& state, std::uint64_t record, std::uint32_t reason) {
    if (!state.journal)
        return;
    Journal& journal = *state.journal;
    EntrySlot& slot = state.entries[record];
    JournalRecord change;
    change.usn = journal.nextUsn;
    change.frn = FrnOf(state, record);
    change.parentFrn = slot.parentFrn;
    change.timeStamp = static_cast<std::int64_t>(NowAsFileTime());
    change.reason = reason;
    change.attributes = slot.attributes;
    change.name = std::u16string(NameOf(state, slot));
    slot.usn = change.usn;
    journal.nextUsn += LengthOf(change);
    journal.bytesHeld += LengthOf(change);
    journal.records.push_back(std::move(change));
    TrimJournal(journal);
}

void KeepNextUsnPast(SimVolumeState& state, std::int64_t usn) {
    if (!state.journal || state.journal->nextUsn > usn)
        return;
    state.journal->nextUsn = RoundUpTo8(usn + 1);
    if (state.journal->records.empty())
        state.journal->firstUsn = state.journal->nextUsn;
}

std::uint32_t ReadJournal(SimVolumeState& state, const void* input, std::uint32_t inputSize,
                          void* output, std::uint32_t outputSize, std::uint32_t* bytesReturned) {
    if (input == nullptr || inputSize != sizeof(ReadUsnJournalDataV0))
        return kErrorInvalidParameter;
    if (!state.journal)
        return kErrorJournalNotActive;
    ReadUsnJournalDataV0 request;
    std::memcpy(&request, input, sizeof(request));
    const Journal& journal = *state.journal;
    if (request.UsnJournalID != journal.id)
        return kErrorInvalidParameter;
    // 0 asks for the journal from its first record, wherever the journal now begins.
    const std::int64_t start = request.StartUsn == 0 ? journal.firstUsn : request.StartUsn;
    if (start < journal.firstUsn)
        return kErrorJournalEntryDeleted;
    if (output == nullptr || outputSize < kUsnReplyHeaderSize)
        return kErrorInsufficientBuffer;

    auto* out = static_cast<std::uint8_t*>(output);
    auto it = std::lower_bound(
        journal.records.begin(), journal.records.end(), start,
        [](const JournalRecord& record, std::int64_t usn) { return record.usn < usn; });
    std::uint32_t used = kUsnReplyHeaderSize;
    std::int64_t next = std::max(start, journal.nextUsn);
    bool wrote = false;
    for (; it != journal.records.end(); ++it) {
        const bool wanted = (it->reason & request.ReasonMask) != 0 &&
                            (request.ReturnOnlyOnClose == 0 || (it->reason & USN_REASON_CLOSE));
        if (!wanted)
            continue;
        const std::uint32_t length = LengthOf(*it);
        if (length > outputSize - used) {
            if (!wrote)
                return kErrorInsufficientBuffer;
            // The reader goes on at the first record it has not been given, which lies past
            // every record the mask passed over.
            next = it->usn;
            break;
        }
        WriteJournalRecord(*it, out + used);
        used += length;
        wrote = true;
    }
    if (start > journal.nextUsn)
        next = start;
    std::memcpy(out, &next, sizeof(next));
    *bytesReturned = used;
    return kErrorSuccess;
}

}  // namespace kx::sim
