// Applying a parsed script to the simulated drives while the engine's journal monitors run.
#pragma once

#include <string>
#include <vector>

#include "tools/kxquery/options.h"
#include "tools/kxquery/query_window.h"
#include "tools/kxquery/script.h"

namespace kx::query {

// Runs the steps in order, echoing each as "> LINE" on standard output and printing the hits
// of each query step after it. False with *error set to "SOURCE:LINE: PROBLEM" at the first
// step that cannot be applied (a path that does not exist, a name that is taken, a drive that
// is not there); the steps before it stay applied.
bool RunScript(QueryWindow& window, const std::vector<ScriptStep>& steps, const std::string& source,
               const QuerySettings& settings, std::string* error);

}  // namespace kx::query
