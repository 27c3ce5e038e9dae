#include "tests/platform/running_under_wine.h"

#include <windows.h>

namespace kx::testing {

bool RunningUnderWine() {
    // Wine's ntdll exports its version; Windows' never does.
    const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

}  // namespace kx::testing
