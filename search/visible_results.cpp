#include "search/visible_results.h"

#include <mutex>
#include <shared_mutex>

#include "search/category_filter.h"
#include "search/hit_record.h"
#include "search/search_state.h"

namespace kx {

namespace {

// Holds one volume's lock shared across consecutive hits of that volume: hits come grouped
// by volume in search order, so a list of a million hits takes a handful of locks, not a
// million. Switching volumes releases the previous lock first, so at most one is held.
class VolumeReadLock {
  public:
    void Hold(VolumeIndex* volume) {
        if (volume == held_)
            return;
        if (guard_.owns_lock())
            guard_.unlock();
        guard_ = std::shared_lock<SrwLock>(volume->lock);
        held_ = volume;
    }

  private:
    VolumeIndex* held_ = nullptr;
    std::shared_lock<SrwLock> guard_;
};

bool HitPasses(const MatchItem& item, std::int32_t category, bool skipDead,
               VolumeReadLock& readLock) {
    if (category == 0 && !skipDead)
        return true;
    if (item.volume == nullptr)
        return false;
    readLock.Hold(item.volume);
    const FileRecord* record = FindHitRecord(*item.volume, item);
    if (record == nullptr)
        return false;
    if (skipDead && record->isDead != 0)
        return false;
    return RecordPassesCategory(*record, category);
}

}  // namespace

SharedResults GetVisibleResults() {
    const SharedResults current = TakeCurrentResults();
    if (!current)
        return std::make_shared<ResultList>();

    std::lock_guard<std::mutex> guard(VisibleLock);
    const std::int32_t category = SelectedCategoryOrAll();
    if (VisibleResults && VisibleCategory == category)
        return VisibleResults;

    auto visible = std::make_shared<ResultList>();
    visible->items.reserve(current->items.size());
    {
        VolumeReadLock readLock;  // lock order: VisibleLock, then a volume's lock
        for (const MatchItem& item : current->items) {
            if (HitPasses(item, category, false, readLock))
                visible->items.push_back(item);
        }
    }
    VisibleResults = visible;
    VisibleCategory = category;
    DisplayedCount.store(static_cast<std::int64_t>(visible->items.size()));
    return visible;
}

void DropVisibleResults() {
    SharedResults dropped;
    std::lock_guard<std::mutex> guard(VisibleLock);
    dropped = std::move(VisibleResults);
}

void StoreLoadedDetails(const SharedResults& painted, std::size_t first,
                        const std::vector<MatchItem>& loaded) {
    std::lock_guard<std::mutex> guard(VisibleLock);
    if (!painted || painted != VisibleResults)
        return;
    std::vector<MatchItem>& items = painted->items;
    for (std::size_t k = 0; k < loaded.size() && first + k < items.size(); ++k)
        items[first + k] = loaded[k];
}

std::size_t CountHitsInCategory(const ResultList& list, std::int32_t category, bool skipDead) {
    category = CategoryOrAll(category);
    std::size_t count = 0;
    VolumeReadLock readLock;
    for (const MatchItem& item : list.items)
        count += HitPasses(item, category, skipDead, readLock) ? 1 : 0;
    return count;
}

}  // namespace kx
