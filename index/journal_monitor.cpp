#include "index/journal_monitor.h"

#include <cstring>
#include <memory>
#include <mutex>
#include <new>

#include "common/process_state.h"
#include "platform/windows_errors.h"

namespace kx {

namespace {

constexpr std::uint32_t kJournalBufferBytes = 65536;

constexpr std::uint32_t kRemovalReasons = USN_REASON_FILE_DELETE | USN_REASON_RENAME_OLD_NAME;
constexpr std::uint32_t kAdditionReasons = USN_REASON_FILE_CREATE | USN_REASON_RENAME_NEW_NAME;

// Sleeps until the deadline on the monotonic clock, or until a stop request wakes it.
void SleepFor(VolumeIndex& volume, std::chrono::milliseconds duration) {
    const auto deadline = std::chrono::steady_clock::now() + duration;
    std::unique_lock<std::mutex> guard(volume.monitorSleepMutex);
    volume.monitorSleepWake.wait_until(
        guard, deadline, [&] { return !volume.monitorActive.load() || ExitRequested.load(); });
}

// Refills the table from the MFT, built aside and swapped in. A rebuild that fails waits like
// any other error instead of asking again at once, forever.
void Rebuild(VolumeIndex& volume) {
    if (!volume.BuildTable(volume.rootPath, false))
        SleepFor(volume, volume.monitorTimings.afterError);
}

}  // namespace

void ApplyJournalRecord(VolumeIndex& volume, const UsnRecordView& change) {
    FileTable& table = volume.table;
    const std::uint64_t frn = change.frn;
    if ((change.reason & kRemovalReasons) != 0) {
        const std::uint64_t index = table.IndexOf(frn);
        if (index != FileTable::kAbsent)
            MarkDead(volume, index);
        volume.ForgetAttributes(frn);
        // A record that removes a name never adds one, even when it still carries the creation
        // bit: a temporary file created and deleted before its close reports both, and adding
        // it back would leave a file in the index that no longer exists. A rename's new name
        // arrives in a record of its own.
        return;
    }
    if ((change.reason & kAdditionReasons) == 0)
        return;

    const std::uint64_t index = table.IndexOf(frn);
    if (index != FileTable::kAbsent) {
        const FileRecord& current = table.Record(static_cast<std::size_t>(index));
        if (!current.IsDead() && table.NameEquals(current, change.name, change.nameLength)) {
            // The same name reported again (the creation is reported once per new reason bit
            // and at the close): nothing changes but the cached attributes.
            volume.ForgetAttributes(frn);
            return;
        }
    }
    // The old record dies only once the new one is in: should memory run out, the table stays
    // as it was before this record.
    std::uint64_t replaced = FileTable::kAbsent;
    table.AppendMapped(frn, change.parentFrn, change.name, change.nameLength, change.fileAttributes,
                       &replaced);
    if (replaced != FileTable::kAbsent)
        MarkDead(volume, replaced);
    volume.ForgetAttributes(frn);
}

bool ApplyJournalReply(VolumeIndex& volume, const std::uint8_t* reply, std::size_t size) {
    // Too short to carry even the next USN: nothing to take from it.
    if (size <= kUsnReplyHeaderSize)
        return true;
    UsnRecordReader reader(reply, size, kUsnReplyHeaderSize);
    UsnRecordView change;
    UsnReadStatus status;
    while ((status = reader.Next(&change)) == UsnReadStatus::kRecord) {
        if (ExitRequested.load(std::memory_order_relaxed))
            break;
        ApplyJournalRecord(volume, change);
    }
    std::memcpy(&volume.nextUsn, reply, sizeof(volume.nextUsn));
    return status != UsnReadStatus::kMalformed;
}

bool ProcessJournalReply(VolumeIndex& volume, const std::uint8_t* reply, std::size_t size) {
    if (size <= kUsnReplyHeaderSize)
        return true;
    bool whole;
    {
        std::unique_lock<SrwLock> guard(volume.lock);
        whole = ApplyJournalReply(volume, reply, size);
    }
    // The dead count has no other writer than this thread, so reading it unlocked here is safe;
    // Compact takes the lock itself. It builds the compacted table aside, so running out of
    // memory leaves the table whole and current; the next batch tries again.
    if (volume.table.DeadRecordsHeld() > kCompactionThreshold) {
        try {
            volume.Compact();
        } catch (const std::bad_alloc&) {
            OutOfMemoryFailures.fetch_add(1);
        }
    }
    return whole;
}

namespace {

// After a batch that could not be applied whole: the changes after the failed record are lost
// to the table, while the reply's next USN lies past them, so, as after a lost journal, only
// the MFT can bring it back in step. The pause first keeps a volume whose every reply fails
// from being enumerated back to back.
void RebuildAfterPause(VolumeIndex& volume) {
    SleepFor(volume, volume.monitorTimings.afterError);
    if (volume.monitorActive.load() && !ExitRequested.load())
        Rebuild(volume);
}

void FollowJournal(VolumeIndex& volume) {
    // 8-byte elements: records are 8-byte aligned from the start of the reply.
    std::unique_ptr<std::uint64_t[]> storage(new std::uint64_t[kJournalBufferBytes / 8]());
    auto* buffer = reinterpret_cast<std::uint8_t*>(storage.get());

    for (;;) {
        if (ExitRequested.load())
            return;
        // Both may have changed through a rebuild.
        const ReadUsnJournalDataV0 request{volume.nextUsn,  kJournalReasonMask, 0, 0, 0,
                                           volume.journalId};
        std::uint32_t got = 0;
        const std::uint32_t error =
            SendVolumeControl(volume.volumeHandle, FSCTL_READ_USN_JOURNAL, &request,
                              sizeof(request), buffer, kJournalBufferBytes, &got);
        if (error == 0) {
            bool whole = false;
            try {
                whole = ProcessJournalReply(volume, buffer,
                                            std::min<std::size_t>(got, kJournalBufferBytes));
            } catch (const std::bad_alloc&) {
                // The records before the one that failed are in; it and the rest are not.
                OutOfMemoryFailures.fetch_add(1);
            }
            if (whole) {
                SleepFor(volume, volume.monitorTimings.afterRead);
            } else {
                // A damaged record, whose followers cannot be located, or one that did not fit
                // in memory.
                RebuildAfterPause(volume);
            }
        } else if (error == kErrorJournalNotActive || error == kErrorJournalEntryDeleted) {
            // The journal was deleted or has overwritten what was still to be read: only a
            // fresh read of the MFT can bring the table back in step.
            Rebuild(volume);
        } else if (error == kErrorAccessDenied || error == kErrorInvalidHandle ||
                   error == kErrorDeviceNotConnected) {
            // The volume stays searchable with its last state.
            return;
        } else {
            SleepFor(volume, volume.monitorTimings.afterError);
        }
        if (!volume.monitorActive.load())
            return;
    }
}

}  // namespace

void MonitorJournal(VolumeIndex& volume) {
    if (!volume.monitorActive.load())
        return;
    try {
        FollowJournal(volume);
    } catch (const std::bad_alloc&) {
        // Not even the read buffer or a rebuild's bookkeeping fits: the volume stays
        // searchable with its last state, as when the journal cannot be read at all. An
        // exception leaving this thread would end the process.
        OutOfMemoryFailures.fetch_add(1);
    }
}

}  // namespace kx
