// One hit of a search, the details fetched for the hits somebody looks at, and the shared list
// of hits in hit order.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "index/volume_index.h"
#include "search/hit_arena.h"

namespace kx {

// A hit as the list stores it: 16 bytes, so that a letter matching millions of names costs
// megabytes, not gigabytes. It names its volume by a slot of its list's `volumes` and its
// record by position; the frn lets every later read find the file again after a compaction
// or rebuild renumbered the volume (see hit_record.h). Path, size, times and texts are not
// here: they exist only for the hits whose details were loaded, in the list's `details`.
struct MatchItem {
    std::uint64_t frn = 0;
    std::uint32_t recordIndex = 0;
    std::uint16_t volumeSlot = 0;
    std::uint16_t reserved = 0;
};
static_assert(sizeof(MatchItem) == 16, "a published hit costs 16 bytes");

// A volume as a list's hits name it, with what the list knew of the volume when it was made.
struct HitVolume {
    VolumeIndex* volume = nullptr;  // owned by the SearchEngine for the life of the process
    std::uint64_t renumberGeneration = 0;
    std::uint64_t deathsEver = 0;   // the volume's deathsEver at the scan
    std::uint64_t recordCount = 0;  // records scanned; later ones were appended since
    // Where this volume's hits stand in a whole scan's list (hits come grouped by volume).
    std::size_t firstHit = 0;
    std::size_t hitCount = 0;
};

// A hit resolved against its list: all a reader needs without the list at hand (the file
// actions work on such a copy).
struct HitRef {
    VolumeIndex* volume = nullptr;
    std::uint64_t recordIndex = 0;
    std::uint64_t frn = 0;
    std::uint64_t renumberGeneration = 0;
};

// What LoadDetails fetches for one hit.
struct HitDetails {
    bool detailsLoaded = false;
    std::u16string fullPath;
    std::int64_t size = 0;
    std::uint64_t lastWriteTime = 0;  // FILETIME
    std::uint64_t creationTime = 0;   // FILETIME
    std::u16string sizeText;
    std::u16string modifiedText;
    std::u16string createdText;
};

// Loaded details by hit (volume slot and record position, which a sort or a narrowing keeps),
// so the full, the sorted and the narrowed list of one search share one table.
using DetailsKey = std::uint64_t;
inline DetailsKey DetailsKeyOf(const MatchItem& item) {
    return (static_cast<std::uint64_t>(item.volumeSlot) << 32) | item.recordIndex;
}
struct DetailsTable {
    std::unordered_map<DetailsKey, HitDetails> entries;
};

// How many hits of each filter category a scan found, per volume, so that the title, the
// status line and the tag counts read numbers instead of walking hits.
struct ScanCounts {
    // categories.get() when the counts were taken: another list (after a reset) means the
    // counts are for categories that are no longer shown.
    const void* categoriesIdentity = nullptr;
    std::size_t categoryCount = 0;
    // perVolume[slot][category]; category 0 counts every hit.
    std::vector<std::vector<std::uint64_t>> perVolume;
    // The same without the hits whose record was dead when they were counted, as a sort counts
    // them; empty when every counted hit was alive (a scan's), so that perVolume holds for both.
    std::vector<std::vector<std::uint64_t>> livePerVolume;
};

struct ResultList;
// Shared among the window, the workers and the visible-list cache; the last holder frees it.
using SharedResults = std::shared_ptr<ResultList>;

// Filled completely before it is published and never changed afterwards, except `details` of
// the list being shown, which the list view and the file actions update under VisibleLock.
struct ResultList {
    HitArray items;
    std::vector<HitVolume> volumes;
    std::shared_ptr<DetailsTable> details = std::make_shared<DetailsTable>();

    // Set by the scan that made the list (null after a sort, and for the lists that only
    // narrow another).
    std::shared_ptr<const ScanCounts> counts;
    // The folded query of the scan, for typing ahead; empty when the list is not a whole,
    // unsorted scan result.
    std::u16string scanQuery;
    bool wholeScan = false;
    // The column the list is sorted by (0: in search order) and its direction, so that a second
    // click on that column reverses the list instead of sorting it again.
    std::int32_t sortedColumn = 0;
    bool sortedAscending = true;

    // This list narrowed to `narrowedCategory`, made by the worker alongside it so that the
    // window never walks the hits; null for category 0 (the list itself is shown) or when it
    // was not made.
    SharedResults narrowed;
    std::int32_t narrowedCategory = 0;

    std::size_t size() const { return items.size(); }
    bool empty() const { return items.empty(); }
    HitRef Hit(std::size_t position) const {
        const MatchItem& item = items[position];
        const HitVolume& volume = volumes[item.volumeSlot];
        return HitRef{volume.volume, item.recordIndex, item.frn, volume.renumberGeneration};
    }
};

// A list of some of `whole`'s hits (those of a category), in their order: it names the same
// volumes and shares whole's details, so that a hit's details loaded in one show in both.
inline SharedResults NarrowedList(const ResultList& whole, HitArray items) {
    auto narrowed = std::make_shared<ResultList>();
    narrowed->items = std::move(items);
    narrowed->volumes = whole.volumes;
    narrowed->details = whole.details;
    return narrowed;
}

}  // namespace kx
