// --queries-from: many searches over one index, timed, for comparing search speed with other
// tools on the same names.
#pragma once

#include <string>

#include "tools/kxquery/options.h"
#include "tools/kxquery/query_window.h"

namespace kx::query {

// Reads source ("-" for standard input) and prints "QUERY<TAB>HITS<TAB>MILLISECONDS" for each
// line (a CR before the LF is dropped; the line is otherwise searched for as it is, blanks
// included). False with *error set when the file cannot be read or a search fails.
bool RunQueryList(QueryWindow& window, const std::string& source, const QuerySettings& settings,
                  std::string* error);

}  // namespace kx::query
