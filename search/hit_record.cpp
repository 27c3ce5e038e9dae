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
    if (item.renumberGeneration == volume.renumberGeneration.load()) {
        // Appends never move a record, so the position still names the record found; the frn
        // comparison only guards against a hit that was built by hand with a wrong position.
        if (item.recordIndex < volume.records.size()) {
            const FileRecord& record = volume.records[static_cast<std::size_t>(item.recordIndex)];
            if (record.frn == item.frn)
                return &record;
        }
        return nullptr;
    }
    const std::uint64_t* index = volume.frnToIndex.Find(item.frn);
    if (index == nullptr || *index >= volume.records.size())
        return nullptr;
    const FileRecord& record = volume.records[static_cast<std::size_t>(*index)];
    return record.frn == item.frn ? &record : nullptr;
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
        copy.name.assign(record->name, record->nameLength);
    copy.isDirectory = record->isDirectory != 0;
    copy.isDead = record->isDead != 0;
    return copy;
}

}  // namespace kx
