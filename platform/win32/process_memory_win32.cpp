#include <windows.h>
// After windows.h, whose types it uses.
#include <psapi.h>

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

}  // namespace kx
