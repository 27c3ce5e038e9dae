#include "search/sort_worker.h"

#include <algorithm>
#include <memory>
#include <mutex>
#include <new>
#include <vector>

#include "common/messages.h"
#include "common/process_state.h"
#include "search/category_filter.h"
#include "search/compare_match_items.h"
#include "search/format_texts.h"
#include "search/hit_arena.h"
#include "search/parallel_blocks.h"
#include "search/search_state.h"
#include "search/sort_detail_loader.h"
#include "search/sort_key_pass.h"
#include "search/sort_keys.h"
#include "search/worker_thread.h"

namespace kx {

namespace {

constexpr std::size_t kProgressEvery = 5000;

// The text's ownership passes to the window with the message; if the post fails nobody else
// will free it.
void PostProgress(std::uint64_t generation, std::size_t handled, std::size_t count) {
    char16_t* text = new char16_t[kProgressTextCapacity];
    FormatSortProgress(handled, count, text, kProgressTextCapacity);
    if (!PostToWindow(MainWindow.load(), WM_SORT_PROGRESS, generation,
                      reinterpret_cast<std::intptr_t>(text))) {
        delete[] text;
    }
}

// An allocation failure ends the sort without publishing, instead of terminating the process
// from a detached thread; the hit arrays kept for later searches are given back.
void SortThread(const SortRequest& request) {
    try {
        SortWorker(request);
    } catch (const std::bad_alloc&) {
        OutOfMemoryFailures.fetch_add(1);
        HitArenaOf(SearchEngineInUse())->LetGo();
    }
}

// Holds the lock of every volume of a list shared, in slot order, for a name sort: the names
// read for the keys and those read again for ties are then the same names. The journal
// monitors wait meanwhile, as they wait for a scan.
class AllVolumesShared {
  public:
    explicit AllVolumesShared(const ResultList& list) {
        for (const HitVolume& entry : list.volumes) {
            if (entry.volume == nullptr ||
                std::find(held_.begin(), held_.end(), entry.volume) != held_.end())
                continue;
            entry.volume->lock.lock_shared();
            held_.push_back(entry.volume);
        }
    }
    AllVolumesShared(const AllVolumesShared&) = delete;
    AllVolumesShared& operator=(const AllVolumesShared&) = delete;
    ~AllVolumesShared() {
        for (auto volume = held_.rbegin(); volume != held_.rend(); ++volume)
            (*volume)->lock.unlock_shared();
    }

  private:
    std::vector<VolumeIndex*> held_;
};

// Where each hit's details are read from for a sort: the list's table, where they were loaded
// before (its entries are never changed once there), or a table of the sort's own for the rest,
// which it loads and, once sorted, moves into the list's table.
struct SortDetails {
    std::vector<HitDetails*> slots;
    DetailsTable fresh;
};

constexpr std::size_t kFindChunk = 16384;
constexpr std::size_t kGatherBlock = 65536;

bool FindDetails(const ResultList& list, std::uint64_t generation, SortDetails& details) {
    const std::size_t count = list.size();
    details.slots.resize(count);
    for (std::size_t first = 0; first < count; first += kFindChunk) {
        if (!StillWanted(generation))
            return false;
        // In chunks, so that the window, which writes the table under this lock, paints on.
        std::lock_guard<std::mutex> guard(VisibleLock);
        auto& known = list.details->entries;
        for (std::size_t i = first; i < std::min(count, first + kFindChunk); ++i) {
            const DetailsKey key = DetailsKeyOf(list.items[i]);
            const auto found = known.find(key);
            details.slots[i] = found != known.end() && found->second.detailsLoaded
                                   ? &found->second
                                   : &details.fresh.entries[key];
        }
    }
    return true;
}

// The progress texts of a sort that loads nothing (after the first hit, every 5000, after the
// last), posted at once; false, with the rest unposted, once the sort is no longer wanted.
bool PostProgressTexts(std::uint64_t generation, std::size_t count) {
    for (std::size_t i = 0; i < count; i += kProgressEvery) {
        if (!StillWanted(generation))
            return false;
        PostProgress(generation, i + 1, count);
    }
    if ((count - 1) % kProgressEvery != 0)
        PostProgress(generation, count, count);
    return true;
}

// The volumes as the sorted list names them: their deaths as of the census, which counted the
// live hits then.
std::vector<HitVolume> VolumesAsCounted(const ResultList& current,
                                        const std::vector<std::uint64_t>& deathsBefore) {
    std::vector<HitVolume> volumes = current.volumes;
    for (std::size_t slot = 0; slot < volumes.size(); ++slot)
        volumes[slot].deathsEver = deathsBefore[slot];
    return volumes;
}

std::vector<std::uint64_t> DeathsNow(const ResultList& list) {
    std::vector<std::uint64_t> deaths;
    for (const HitVolume& entry : list.volumes)
        deaths.push_back(entry.volume != nullptr ? entry.volume->deathsEver.load() : 0);
    return deaths;
}

SharedResults SortedList(const ResultList& current, const std::vector<SortEntry>& entries,
                         bool ascending, const SortCensus& census,
                         const std::vector<std::uint64_t>& deathsBefore, const SortRequest& request,
                         HitArena& arena) {
    const std::size_t count = entries.size();
    auto sorted = std::make_shared<ResultList>();
    sorted->items = arena.TakeList(count);
    HitVector& items = sorted->items.vector();
    const bool narrowing = !census.selected.empty();
    HitArray narrowedItems;
    if (narrowing) {
        std::size_t selected = 0;
        for (const auto& perCategory : census.found)
            selected +=
                static_cast<std::size_t>(perCategory[static_cast<std::size_t>(request.category)]);
        narrowedItems = arena.TakeList(selected);
    }
    // Every hit is read from a random place of the current list: in blocks on every worker,
    // so that the reads overlap.
    items.resize(count);
    RunBlocks((count + kGatherBlock - 1) / kGatherBlock, [&](std::size_t block) {
        const std::size_t end = std::min(count, (block + 1) * kGatherBlock);
        for (std::size_t k = block * kGatherBlock; k < end; ++k)
            items[k] = current.items[entries[ascending ? k : count - 1 - k].position];
    });
    if (narrowing) {
        for (std::size_t k = 0; k < count; ++k) {
            const SortEntry& entry = entries[ascending ? k : count - 1 - k];
            if (census.Selected(entry.position))
                narrowedItems.vector().push_back(items[k]);
        }
    }
    sorted->details = current.details;
    sorted->sortedColumn = request.column;
    sorted->sortedAscending = ascending;
    if (census.classified) {
        auto counts = std::make_shared<ScanCounts>();
        counts->categoriesIdentity = census.categoriesIdentity;
        counts->categoryCount = census.categoryCount;
        counts->perVolume = census.found;
        counts->livePerVolume = census.live;
        sorted->counts = std::move(counts);
        sorted->volumes = VolumesAsCounted(current, deathsBefore);
    } else {
        sorted->counts = current.counts;
        sorted->volumes = current.volumes;
    }
    if (narrowing) {
        sorted->narrowed = NarrowedList(*sorted, std::move(narrowedItems));
        sorted->narrowedCategory = request.category;
    }
    return sorted;
}

// A second click on the column the list is sorted by: the list backwards, which is the order
// of the other direction, since hits of equal keys have none. Only while the counts it carries
// still hold and it carries the list narrowed to the selected category; otherwise it is sorted.
bool Reversible(const ResultList& current, const SortRequest& request, bool ascending) {
    if (current.sortedColumn != request.column || current.sortedAscending == ascending)
        return false;
    if (request.category > 0 && (!current.narrowed || current.narrowedCategory != request.category))
        return false;
    for (const HitVolume& entry : current.volumes) {
        if (entry.volume != nullptr && entry.volume->deathsEver.load() != entry.deathsEver)
            return false;
    }
    return true;
}

HitArray Reversed(const HitArray& items, HitArena& arena, std::uint64_t generation) {
    HitArray reversed = arena.TakeList(items.size());
    const std::size_t count = items.size();
    for (std::size_t i = 0; i < count; ++i) {
        if (i % 1024 == 0 && !StillWanted(generation))
            return HitArray();
        reversed.vector().push_back(items[count - 1 - i]);
    }
    return reversed;
}

SharedResults ReversedList(const ResultList& current, const SortRequest& request, bool ascending,
                           HitArena& arena) {
    auto sorted = std::make_shared<ResultList>();
    sorted->volumes = current.volumes;
    sorted->details = current.details;
    sorted->counts = current.counts;
    sorted->sortedColumn = request.column;
    sorted->sortedAscending = ascending;
    sorted->items = Reversed(current.items, arena, request.generation);
    if (request.category > 0) {
        sorted->narrowed =
            NarrowedList(*sorted, Reversed(current.narrowed->items, arena, request.generation));
        sorted->narrowedCategory = request.category;
    }
    return StillWanted(request.generation) ? sorted : nullptr;
}

void Publish(SharedResults sorted, std::uint64_t generation) {
    SharedResults previous;
    {
        std::lock_guard<std::mutex> guard(ResultsLock);
        if (!StillWanted(generation))
            return;
        previous = std::move(CurrentResults);
        CurrentResults = std::move(sorted);
    }
    PostToWindow(MainWindow.load(), WM_SEARCH_DONE, generation, 1);
}

}  // namespace

bool StartSort(std::int32_t column) {
    if (column < kColumnName || column > kColumnPath)
        return false;
    std::int32_t previousColumn;
    bool previousAscending;
    std::uint64_t generation;
    {
        // Under ResultsLock, so that a search worker cannot find itself current and then reset
        // the arrow this click has just set.
        std::lock_guard<std::mutex> guard(ResultsLock);
        previousColumn = SortColumn.load();
        previousAscending = SortAscending.load();
        if (column == previousColumn) {
            SortAscending.store(!previousAscending);
        } else {
            SortColumn.store(column);
            SortAscending.store(true);
        }
        generation = SearchGeneration.fetch_add(1) + 1;
    }
    SortRequest request;
    request.generation = generation;
    request.column = column;
    request.category = SelectedCategoryOrAll();
    if (!StartCountedWorker([request] { SortThread(request); })) {
        std::lock_guard<std::mutex> guard(ResultsLock);
        SortColumn.store(previousColumn);
        SortAscending.store(previousAscending);
        return false;
    }
    return true;
}

void SortWorker(const SortRequest& request) {
    const SharedResults current = TakeCurrentResults();
    if (!current || current->empty() || !StillWanted(request.generation))
        return;
    const bool ascending = SortAscending.load();
    const std::int32_t column = request.column;
    const std::size_t count = current->size();
    if (count != static_cast<std::uint32_t>(count))
        return;  // positions are 32 bits; no list holds four billion hits
    HitArena& arena = *HitArenaOf(SearchEngineInUse());
    const auto stopped = [generation = request.generation] { return !StillWanted(generation); };

    if (Reversible(*current, request, ascending)) {
        if (!PostProgressTexts(request.generation, count))
            return;
        if (SharedResults reversed = ReversedList(*current, request, ascending, arena))
            Publish(std::move(reversed), request.generation);
        return;
    }

    SortDetails details;
    const SortTexts texts{current.get(), column, &details.slots};
    std::vector<SortEntry> entries = arena.TakeSortEntries();
    SortCensus census;
    std::vector<std::uint64_t> deathsBefore;
    bool sorted = false;
    if (column == kColumnName) {
        // No details: the names are read from the tables, which hold still meanwhile.
        const AllVolumesShared hold(*current);
        deathsBefore = DeathsNow(*current);
        if (!BuildSortKeys(texts, request.category, stopped, entries, census))
            return;
        if (!PostProgressTexts(request.generation, count))
            return;
        const HitTextTies names(texts);
        sorted = SortEntries(entries, &names, stopped);
    } else {
        if (!FindDetails(*current, request.generation, details))
            return;
        {
            ParallelDetailLoader loader(*current, details.slots, request.generation);
            loader.StartHelpers();
            for (std::size_t i = 0; i < count; ++i) {
                if (!loader.EnsureLoaded(i)) {
                    if (loader.OutOfMemory())
                        throw std::bad_alloc();
                    return;
                }
                if (i % kProgressEvery == 0 || i == count - 1)
                    PostProgress(request.generation, i + 1, count);
            }
        }
        deathsBefore = DeathsNow(*current);
        if (!BuildSortKeys(texts, request.category, stopped, entries, census))
            return;
        const HitTextTies paths(texts);
        sorted = SortEntries(entries, column == kColumnPath ? &paths : nullptr, stopped);
    }
    if (!sorted)
        return;
    SharedResults list =
        SortedList(*current, entries, ascending, census, deathsBefore, request, arena);
    arena.GiveBackSortEntries(std::move(entries));
    if (!details.fresh.entries.empty()) {
        // The details this sort loaded join those of the list, which the sorted list shares.
        std::lock_guard<std::mutex> guard(VisibleLock);
        current->details->entries.merge(details.fresh.entries);
    }
    Publish(std::move(list), request.generation);
}

}  // namespace kx
