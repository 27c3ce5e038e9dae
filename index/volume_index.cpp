#include "index/volume_index.h"

#include <algorithm>
#include <mutex>
#include <shared_mutex>

namespace kx {

VolumeIndex::~VolumeIndex() {
    StopMonitor();
    // Only now that the monitor no longer reads the journal through it.
    volumeHandle.reset();
    ForgetAllAttributes();
}

void VolumeIndex::StopMonitor() {
    {
        // Under the sleep mutex, so the monitor cannot miss the wake between its check of the
        // flag and its wait.
        std::lock_guard<std::mutex> guard(monitorSleepMutex);
        monitorActive.exchange(false);
    }
    monitorSleepWake.notify_all();
    if (monitorThread.joinable() && monitorThread.get_id() != std::this_thread::get_id()) {
        monitorThread.join();
    }
}

AttributeCacheEntry VolumeIndex::CachedAttributes(std::uint64_t frn) const {
    std::shared_lock<SrwLock> guard(attributeCacheLock_);
    const auto cached = attributeCache_.find(frn);
    return cached != attributeCache_.end() ? cached->second : AttributeCacheEntry{};
}

void VolumeIndex::CacheAttributes(std::uint64_t frn, const AttributeCacheEntry& entry) {
    std::unique_lock<SrwLock> guard(attributeCacheLock_);
    attributeCache_[frn] = entry;
}

void VolumeIndex::ForgetAttributes(std::uint64_t frn) {
    std::unique_lock<SrwLock> guard(attributeCacheLock_);
    attributeCache_.erase(frn);
}

void VolumeIndex::ForgetAllAttributes() {
    std::unique_lock<SrwLock> guard(attributeCacheLock_);
    attributeCache_.clear();
}

std::size_t RecordRoomFor(std::size_t count) {
    constexpr std::size_t kLeastRoom = 4096;
    return count + std::max(count / 16, kLeastRoom);
}

void MarkDead(VolumeIndex& volume, std::uint64_t index) {
    if (volume.table.SetDead(static_cast<std::size_t>(index)))
        volume.deathsEver.fetch_add(1, std::memory_order_relaxed);
}

void VolumeIndex::Compact() {
    // Declared before the guard, so that the old table is freed after the lock is released:
    // readers need not wait for its memory to go back to the system.
    FileTable old;
    std::unique_lock<SrwLock> guard(lock);
    if (table.DeadRecordsHeld() < kCompactionThreshold)
        return;
    FileTable live = table.Compacted();
    old = std::move(table);
    table = std::move(live);
    ++renumberGeneration;
}

std::u16string BuildFullPath(const VolumeIndex& volume, const FileRecord& record) {
    constexpr int kMaxAncestors = 100;
    const FileTable& table = volume.table;
    const FileRecord* chain[kMaxAncestors + 1];
    int depth = 0;
    chain[depth++] = &record;
    std::uint64_t current = record.parentFrn;
    for (int step = 0; step < kMaxAncestors; ++step) {
        const FileRecord* parent = table.NewestRecordOf(current);
        if (parent == nullptr)
            break;
        if (parent->frn == parent->parentFrn)
            break;  // the root directory: its name is not shown
        chain[depth++] = parent;
        current = parent->parentFrn;
    }
    std::size_t length = volume.rootPath.size();
    for (int i = 0; i < depth; ++i)
        length += 1 + chain[i]->nameLength;
    std::u16string path;
    path.reserve(length);
    path = volume.rootPath;
    for (int i = depth - 1; i >= 0; --i) {
        path += u'\\';
        table.Name(*chain[i]).AppendTo(path);
    }
    return path;
}

}  // namespace kx
