#include <windows.h>
// After windows.h, whose types it uses.
#include <psapi.h>

#include <algorithm>
#include <cstdint>

#include "platform/process_memory.h"

namespace kx {

std::size_t ResidentBytes() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof(counters);
    // K32GetProcessMemoryInfo lives in kernel32 itself, so no other library is needed.
    if (!::K32GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof(counters)))
        return 0;
    return counters.WorkingSetSize;
}

std::size_t AddressSpaceBytes() {
    if (sizeof(void*) >= 8)
        return SIZE_MAX;
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof(status);
    // 2 GiB is what every 32-bit process has at least.
    if (!::GlobalMemoryStatusEx(&status))
        return std::size_t{1} << 31;
    return static_cast<std::size_t>(std::min<DWORDLONG>(status.ullTotalVirtual, SIZE_MAX));
}

}  // namespace kx
