// The open action of a double-click on a row of the results list.
#pragma once

#include <cstdint>

namespace kx {

// Opens the hit at row of the visible list. Does nothing yet: the file actions fill it in.
void OpenOnDoubleClick(std::int64_t row);

}  // namespace kx
