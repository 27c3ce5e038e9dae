#include "ui/simulated_machine_refusal.h"

#if defined(KX_SIMULATED_VOLUMES)

#include <windows.h>

#include <cstdio>

namespace kx {

void RefuseFixture(const std::wstring& path, const std::wstring& why) {
    const std::wstring text = L"The simulated volume file cannot be used:\n" + path + L"\n" + why;
    std::fwprintf(stderr, L"kxsearch_sim: %ls: %ls\n", path.c_str(), why.c_str());
    std::fflush(stderr);
    ::MessageBoxW(nullptr, text.c_str(), L"Kestrix simulator", MB_ICONERROR);
    ::ExitProcess(kExitFixtureRefused);
}

}  // namespace kx

#endif
