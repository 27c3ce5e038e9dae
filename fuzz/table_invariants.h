// What a volume's table must satisfy after any reply, however damaged: everything the tests
// hold a table to (tests/support/table_check.h), and full paths that are built in bounded time.
// Shared by the fuzz targets of the ENUM and READ replies.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "index/volume_index.h"
#include "tests/support/table_check.h"

namespace kx::fuzz {

inline void Require(bool condition) {
    if (!condition)
        std::abort();
}

inline void CheckFullPath(const VolumeIndex& volume, const FileRecord& record) {
    constexpr std::size_t kMaxParts = 101;  // the record and at most 100 ancestors
    const std::u16string path = BuildFullPath(volume, record);
    const std::u16string name = volume.table.NameText(record);
    Require(path.compare(0, volume.rootPath.size(), volume.rootPath) == 0);
    Require(path.size() >= volume.rootPath.size() + 1 + name.size());
    Require(path.size() <= volume.rootPath.size() + kMaxParts * (1 + 0xFFFFu));
    Require(path.compare(path.size() - name.size(), name.size(), name) == 0);
}

// pathChecks bounds how many records get their name checked and a full path built, so that a
// long table does not turn every input into a slow one.
inline void CheckTable(const VolumeIndex& volume, std::size_t pathChecks) {
    Require(testing::TableFaults(volume.table, pathChecks).empty());
    for (std::size_t i = 0; i < volume.table.Size() && i < pathChecks; ++i)
        CheckFullPath(volume, volume.table.Record(i));
}

}  // namespace kx::fuzz
