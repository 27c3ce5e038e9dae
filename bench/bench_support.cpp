#include "bench/bench_support.h"

#include <malloc.h>
#include <unistd.h>

#include <cstdio>
#include <map>
#include <mutex>

#include "platform/sim/simulated_drives.h"
#include "platform/sim/synthetic_volume.h"

namespace kx::bench {

std::shared_ptr<sim::SimVolume> SyntheticDrive(char letter, std::size_t entries) {
    static std::mutex mutex;
    static std::map<std::pair<char, std::size_t>, std::shared_ptr<sim::SimVolume>> made;
    std::lock_guard<std::mutex> guard(mutex);
    auto& volume = made[{letter, entries}];
    if (!volume) {
        volume = std::make_shared<sim::SimVolume>();
        sim::GenerateSyntheticVolume(*volume, entries, 20261207);
    }
    sim::AttachVolume(letter, volume);
    return volume;
}

std::size_t ResidentBytes() {
    malloc_trim(0);
    long pages = 0;
    long resident = 0;
    if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(statm);
    }
    return static_cast<std::size_t>(resident) * static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
}

std::size_t LayoutFloorBytes(const VolumeIndex& volume) {
    std::size_t bytes = 0;
    for (const FileRecord& record : volume.records) {
        bytes += sizeof(FileRecord) + (2 * static_cast<std::size_t>(record.nameLength) + 2) * 2 +
                 2 * sizeof(std::uint64_t);
    }
    return bytes;
}

}  // namespace kx::bench
