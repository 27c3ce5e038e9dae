// One search as the window runs it: StartSearch, its WM_SEARCH_DONE, then the sort a click on
// a column title would start, and the visible list narrowed to the chosen category.
#pragma once

#include <string>

#include "search/match_item.h"
#include "tools/kxquery/options.h"
#include "tools/kxquery/query_window.h"

namespace kx::query {

struct SearchOutcome {
    bool completed = false;         // false when no result arrived; *error then says why
    double searchMilliseconds = 0;  // from StartSearch to its WM_SEARCH_DONE
    std::size_t hitsInCategory = 0;
};

// Searches and waits for the published list; sorts it when settings ask for a column. The
// hits are then CurrentResults, and GetVisibleResults gives them narrowed to the category
// (SelectedCategory must already hold settings.category). Main thread only, as it stands in
// for the window's thread.
SearchOutcome RunQuery(QueryWindow& window, const std::u16string& query,
                       const QuerySettings& settings, std::string* error);

}  // namespace kx::query
