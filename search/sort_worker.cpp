#include "search/sort_worker.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <mutex>
#include <new>
#include <numeric>
#include <system_error>
#include <thread>
#include <vector>

#include "common/messages.h"
#include "common/process_state.h"
#include "search/category_classifier.h"
#include "search/category_filter.h"
#include "search/compare_match_items.h"
#include "search/details.h"
#include "search/format_texts.h"
#include "search/hit_record.h"
#include "search/parallel_blocks.h"
#include "search/search_state.h"
#include "search/visible_results.h"
#include "search/worker_thread.h"

namespace kx {

namespace {

constexpr std::size_t kProgressEvery = 5000;

bool Current(std::uint64_t generation) {
    return SearchGeneration.load() == generation && !ExitRequested.load();
}

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

// Hits are loaded in chunks claimed by every core; the sort thread itself walks the hits in
// order, loading the chunks nobody has claimed yet and waiting for the others, so that the
// progress texts still come at hit 1, 5001, 10001, ... as the loading reaches them.
constexpr std::size_t kLoadChunk = 256;

enum ChunkState : std::uint8_t { kUnclaimed, kClaimed, kLoaded };

class ParallelDetailLoader {
  public:
    ParallelDetailLoader(const ResultList& list, std::vector<HitDetails*>& slots,
                         std::uint64_t generation)
        : list_(list),
          slots_(slots),
          generation_(generation),
          states_((slots.size() + kLoadChunk - 1) / kLoadChunk) {
        for (auto& state : states_)
            state.store(kUnclaimed, std::memory_order_relaxed);
    }
    ParallelDetailLoader(const ParallelDetailLoader&) = delete;
    ParallelDetailLoader& operator=(const ParallelDetailLoader&) = delete;

    ~ParallelDetailLoader() {
        stop_.store(true);
        for (std::thread& helper : helpers_)
            helper.join();
    }

    void StartHelpers() {
        const std::size_t wanted = std::min(WorkerCount(), states_.size());
        try {
            for (std::size_t i = 1; i < wanted; ++i)
                helpers_.emplace_back([this] { HelperLoop(); });
        } catch (const std::system_error&) {
            // Fewer helpers; the sort thread loads what they do not.
        } catch (const std::bad_alloc&) {
        }
    }

    // True once loading a chunk ran out of memory: the sort cannot finish.
    bool OutOfMemory() const { return failed_.load(); }

    // Makes sure hit i is loaded (the sort thread, in hit order). False when the sort is no
    // longer current or memory ran out.
    bool EnsureLoaded(std::size_t i) {
        const std::size_t chunk = i / kLoadChunk;
        if (i % kLoadChunk == 0 && Claim(chunk))
            LoadChunk(chunk);
        while (states_[chunk].load(std::memory_order_acquire) != kLoaded) {
            if (!Current(generation_) || failed_.load())
                return false;
            std::this_thread::yield();
        }
        return Current(generation_) && !failed_.load();
    }

  private:
    bool Claim(std::size_t chunk) {
        std::uint8_t expected = kUnclaimed;
        return states_[chunk].compare_exchange_strong(expected, kClaimed);
    }

    void LoadChunk(std::size_t chunk) {
        const std::size_t end = std::min(slots_.size(), (chunk + 1) * kLoadChunk);
        try {
            for (std::size_t i = chunk * kLoadChunk; i < end; ++i) {
                if (!Current(generation_) || stop_.load(std::memory_order_relaxed))
                    return;  // left claimed: the sort is over
                LoadDetails(list_.Hit(i), *slots_[i]);
            }
        } catch (const std::bad_alloc&) {
            failed_.store(true);
            return;
        }
        states_[chunk].store(kLoaded, std::memory_order_release);
    }

    void HelperLoop() {
        for (;;) {
            const std::size_t chunk = cursor_.fetch_add(1);
            if (chunk >= states_.size() || stop_.load() || !Current(generation_))
                return;
            if (Claim(chunk))
                LoadChunk(chunk);
        }
    }

    const ResultList& list_;
    std::vector<HitDetails*>& slots_;
    const std::uint64_t generation_;
    std::vector<std::atomic<std::uint8_t>> states_;
    std::atomic<std::size_t> cursor_{0};
    std::atomic<bool> stop_{false};
    std::atomic<bool> failed_{false};
    std::vector<std::thread> helpers_;
};

// A name as the name sort compares it: its first eight folded units in two integers, so most
// comparisons are one or two integer compares on the entry itself, and the rest of the folded
// name (from the ninth unit) in one shared buffer for the ties. Only the rest is copied: most
// names are short, and every byte copied is memory the sort must first fault in.
struct NameEntry {
    std::uint64_t prefix;    // units 0 to 3
    std::uint64_t second;    // units 4 to 7
    std::uint32_t position;  // in the list being sorted
    std::uint32_t length;
    std::size_t offset;  // of unit 8 in the buffer of name tails
};

constexpr std::size_t kKeyUnits = 8;

int CompareNames(const NameEntry& a, const NameEntry& b, const char16_t* text) {
    if (a.prefix != b.prefix)
        return a.prefix < b.prefix ? -1 : 1;
    if (a.second != b.second)
        return a.second < b.second ? -1 : 1;
    // The keys pad a short name with zeros, so equal keys mean equal first units only for
    // names of at least eight units; of two names equal that far, a shorter one is a prefix.
    if (a.length < kKeyUnits || b.length < kKeyUnits)
        return a.length < b.length ? -1 : (a.length > b.length ? 1 : 0);
    return CompareFoldedUnits(text + a.offset, a.length - kKeyUnits, text + b.offset,
                              b.length - kKeyUnits);
}

// The narrowed form of a sorted list, made here rather than on the window's thread. Only when
// the volumes kept their numbering and the categories are those the scan counted for.
SharedResults NarrowSorted(const ResultList& sorted, std::int32_t category,
                           std::uint64_t generation) {
    if (category <= 0 || !sorted.counts || RenumberedSince(sorted))
        return nullptr;
    const CategoryClassifier classifier(ScanCategories());
    if (!classifier.Usable() || classifier.Identity() != sorted.counts->categoriesIdentity ||
        static_cast<std::size_t>(category) >= classifier.CategoryCount()) {
        return nullptr;
    }
    // Held while shown, so sized for what it holds: the scan counted the hits of the category
    // (dead or alive, as found here), and no volume was renumbered since.
    std::size_t count = 0;
    for (const std::vector<std::uint64_t>& perCategory : sorted.counts->perVolume)
        count += static_cast<std::size_t>(perCategory[static_cast<std::size_t>(category)]);
    HitVector items;
    items.reserve(count);
    VolumeReadLock readLock;
    for (std::size_t i = 0; i < sorted.size(); ++i) {
        if (i % 1024 == 0 && !Current(generation))
            return nullptr;
        const HitRef hit = sorted.Hit(i);
        if (hit.volume == nullptr)
            continue;
        readLock.Hold(hit.volume);
        const FileRecord* record = FindHitRecord(*hit.volume, hit);
        if (record != nullptr && classifier.Passes(hit.volume->table, *record, category))
            items.push_back(sorted.items[i]);
    }
    return NarrowedList(sorted, HitArray(std::move(items)));
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
    if (!current || current->empty() || !Current(request.generation))
        return;
    const bool ascending = SortAscending.load();
    const std::int32_t column = request.column;
    const bool needsDetails = column >= kColumnSize && column <= kColumnPath;
    const std::size_t count = current->size();

    // Details already loaded stay with their hits: they are keyed by hit, not by position, so
    // the sorted list shares the table when the sort adds nothing to it. A detail sort loads
    // into a copy, taken under VisibleLock because the window writes the table under it.
    std::shared_ptr<DetailsTable> details = current->details;
    if (needsDetails) {
        details = std::make_shared<DetailsTable>();
        std::lock_guard<std::mutex> guard(VisibleLock);
        details->entries = current->details->entries;
    }

    // order[k]: the position in the current list of the hit that goes to position k.
    std::vector<std::uint32_t> order(count);

    if (column == kColumnName) {
        // Names are copied (folded) out of the tables once, under their locks, while the
        // progress is reported; the sort then touches no table.
        std::vector<NameEntry> entries(count);
        std::u16string tails;
        {
            VolumeReadLock readLock;
            for (std::size_t i = 0; i < count; ++i) {
                if (!Current(request.generation))
                    return;
                const HitRef hit = current->Hit(i);
                NameEntry& entry = entries[i];
                entry.position = static_cast<std::uint32_t>(i);
                entry.offset = tails.size();
                entry.length = 0;
                entry.prefix = 0;
                entry.second = 0;
                if (hit.volume != nullptr) {
                    readLock.Hold(hit.volume);
                    if (const FileRecord* record = FindHitRecord(*hit.volume, hit)) {
                        const NameView name = hit.volume->table.Name(*record);
                        const std::size_t length = record->nameLength;
                        entry.length = static_cast<std::uint32_t>(length);
                        entry.prefix = FoldedPrefixKey(name, 0);
                        entry.second = FoldedPrefixKey(name, 4);
                        for (std::size_t k = kKeyUnits; k < length; ++k)
                            tails.push_back(name.FoldedUnit(k));
                    }
                }
                if (i % kProgressEvery == 0 || i == count - 1)
                    PostProgress(request.generation, i + 1, count);
            }
        }
        const char16_t* const text = tails.data();
        std::sort(entries.begin(), entries.end(),
                  [ascending, text](const NameEntry& a, const NameEntry& b) {
                      const int c = CompareNames(a, b, text);
                      return ascending ? c < 0 : c > 0;
                  });
        for (std::size_t k = 0; k < count; ++k)
            order[k] = entries[k].position;
    } else {
        std::vector<HitDetails*> slots(count, nullptr);
        if (needsDetails) {
            details->entries.reserve(details->entries.size() + count);
            for (std::size_t i = 0; i < count; ++i)
                slots[i] = &details->entries[DetailsKeyOf(current->items[i])];
        }
        std::vector<SortKey> keys(count);
        {
            ParallelDetailLoader loader(*current, slots, request.generation);
            if (needsDetails)
                loader.StartHelpers();
            for (std::size_t i = 0; i < count; ++i) {
                if (!Current(request.generation))
                    return;
                if (needsDetails && !loader.EnsureLoaded(i)) {
                    if (loader.OutOfMemory())
                        throw std::bad_alloc();
                    return;
                }
                keys[i].details = slots[i];
                if (column == kColumnSize)
                    keys[i].isDirectory = CopyHitRecord(current->Hit(i), false).isDirectory;
                if (i % kProgressEvery == 0 || i == count - 1)
                    PostProgress(request.generation, i + 1, count);
            }
        }
        std::iota(order.begin(), order.end(), std::uint32_t{0});
        std::sort(order.begin(), order.end(),
                  [column, ascending, &keys](std::uint32_t a, std::uint32_t b) {
                      return CompareMatchItems(column, ascending, keys[a], keys[b]);
                  });
    }

    auto sorted = std::make_shared<ResultList>();
    HitVector items;
    items.reserve(count);
    for (std::size_t k = 0; k < count; ++k)
        items.push_back(current->items[order[k]]);
    sorted->items = HitArray(std::move(items));
    sorted->volumes = current->volumes;
    sorted->details = std::move(details);
    sorted->counts = current->counts;
    sorted->narrowed = NarrowSorted(*sorted, request.category, request.generation);
    sorted->narrowedCategory = sorted->narrowed ? request.category : 0;

    SharedResults previous;
    {
        std::lock_guard<std::mutex> guard(ResultsLock);
        if (!Current(request.generation))
            return;
        previous = std::move(CurrentResults);
        CurrentResults = std::move(sorted);
    }
    PostToWindow(MainWindow.load(), WM_SEARCH_DONE, request.generation, 1);
}

}  // namespace kx
