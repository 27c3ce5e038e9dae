// What a cell of the results list shows for a hit, one column at a time: the same text is
// painted in the cell and shown whole in its tip.
#pragma once

#include <cstdint>
#include <string>

#include "search/match_item.h"

namespace kx {

// The text of column kColumnName to kColumnPath (search/compare_match_items.h) for the hit;
// empty for any other column, and for the size of a directory. The name is read from the
// hit's record, the rest from its loaded details.
std::u16string ColumnText(const HitRef& hit, const HitDetails& details, std::int32_t column);

}  // namespace kx
