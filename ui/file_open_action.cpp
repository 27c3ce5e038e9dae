#include "ui/file_open_action.h"

namespace kx {

void OpenOnDoubleClick(std::int64_t row) {
    static_cast<void>(row);
}

}  // namespace kx
