// A search engine over tables filled by hand, for tests that search without a volume behind
// the tables, and the names a search over it found.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "index/search_engine.h"
#include "search/hit_record.h"
#include "search/match_item.h"
#include "tests/support/table_builder.h"

namespace kx::testing {

// Volumes get a root directory.
struct TestEngine {
    SearchEngine engine;

    VolumeIndex& AddVolume(const std::u16string& drive) {
        engine.volumes.push_back(std::make_unique<VolumeIndex>());
        VolumeIndex& volume = *engine.volumes.back();
        volume.rootPath = drive;
        AddRoot(volume);
        engine.ready.store(true);
        return volume;
    }
};

// A file (or directory) directly below the root; returns its frn.
inline std::uint64_t AddFile(VolumeIndex& volume, const std::u16string& name,
                             bool isDirectory = false) {
    const std::uint64_t frn = MakeFileReference(1000 + volume.table.Size(), 1);
    AddRecord(volume, frn, kRootDirectoryFrn, name, isDirectory);
    return frn;
}

inline std::vector<std::u16string> NamesOf(const ResultList& list) {
    std::vector<std::u16string> names;
    for (std::size_t i = 0; i < list.size(); ++i)
        names.push_back(CopyHitRecord(list.Hit(i)).name);
    return names;
}

}  // namespace kx::testing
