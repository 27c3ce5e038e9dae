// Reading a hit's record safely. A hit's position is only trusted while its volume has not
// been renumbered since the search; after a compaction or rebuild the file is looked up again
// by frn, and a hit whose file left the table is gone. Nothing here reads past `records`.
#pragma once

#include <shared_mutex>
#include <string>

#include "index/file_record.h"
#include "index/volume_index.h"
#include "search/match_item.h"

namespace kx {

// The record the hit names: its own record while the volume's positions are unchanged, else
// the newest record carrying its frn. Null when the hit is gone. The caller holds
// hit.volume->lock (shared is enough) for as long as it uses the record.
const FileRecord* FindHitRecord(const VolumeIndex& volume, const HitRef& hit);
// Asks for the bytes of the record FindHitRecord reads first, without reading them, so that a
// walk of many hits at random places can ask for them all before it reads any. Same locking.
void PrefetchHitRecord(const VolumeIndex& volume, const HitRef& hit);

// Holds one volume's lock shared across consecutive hits of that volume: hits come grouped
// by volume in search order, so a list of a million hits takes a handful of locks, not a
// million. Switching volumes releases the previous lock first, so at most one is held.
class VolumeReadLock {
  public:
    void Hold(VolumeIndex* volume);

  private:
    VolumeIndex* held_ = nullptr;
    std::shared_lock<SrwLock> guard_;
};

// What the list view and the sort need of a hit's record, copied under the volume's lock.
struct HitRecordCopy {
    bool present = false;  // false when the hit is gone; the other fields are then empty
    std::u16string name;   // as reported
    bool isDirectory = false;
    bool isDead = false;
};

// Takes the hit's volume lock shared itself. withName false skips copying the name.
HitRecordCopy CopyHitRecord(const HitRef& hit, bool withName = true);

}  // namespace kx
