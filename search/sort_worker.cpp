#include "search/sort_worker.h"

#include <algorithm>
#include <memory>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

#include "common/messages.h"
#include "common/process_state.h"
#include "search/compare_match_items.h"
#include "search/details.h"
#include "search/format_texts.h"
#include "search/hit_record.h"
#include "search/search_state.h"

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
// from a detached thread.
void SortThread(std::unique_ptr<SortRequest> request) {
    try {
        SortWorker(*request);
    } catch (const std::bad_alloc&) {
    }
    WorkerThreadsRunning.fetch_sub(1);
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
    auto request = std::make_unique<SortRequest>();
    request->generation = generation;
    request->column = column;
    // Counted before the start, so that a waiter never sees 0 while a thread is starting.
    WorkerThreadsRunning.fetch_add(1);
    try {
        std::thread(SortThread, std::move(request)).detach();
    } catch (const std::system_error&) {
        WorkerThreadsRunning.fetch_sub(1);
        std::lock_guard<std::mutex> guard(ResultsLock);
        SortColumn.store(previousColumn);
        SortAscending.store(previousAscending);
        return false;
    }
    return true;
}

void SortWorker(const SortRequest& request) {
    const SharedResults current = TakeCurrentResults();
    if (!current || current->items.empty() || !Current(request.generation))
        return;
    const bool ascending = SortAscending.load();
    const std::int32_t column = request.column;
    const bool needsDetails = column >= kColumnSize && column <= kColumnPath;
    const bool needsName = column == kColumnName;
    const bool needsKind = column == kColumnSize;

    // A published list never changes, so it is copied without a lock.
    std::vector<MatchItem> copy = current->items;
    const std::size_t count = copy.size();
    std::vector<SortKey> keys(count);
    for (std::size_t i = 0; i < count; ++i) {
        if (!Current(request.generation))
            return;
        MatchItem& item = copy[i];
        if (needsDetails)
            LoadDetails(item);
        keys[i].item = &item;
        if (needsName || needsKind) {
            HitRecordCopy record = CopyHitRecord(item, needsName);
            keys[i].name = std::move(record.name);
            keys[i].isDirectory = record.isDirectory;
        }
        if (i % kProgressEvery == 0 || i == count - 1)
            PostProgress(request.generation, i + 1, count);
    }

    std::sort(keys.begin(), keys.end(), [column, ascending](const SortKey& a, const SortKey& b) {
        return CompareMatchItems(column, ascending, a, b);
    });
    // The copy is put in order where it lies, cycle by cycle, rather than moved into a second
    // array: a million hits with their texts are a couple of hundred megabytes, and writing them
    // anew costs more than the sort itself. order[k] is the item that goes to position k; a
    // placed position is marked by pointing at itself.
    std::vector<std::size_t> order(count);
    for (std::size_t k = 0; k < count; ++k)
        order[k] = static_cast<std::size_t>(keys[k].item - copy.data());
    std::vector<SortKey>().swap(keys);
    for (std::size_t start = 0; start < count; ++start) {
        if (order[start] == start)
            continue;
        MatchItem held = std::move(copy[start]);
        std::size_t at = start;
        for (;;) {
            const std::size_t from = order[at];
            order[at] = at;
            if (from == start) {
                copy[at] = std::move(held);
                break;
            }
            copy[at] = std::move(copy[from]);
            at = from;
        }
    }
    auto sorted = std::make_shared<ResultList>();
    sorted->items = std::move(copy);

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
