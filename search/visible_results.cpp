#include "search/visible_results.h"

#include <mutex>
#include <shared_mutex>

#include "filters/filter_category.h"
#include "search/category_classifier.h"
#include "search/category_filter.h"
#include "search/details.h"
#include "search/hit_record.h"
#include "search/search_state.h"

namespace kx {

namespace {

// The category rule over a walk of many hits: the categories are looked up once for the walk
// rather than once per hit (each lookup takes a mutex), and a hit's extension is then one
// table lookup.
class WalkFilter {
  public:
    explicit WalkFilter(std::int32_t category)
        : category_(category), classifier_(ScanCategories()) {
        usable_ = classifier_.Usable() &&
                  static_cast<std::size_t>(category) < classifier_.CategoryCount();
    }
    bool Passes(const FileTable& table, const FileRecord& record) const {
        if (category_ == 0)
            return true;
        if (!usable_)
            return RecordPassesCategory(table, record, category_);
        return classifier_.Passes(table, record, category_);
    }

  private:
    std::int32_t category_;
    CategoryClassifier classifier_;
    bool usable_ = false;
};

bool HitPasses(const HitRef& hit, std::int32_t category, bool skipDead, VolumeReadLock& readLock,
               const WalkFilter& filter) {
    if (category == 0 && !skipDead)
        return true;
    if (hit.volume == nullptr)
        return false;
    readLock.Hold(hit.volume);
    const FileRecord* record = FindHitRecord(*hit.volume, hit);
    if (record == nullptr)
        return false;
    if (skipDead && record->IsDead())
        return false;
    return filter.Passes(hit.volume->table, *record);
}

// The scan's counts still describe the category list shown now.
bool CountsUsable(const ResultList& list, std::int32_t category) {
    return list.counts && list.counts->categoriesIdentity == ScanCategories().get() &&
           static_cast<std::size_t>(category) < list.counts->categoryCount &&
           list.counts->perVolume.size() == list.volumes.size();
}

// Walks the current list on this thread: only when the worker's narrowed list cannot be used.
SharedResults NarrowHere(const ResultList& current, std::int32_t category) {
    const WalkFilter filter(category);
    VolumeReadLock readLock;  // lock order: VisibleLock, then a volume's lock
    // Held while shown, so sized for what it holds: counted first. This walk is the rare one
    // (after a renumbering or a reset of the categories), and the hits are read again warm.
    std::vector<bool> passes(current.size());
    std::size_t count = 0;
    for (std::size_t i = 0; i < current.size(); ++i) {
        passes[i] = HitPasses(current.Hit(i), category, false, readLock, filter);
        count += passes[i] ? 1 : 0;
    }
    HitVector items;
    items.reserve(count);
    for (std::size_t i = 0; i < current.size(); ++i) {
        if (passes[i])
            items.push_back(current.items[i]);
    }
    return NarrowedList(current, HitArray(std::move(items)));
}

}  // namespace

bool RenumberedSince(const ResultList& list) {
    for (const HitVolume& volume : list.volumes) {
        if (volume.volume != nullptr &&
            volume.volume->renumberGeneration.load() != volume.renumberGeneration) {
            return true;
        }
    }
    return false;
}

SharedResults GetVisibleResults() {
    const SharedResults current = TakeCurrentResults();
    if (!current)
        return std::make_shared<ResultList>();

    std::lock_guard<std::mutex> guard(VisibleLock);
    const std::int32_t category = SelectedCategoryOrAll();
    if (VisibleResults && VisibleCategory == category)
        return VisibleResults;

    SharedResults visible;
    if (category == 0) {
        visible = current;  // every hit passes: the list itself, no copy
    } else if (current->narrowed && current->narrowedCategory == category &&
               CountsUsable(*current, category) && !RenumberedSince(*current)) {
        visible = current->narrowed;
    } else {
        visible = NarrowHere(*current, category);
    }
    VisibleResults = visible;
    VisibleCategory = category;
    DisplayedCount.store(static_cast<std::int64_t>(visible->size()));
    return visible;
}

std::int64_t ShowNewResults(const SharedResults& results) {
    const std::int64_t rows =
        results ? static_cast<std::int64_t>(CountHits(*results, SelectedCategoryOrAll(), false))
                : 0;
    DisplayedCount.store(rows);
    DropVisibleResults();
    return rows;
}

void DropVisibleResults() {
    SharedResults dropped;
    std::lock_guard<std::mutex> guard(VisibleLock);
    dropped = std::move(VisibleResults);
}

std::vector<HitDetails> LoadedDetailsOf(const SharedResults& list, std::size_t first,
                                        std::size_t end) {
    std::vector<HitDetails> details;
    if (!list || first >= end || end > list->size())
        return details;
    details.resize(end - first);
    std::lock_guard<std::mutex> guard(VisibleLock);
    const auto& entries = list->details->entries;
    if (entries.empty())
        return details;
    for (std::size_t row = first; row < end; ++row) {
        const auto found = entries.find(DetailsKeyOf(list->items[row]));
        if (found != entries.end())
            details[row - first] = found->second;
    }
    return details;
}

std::vector<HitDetails> LoadRowDetails(const SharedResults& list, std::size_t first,
                                       std::size_t end) {
    std::vector<HitDetails> details = LoadedDetailsOf(list, first, end);
    bool loadedAny = false;
    for (std::size_t k = 0; k < details.size(); ++k) {
        if (!details[k].detailsLoaded) {
            LoadDetails(list->Hit(first + k), details[k]);
            loadedAny = true;
        }
    }
    if (loadedAny)
        StoreLoadedDetails(list, first, details);
    return details;
}

void StoreLoadedDetails(const SharedResults& painted, std::size_t first,
                        const std::vector<HitDetails>& loaded) {
    std::lock_guard<std::mutex> guard(VisibleLock);
    if (!painted || painted != VisibleResults)
        return;
    auto& entries = painted->details->entries;
    for (std::size_t k = 0; k < loaded.size() && first + k < painted->size(); ++k) {
        if (loaded[k].detailsLoaded)
            entries.emplace(DetailsKeyOf(painted->items[first + k]), loaded[k]);
    }
}

std::size_t CountHitsInCategory(const ResultList& list, std::int32_t category, bool skipDead) {
    category = CategoryOrAll(category);
    std::size_t count = 0;
    const WalkFilter filter(category);
    VolumeReadLock readLock;
    for (std::size_t i = 0; i < list.size(); ++i)
        count += HitPasses(list.Hit(i), category, skipDead, readLock, filter) ? 1 : 0;
    return count;
}

std::uint64_t CountHits(const ResultList& list, std::int32_t category, bool skipDead) {
    category = CategoryOrAll(category);
    if (category == 0 && !skipDead)
        return list.size();
    if (!CountsUsable(list, category))
        return CountHitsInCategory(list, category, skipDead);
    // A volume whose records may have died (for skipDead) or moved since the scan is counted
    // again hit by hit; every other volume's count is read as the scan left it. The journal
    // rarely touches a volume in the milliseconds between a scan and this count.
    std::vector<bool> changed(list.volumes.size(), false);
    bool anyChanged = false;
    std::uint64_t total = 0;
    for (std::size_t slot = 0; slot < list.volumes.size(); ++slot) {
        const HitVolume& entry = list.volumes[slot];
        const bool moved = entry.volume != nullptr &&
                           (entry.volume->renumberGeneration.load() != entry.renumberGeneration ||
                            (skipDead && entry.volume->deathsEver.load() != entry.deathsEver));
        changed[slot] = moved;
        anyChanged = anyChanged || moved;
        if (!moved) {
            const auto& counted = skipDead && !list.counts->livePerVolume.empty()
                                      ? list.counts->livePerVolume
                                      : list.counts->perVolume;
            total += counted[slot][static_cast<std::size_t>(category)];
        }
    }
    if (!anyChanged)
        return total;
    const WalkFilter filter(category);
    VolumeReadLock readLock;
    for (std::size_t i = 0; i < list.size(); ++i) {
        const MatchItem& item = list.items[i];
        if (item.volumeSlot < changed.size() && changed[item.volumeSlot])
            total += HitPasses(list.Hit(i), category, skipDead, readLock, filter) ? 1 : 0;
    }
    return total;
}

}  // namespace kx
