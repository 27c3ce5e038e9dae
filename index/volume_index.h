// One NTFS volume's in-memory table of names and parent links, filled from its MFT and kept
// current from its change journal.
//
// Locks: `lock` (shared for searches, path building and attribute loading; exclusive for a
// journal batch, a compaction and the swap at the end of a build) is always taken before the
// attribute cache's own lock, which only the cache's functions take.
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
#include "index/file_table.h"
#include "platform/srw_lock.h"
#include "platform/volume_io.h"

namespace kx {

// How many dead records a table carries before it is worth compacting: Compact drops them at
// this many, and the journal monitor asks for it once there are more. Compaction
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
    // Build, starting the monitor only when startMonitor is set: the running monitor's own
    // rebuild after its journal was lost passes false.
    bool BuildTable(const std::u16string& drive, bool startMonitor);

    // Drops dead records, renumbering the live ones in order, unless fewer than
    // kCompactionThreshold have died. Takes `lock` itself.
    void Compact();

    // The attribute cache. Each takes the cache's own lock, after `lock` when the caller holds
    // that (never the reverse).
    //
    // The attributes last stored for frn; an entry not `loaded` when there are none.
    AttributeCacheEntry CachedAttributes(std::uint64_t frn) const;
    void CacheAttributes(std::uint64_t frn, const AttributeCacheEntry& entry);
    void ForgetAttributes(std::uint64_t frn);
    // Every entry: the table was replaced, and its files may be others.
    void ForgetAllAttributes();

    // Asks the monitor to stop and waits for it.
    void StopMonitor();

    std::u16string rootPath;
    // The records, their names and the map from frn to record (with the record count, the
    // count of dead records held and everything the scan keeps per record).
    FileTable table;
    mutable SrwLock lock;
    UniqueVolumeHandle volumeHandle;
    std::uint64_t journalId = 0;
    std::int64_t nextUsn = 0;
    std::atomic<bool> monitorActive{false};
    std::thread monitorThread;

    // Incremented under `lock` whenever positions change meaning (compaction, rebuild), so a
    // hit taken earlier can tell that its record index no longer names its record.
    std::atomic<std::uint64_t> renumberGeneration{0};
    // Counts every record ever marked dead (unlike table.DeadRecordsHeld(), never reset by a
    // compaction), so that a hit list can tell cheaply, without the lock, whether a record it
    // holds may have died since.
    std::atomic<std::uint64_t> deathsEver{0};

    MonitorTimings monitorTimings;
    // Lets a stop request end the monitor's sleep at once instead of at its next deadline.
    std::mutex monitorSleepMutex;
    std::condition_variable monitorSleepWake;

  private:
    AttributeCache attributeCache_;
    mutable SrwLock attributeCacheLock_;
};

// Capacity to give an array that may hold one item per record of a table of count records:
// room for the journal's appends as well. Room never written is address space only.
std::size_t RecordRoomFor(std::size_t count);

// Marks the record dead and counts it in table.DeadRecordsHeld() and deathsEver, once. `lock`
// held exclusively.
void MarkDead(VolumeIndex& volume, std::uint64_t index);

// Full path of a record: rootPath, then a backslash and a name per ancestor below the root,
// at most 100 ancestors. The caller holds `lock`, shared is enough.
std::u16string BuildFullPath(const VolumeIndex& volume, const FileRecord& record);

}  // namespace kx
