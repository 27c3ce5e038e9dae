#include "ui/admin_check.h"

#include <windows.h>
// After windows.h, which it needs.
#include <shlobj.h>

namespace kx {

// The symbol resolves against the import library made from ui/shell32_ordinals.def, which
// names shell32's export 680 by number only, so the import table holds the ordinal.
bool RunningAsAdministrator() {
    return ::IsUserAnAdmin() != FALSE;
}

}  // namespace kx
