#include "tools/kxquery/memory_report.h"

#include <malloc.h>

#include <cinttypes>
#include <cstdio>
#include <mutex>
#include <shared_mutex>

#include "common/utf.h"
#include "platform/process_memory.h"
#include "platform/volume_io.h"

namespace kx::query {

namespace {

double PerRecord(std::uint64_t bytes, std::size_t records) {
    return records == 0 ? 0.0 : static_cast<double>(bytes) / static_cast<double>(records);
}

std::string Line(const VolumeIndex& volume, std::uint64_t atEnd, std::uint64_t settled) {
    std::shared_lock<SrwLock> guard(volume.lock);
    const std::size_t records = volume.table.Size();
    const TableMemory parts = volume.table.Memory();
    char line[512];
    std::snprintf(line, sizeof(line),
                  "%s %zu records: %" PRIu64 " bytes added by the build (%.1f a record), %" PRIu64
                  " once its freed memory went back (%.1f a record); records %" PRIu64
                  ", names %" PRIu64 ", map %" PRIu64 ", signatures %" PRIu64
                  ", letter-pair runs %" PRIu64 "\n",
                  Utf16ToUtf8(volume.rootPath).c_str(), records, atEnd, PerRecord(atEnd, records),
                  settled, PerRecord(settled, records), parts.records, parts.names, parts.map,
                  parts.signatures, parts.pairRuns);
    return line;
}

}  // namespace

bool IndexDrivesMeasuringMemory(SearchEngine& engine, std::string* report) {
    const std::uint32_t mask = GetLogicalDriveMask();
    for (int i = 0; i < 26; ++i) {
        if ((mask & (1u << i)) == 0)
            continue;
        const std::u16string drive{static_cast<char16_t>(u'A' + i), u':'};
        malloc_trim(0);
        const std::uint64_t before = ResidentBytes();
        const std::size_t built = engine.volumes.size();
        IndexDrive(engine, drive);
        if (engine.volumes.size() == built)
            continue;
        const std::uint64_t atEnd = ResidentBytes();
        malloc_trim(0);
        const std::uint64_t settled = ResidentBytes();
        *report += Line(*engine.volumes.back(), atEnd > before ? atEnd - before : 0,
                        settled > before ? settled - before : 0);
    }
    engine.ready.store(!engine.volumes.empty());
    return !engine.volumes.empty();
}

}  // namespace kx::query
