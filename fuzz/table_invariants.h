// What a volume's table must satisfy after any reply, however damaged: names inside the pool
// and 0-terminated with a correct folded copy, a map that names the newest record of every
// frn and no other key, one live record per frn at most, a true dead count, and full paths that
// are built in bounded time. Shared by the fuzz targets of the ENUM and READ replies.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <unordered_set>

#include "common/ascii_fold.h"
#include "index/volume_index.h"

namespace kx::fuzz {

inline void Require(bool condition) {
    if (!condition)
        std::abort();
}

// The name, its 0, the folded copy and its 0 all lie in one chunk of the pool.
inline void CheckNameStorage(const NamePool& names, const FileRecord& record) {
    const std::uint64_t need = 2 * static_cast<std::uint64_t>(record.nameLength) + 2;
    bool inside = false;
    for (const auto& chunk : names.chunks) {
        const char16_t* begin = chunk.get();
        const char16_t* end = begin + names.chunkCapacity;
        if (record.name >= begin && record.name < end) {
            inside = static_cast<std::uint64_t>(end - record.name) >= need;
            break;
        }
    }
    Require(inside);
    const char16_t* folded = record.FoldedName();
    Require(record.name[record.nameLength] == 0 && folded[record.nameLength] == 0);
    for (std::uint16_t i = 0; i < record.nameLength; ++i)
        Require(folded[i] == FoldAscii(record.name[i]));
}

inline void CheckFullPath(const VolumeIndex& volume, const FileRecord& record) {
    constexpr std::size_t kMaxParts = 101;  // the record and at most 100 ancestors
    const std::u16string path = BuildFullPath(volume, record);
    Require(path.compare(0, volume.rootPath.size(), volume.rootPath) == 0);
    Require(path.size() >= volume.rootPath.size() + 1 + record.nameLength);
    Require(path.size() <= volume.rootPath.size() + kMaxParts * (1 + 0xFFFFu));
    Require(path.compare(path.size() - record.nameLength, record.nameLength, record.name,
                         record.nameLength) == 0);
}

// pathChecks bounds how many records get a full path built, so that a long table does not
// turn every input into a slow one.
inline void CheckTable(const VolumeIndex& volume, std::size_t pathChecks) {
    std::uint64_t dead = 0;
    std::unordered_set<std::uint64_t> distinct;
    for (std::size_t i = 0; i < volume.records.size(); ++i) {
        const FileRecord& record = volume.records[i];
        Require(record.isDead <= 1 && record.isDirectory <= 1);
        dead += record.isDead;
        CheckNameStorage(volume.names, record);
        distinct.insert(record.frn);
        const std::uint64_t* mapped = volume.frnToIndex.Find(record.frn);
        Require(mapped != nullptr && *mapped < volume.records.size() && *mapped >= i);
        Require(volume.records[*mapped].frn == record.frn);
        if (record.isDead == 0)
            Require(*mapped == i);
    }
    Require(dead == volume.deadCount);
    // Every key came from a record: no key is left over from a record that is gone.
    Require(distinct.size() == volume.frnToIndex.Size());
    for (std::size_t i = 0; i < volume.records.size() && i < pathChecks; ++i)
        CheckFullPath(volume, volume.records[i]);
}

}  // namespace kx::fuzz
