#include "search/hit_record.h"

#include <mutex>
#include <shared_mutex>

namespace kx {

void VolumeReadLock::Hold(VolumeIndex* volume) {
    if (volume == held_)
        return;
    if (guard_.owns_lock())
        guard_.unlock();
    guard_ = std::shared_lock<SrwLock>(volume->lock);
    held_ = volume;
}

const FileRecord* FindHitRecord(const VolumeIndex& volume, const HitRef& item) {
    const FileTable& table = volume.table;
    if (item.renumberGeneration == volume.renumberGeneration.load()) {
        // Appends never move a record, so the position still names the record found; the frn
        // comparison only guards against a hit that was built by hand with a wrong position.
        if (item.recordIndex < table.Size()) {
            const FileRecord& record = table.Record(static_cast<std::size_t>(item.recordIndex));
            if (record.frn == item.frn)
                return &record;
        }
        return nullptr;
    }
    return table.NewestRecordOf(item.frn);
}

void PrefetchHitRecord(const VolumeIndex& volume, const HitRef& hit) {
    if (hit.renumberGeneration == volume.renumberGeneration.load() &&
        hit.recordIndex < volume.table.Size())
        volume.table.PrefetchRecord(volume.table.Record(static_cast<std::size_t>(hit.recordIndex)));
}

HitRecordCopy CopyHitRecord(const HitRef& item, bool withName) {
    HitRecordCopy copy;
    if (item.volume == nullptr)
        return copy;
    std::shared_lock<SrwLock> guard(item.volume->lock);
    const FileRecord* record = FindHitRecord(*item.volume, item);
    if (record == nullptr)
        return copy;
    copy.present = true;
    if (withName)
        copy.name = item.volume->table.NameText(*record);
    copy.isDirectory = record->IsDirectory();
    copy.isDead = record->IsDead();
    return copy;
}

}  // namespace kx
