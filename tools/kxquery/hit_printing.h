// Writing the visible hits to standard output, in UTF-8.
#pragma once

namespace kx::query {

// The hits of GetVisibleResults in list order: each one's full path, or with details its
// name, size text, modified and created texts and full path, tab-separated. A hit whose file
// has left its volume's table since the search is left out. Main thread only.
void PrintVisibleHits(bool details);

}  // namespace kx::query
