// Writing the filter configuration format: what the program puts in filters.ini.
#pragma once

#include <string>

#include "filters/filter_category.h"

namespace kx {

// The UTF-8 mark, then one line per category in list order: name=ext,ext,... ending in CR LF.
// Nothing else: no comment, no blank line. Reading the result back gives the same list for
// every list the parser produces.
std::string FormatFilterConfig(const CategoryList& categories);

}  // namespace kx
