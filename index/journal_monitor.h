// Follows one volume's USN change journal and applies creations, deletions and renames to its
// table. It is the only writer of the table once the first build is done.
#pragma once

#include <cstddef>
#include <cstdint>

#include "index/volume_index.h"
#include "platform/usn_record_reader.h"

namespace kx {

// Reasons the monitor asks the journal for; the file system filters out every other change.
constexpr std::uint32_t kJournalReasonMask = USN_REASON_FILE_CREATE | USN_REASON_FILE_DELETE |
                                             USN_REASON_RENAME_OLD_NAME |
                                             USN_REASON_RENAME_NEW_NAME;

// Thread body, started by Build. Ends on a fatal read error, when monitorActive is cleared,
// when ExitRequested is set, or when memory runs out outside a batch. A batch that runs out
// is treated like a lost journal: a rebuild after the error pause.
void MonitorJournal(VolumeIndex& volume);

// Applies one journal record. `lock` held exclusively. Throws std::bad_alloc when memory runs
// out, with the table as it was before the record.
void ApplyJournalRecord(VolumeIndex& volume, const UsnRecordView& record);

// Applies the records of one READ reply (from byte 8 up to size) and takes its next USN.
// A reply of 8 bytes or less changes nothing, nextUsn included. `lock` held exclusively.
// Returns false when a malformed record cut the reply short. Out of memory, throws
// std::bad_alloc with the records before the failed one applied and nextUsn unchanged.
bool ApplyJournalReply(VolumeIndex& volume, const std::uint8_t* reply, std::size_t size);

// What the monitor does with one successful read of `size` bytes: applies a reply longer than
// its header under `lock` held exclusively, then compacts once more than kCompactionThreshold
// records are dead (Compact itself would at exactly that many; the monitor waits for one more). The
// caller must not hold `lock`. Returns false when a malformed record cut the reply short: the table
// then misses the changes after it, and only a rebuild brings them back. Throws std::bad_alloc as
// ApplyJournalReply does; a compaction that runs out is skipped.
bool ProcessJournalReply(VolumeIndex& volume, const std::uint8_t* reply, std::size_t size);

}  // namespace kx
