#include "index/volume_index.h"

#include <algorithm>
#include <mutex>
#include <shared_mutex>

#include "platform/usn_layout.h"

namespace kx {

VolumeIndex::~VolumeIndex() {
    StopMonitor();
    // Only now that the monitor no longer reads the journal through it.
    volumeHandle.reset();
    std::unique_lock<SrwLock> cacheGuard(attributeCacheLock);
    attributeCache.clear();
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

void VolumeIndex::ForgetAttributes(std::uint64_t frn) {
    std::unique_lock<SrwLock> guard(attributeCacheLock);
    attributeCache.erase(frn);
}

std::uint16_t ExtensionLengthOf(const char16_t* name, std::uint16_t nameLength) {
    for (std::uint16_t i = nameLength; i > 0; --i) {
        if (name[i - 1] == u'.')
            return static_cast<std::uint16_t>(nameLength - (i - 1));
    }
    return 0;
}

std::size_t RecordRoomFor(std::size_t count) {
    constexpr std::size_t kLeastRoom = 4096;
    return count + std::max(count / 16, kLeastRoom);
}

void AppendRecord(std::vector<FileRecord>& records, NamePool& names, std::uint64_t frn,
                  std::uint64_t parentFrn, const char16_t* name, std::uint16_t nameLength,
                  std::uint32_t fileAttributes) {
    FileRecord record;
    record.frn = frn;
    record.parentFrn = parentFrn;
    record.name = names.Append(name, nameLength);
    record.nameLength = nameLength;
    record.extensionLength = ExtensionLengthOf(name, nameLength);
    record.isDirectory = (fileAttributes & FILE_ATTRIBUTE_DIRECTORY_BIT) != 0 ? 1u : 0u;
    record.isDead = 0;
    records.push_back(record);
}

void MarkDead(VolumeIndex& volume, std::uint64_t index) {
    FileRecord& record = volume.records[index];
    if (record.isDead == 0) {
        record.isDead = 1;
        ++volume.deadCount;
        volume.deathCounter.fetch_add(1, std::memory_order_relaxed);
    }
}

void VolumeIndex::Compact() {
    std::unique_lock<SrwLock> guard(lock);
    if (deadCount < kCompactionThreshold)
        return;

    std::vector<FileRecord> liveRecords;
    liveRecords.reserve(RecordRoomFor(records.size() - deadCount));
    std::vector<NameSignature> liveSignatures;
    liveSignatures.reserve(liveRecords.capacity());
    NamePool livePool;
    livePool.chunkCapacity = names.chunkCapacity;
    livePool.chunkUsed = names.chunkCapacity;
    FrnMap liveMap;
    liveMap.Reserve(records.size() - deadCount);
    for (std::size_t i = 0; i < records.size(); ++i) {
        const FileRecord& record = records[i];
        if (record.isDead != 0)
            continue;
        FileRecord copy = record;
        copy.name = livePool.Append(record.name, record.nameLength);
        liveMap.InsertOrAssign(copy.frn, liveRecords.size());
        liveRecords.push_back(copy);
        if (liveSignatures.size() + 1 == liveRecords.size() && i < nameSignatures.size())
            liveSignatures.push_back(nameSignatures[i]);
    }
    ExtendNameSignatures(liveRecords, liveSignatures);
    NamePairRuns livePairs;
    ExtendNamePairRuns(liveRecords, livePairs);
    records.swap(liveRecords);
    nameSignatures.swap(liveSignatures);
    std::swap(namePairs, livePairs);
    names = std::move(livePool);
    frnToIndex = std::move(liveMap);
    deadCount = 0;
    ++renumberGeneration;
}

std::u16string BuildFullPath(const VolumeIndex& volume, const FileRecord& record) {
    constexpr int kMaxAncestors = 100;
    const FileRecord* chain[kMaxAncestors + 1];
    int depth = 0;
    chain[depth++] = &record;
    std::uint64_t current = record.parentFrn;
    for (int step = 0; step < kMaxAncestors; ++step) {
        const std::uint64_t* index = volume.frnToIndex.Find(current);
        if (index == nullptr || *index >= volume.records.size())
            break;
        const FileRecord& parent = volume.records[*index];
        if (parent.frn == parent.parentFrn)
            break;  // the root directory: its name is not shown
        chain[depth++] = &parent;
        current = parent.parentFrn;
    }
    std::size_t length = volume.rootPath.size();
    for (int i = 0; i < depth; ++i)
        length += 1 + chain[i]->nameLength;
    std::u16string path;
    path.reserve(length);
    path = volume.rootPath;
    for (int i = depth - 1; i >= 0; --i) {
        path += u'\\';
        path.append(chain[i]->name, chain[i]->nameLength);
    }
    return path;
}

}  // namespace kx
