// One NTFS volume's in-memory table of names and parent links, filled from its MFT and kept
// current from its change journal.
//
// Locks: `lock` (shared for searches, path building and attribute loading; exclusive for a
// journal batch, a compaction and the swap at the end of a build) is always taken before
// `attributeCacheLock`; nothing takes `lock` while holding `attributeCacheLock`.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "index/attribute_cache.h"
#include "index/file_record.h"
#include "index/frn_map.h"
#include "index/name_pair_runs.h"
#include "index/name_pool.h"
#include "index/name_signature.h"
#include "platform/srw_lock.h"
#include "platform/volume_io.h"

namespace kx {

// How many dead records a table carries before the journal monitor compacts it. Compaction
// copies every live record and name under the exclusive lock, stalling searches, so it waits
// until enough records have died for the memory won back to be worth that pause.
constexpr std::uint64_t kCompactionThreshold = 10000;

struct MonitorTimings {
    std::chrono::milliseconds afterRead{300};
    std::chrono::milliseconds afterError{1000};
};

struct VolumeIndex {
    VolumeIndex() = default;
    VolumeIndex(const VolumeIndex&) = delete;
    VolumeIndex& operator=(const VolumeIndex&) = delete;
    // Stops and joins the journal monitor, then closes the volume.
    ~VolumeIndex();

    // Opens the volume (rootPath is a letter and a colon), makes sure it has a journal, reads
    // the MFT into a fresh table and swaps it in, then starts the journal monitor unless one
    // runs already. False when the device cannot be opened or the journal cannot be queried.
    bool Build(const std::u16string& drive);
    // Build without starting a monitor: the rebuild that the running monitor itself performs
    // after its journal was lost.
    bool BuildTable(const std::u16string& drive, bool startMonitor);

    // Drops dead records, renumbering the live ones in order, unless fewer than
    // kCompactionThreshold have died. Takes `lock` itself.
    void Compact();

    // Removes the cached attributes of frn. Callers may hold `lock`, never attributeCacheLock.
    void ForgetAttributes(std::uint64_t frn);

    // Asks the monitor to stop and waits for it.
    void StopMonitor();

    std::u16string rootPath;
    std::vector<FileRecord> records;
    // The signature of records[i]'s folded name at [i]. It may cover fewer records than the
    // table holds (a table filled by hand, an append that ran out of memory for it); the scan
    // reads the names of the records past its end.
    std::vector<NameSignature> nameSignatures;
    // The letter pairs of each run of 16 records, over a prefix of the table likewise.
    NamePairRuns namePairs;
    NamePool names;
    FrnMap frnToIndex;
    mutable SrwLock lock;
    UniqueVolumeHandle volumeHandle;
    std::uint64_t journalId = 0;
    std::int64_t nextUsn = 0;
    std::atomic<bool> monitorActive{false};
    std::thread monitorThread;
    std::uint64_t deadCount = 0;
    AttributeCache attributeCache;
    mutable SrwLock attributeCacheLock;

    // Incremented under `lock` whenever positions change meaning (compaction, rebuild), so a
    // hit taken earlier can tell that its record index no longer names its record.
    std::atomic<std::uint64_t> renumberGeneration{0};
    // Counts every record ever marked dead (unlike deadCount, never reset), so that a hit list
    // can tell cheaply, without the lock, whether a record it holds may have died since.
    std::atomic<std::uint64_t> deathCounter{0};

    MonitorTimings monitorTimings;
    // Lets a stop request end the monitor's sleep at once instead of at its next deadline.
    std::mutex monitorSleepMutex;
    std::condition_variable monitorSleepWake;
};

// Capacity to give a records array that is filled with count records: room for the journal's
// appends as well, so that the first file created after a build or a compaction does not copy
// the whole array while the monitor holds `lock` exclusively. Room never written is address
// space only, not resident memory.
std::size_t RecordRoomFor(std::size_t count);

// Units from the last "." of name to its end, the dot included; 0 when it has none.
std::uint16_t ExtensionLengthOf(const char16_t* name, std::uint16_t nameLength);

// Appends a record for a name; `lock` held exclusively (or the table is private).
void AppendRecord(std::vector<FileRecord>& records, NamePool& names, std::uint64_t frn,
                  std::uint64_t parentFrn, const char16_t* name, std::uint16_t nameLength,
                  std::uint32_t fileAttributes);

// Sets isDead and counts it, once. `lock` held exclusively.
void MarkDead(VolumeIndex& volume, std::uint64_t index);

// Full path of a record: rootPath, then a backslash and a name per ancestor below the root,
// at most 100 ancestors. The caller holds `lock`, shared is enough.
std::u16string BuildFullPath(const VolumeIndex& volume, const FileRecord& record);

}  // namespace kx
