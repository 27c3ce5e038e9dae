#include "search/details.h"

#include <mutex>
#include <shared_mutex>

#include "platform/file_attributes.h"
#include "search/format_texts.h"
#include "search/hit_record.h"
#include "search/search_sources.h"

namespace kx {

void LoadDetails(const HitRef& item, HitDetails& details) {
    if (details.detailsLoaded || item.volume == nullptr)
        return;
    VolumeIndex& volume = *item.volume;
    AttributeCacheEntry entry;
    bool isDirectory = false;
    {
        // Held across the attribute query as well, so the journal monitor cannot forget this
        // file's entry between the query and the store and leave a stale one behind.
        std::shared_lock<SrwLock> tableGuard(volume.lock);
        const FileRecord* own = FindHitRecord(volume, item);
        isDirectory = own != nullptr && own->IsDirectory();
        // Checked before the cache: a compaction may have dropped every record of a file whose
        // failed query was cached after its deletion, and such a hit must show as gone.
        const FileRecord* newest = volume.table.NewestRecordOf(item.frn);
        if (newest != nullptr) {
            entry = volume.CachedAttributes(item.frn);
            if (!entry.loaded) {
                entry = AttributeCacheEntry{};
                entry.fullPath = BuildFullPath(volume, *newest);
                FileAttributeData data;
                if (Sources().fileAttributes(entry.fullPath, &data)) {
                    entry.size = data.size;
                    entry.lastWriteTime = data.lastWriteTime;
                    entry.creationTime = data.creationTime;
                }
                entry.loaded = true;
                volume.CacheAttributes(item.frn, entry);
            }
        }
    }
    if (entry.loaded) {
        details.fullPath = std::move(entry.fullPath);
        details.size = entry.size;
        details.lastWriteTime = entry.lastWriteTime;
        details.creationTime = entry.creationTime;
    } else {
        details.fullPath.clear();
        details.size = 0;
        details.lastWriteTime = 0;
        details.creationTime = 0;
    }
    details.sizeText = isDirectory ? std::u16string() : FormatSize(details.size);
    details.modifiedText = FormatFileTime(details.lastWriteTime);
    details.createdText = FormatFileTime(details.creationTime);
    details.detailsLoaded = true;
}

}  // namespace kx
