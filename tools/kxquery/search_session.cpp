#include "tools/kxquery/search_session.h"

#include <chrono>

#include "common/process_state.h"
#include "search/search_run.h"
#include "search/search_state.h"
#include "search/sort_worker.h"
#include "search/visible_results.h"

namespace kx::query {

namespace {

bool SortCurrentResults(QueryWindow& window, const QuerySettings& settings, std::string* error) {
    const SharedResults current = TakeCurrentResults();
    // A sort of nothing posts nothing, so there would be nothing to wait for.
    if (!current || current->items.empty())
        return true;
    // A new result has no sort column, so the first click sorts ascending and a second click
    // on the same title turns it round; the second overtakes the first, as in the window.
    if (!StartSort(settings.sortColumn) ||
        (settings.descending && !StartSort(settings.sortColumn))) {
        *error = "cannot start the sort thread";
        return false;
    }
    if (!window.WaitForSearchDone(SearchGeneration.load())) {
        *error = "the sort ended without a result";
        return false;
    }
    return true;
}

}  // namespace

SearchOutcome RunQuery(QueryWindow& window, const std::u16string& query,
                       const QuerySettings& settings, std::string* error) {
    SearchOutcome outcome;
    const auto start = std::chrono::steady_clock::now();
    if (!StartSearch(query)) {
        *error = "cannot start the search thread";
        return outcome;
    }
    // Nothing else draws generations on this thread, so this is the one StartSearch drew.
    if (!window.WaitForSearchDone(SearchGeneration.load())) {
        *error = "the search ended without a result";
        return outcome;
    }
    const auto end = std::chrono::steady_clock::now();
    outcome.searchMilliseconds = std::chrono::duration<double, std::milli>(end - start).count();
    DropVisibleResults();
    if (settings.sortColumn != 0) {
        if (!SortCurrentResults(window, settings, error))
            return outcome;
        DropVisibleResults();
    }
    const SharedResults current = TakeCurrentResults();
    outcome.hitsInCategory = current ? CountHits(*current, settings.category, false) : 0;
    outcome.completed = true;
    return outcome;
}

}  // namespace kx::query
