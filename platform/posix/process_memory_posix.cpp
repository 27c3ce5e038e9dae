#include <unistd.h>

#include <cstdint>
#include <cstdio>

#include "platform/process_memory.h"

namespace kx {

std::size_t ResidentBytes() {
    long pages = 0;
    long resident = 0;
    if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(statm);
    }
    return static_cast<std::size_t>(resident) * static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
}

std::size_t AddressSpaceBytes() {
    // A 32-bit process of a 64-bit kernel has the whole 4 GiB; std::size_t cannot say 4 GiB.
    return sizeof(void*) < 8 ? SIZE_MAX - 0xFFFF : SIZE_MAX;
}

}  // namespace kx
