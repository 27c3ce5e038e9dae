// Synthetic volumes. The tree grows entry by entry: each new entry picks a depth from a
// distribution shaped like real disks (most files 4 to 8 levels down), then a parent among the
// directories one level up, preferring the most recently made ones so that a directory's files
// lie close together in record order, as they do in a real MFT.
#include "platform/sim/synthetic_volume.h"

#include <string>
#include <vector>

#include "platform/sim/synthetic_names.h"
#include "platform/usn_layout.h"

namespace kx::sim {

namespace {

constexpr int kMaxDirectoryDepth = 11;  // so files lie at most 12 components deep
constexpr std::uint32_t kDirectoryPercent = 10;
// Weights of the depths 1..12 of a new entry.
constexpr std::uint32_t kDepthWeights[12] = {2, 5, 9, 13, 15, 15, 13, 10, 7, 5, 4, 2};
constexpr std::uint32_t kDepthWeightTotal = 100;
constexpr std::size_t kRecentDirectories = 32;

// 2012-01-01 and fourteen years after it, as FILETIME.
constexpr std::uint64_t kEarliestTime = 129698208000000000ull;
constexpr std::uint64_t kTimeSpan = 14ull * 365 * 864000000000ull;

constexpr const char16_t* kSkeleton[][2] = {
    {u"Windows", nullptr},       {u"System32", u"Windows"},
    {u"Program Files", nullptr}, {u"Program Files (x86)", nullptr},
    {u"Users", nullptr},         {u"ProgramData", nullptr},
};

int PickDepth(SyntheticRandom& random, int maxDepth) {
    std::uint32_t pick = random.Below(kDepthWeightTotal);
    int depth = 1;
    for (; depth < 12; ++depth) {
        if (pick < kDepthWeights[depth - 1])
            break;
        pick -= kDepthWeights[depth - 1];
    }
    return depth > maxDepth ? maxDepth : depth;
}

std::int64_t PickSize(SyntheticRandom& random) {
    if (random.Percent(2))
        return 0;
    // Roughly log-uniform from a few bytes to a few gigabytes, weighted to the small end.
    const std::uint32_t bits = random.Below(22) + random.Below(11);
    const std::uint64_t base = 1ull << bits;
    return static_cast<std::int64_t>(base + random.Next() % base);
}

struct Tree {
    // Directories by depth (index 0 holds the root).
    std::vector<std::vector<std::uint64_t>> byDepth =
        std::vector<std::vector<std::uint64_t>>(kMaxDirectoryDepth + 1);

    // A directory one level above depth, or higher up while the tree is still shallow;
    // *depth becomes the depth the child really gets.
    std::uint64_t PickParent(SyntheticRandom& random, int* depth) const {
        int parentDepth = *depth - 1;
        while (byDepth[parentDepth].empty())
            --parentDepth;
        *depth = parentDepth + 1;
        const std::vector<std::uint64_t>& level = byDepth[parentDepth];
        if (level.size() > kRecentDirectories && random.Percent(70))
            return level[level.size() - 1 - random.Below(kRecentDirectories)];
        return level[random.Below(static_cast<std::uint32_t>(level.size()))];
    }
};

}  // namespace

void GenerateSyntheticVolume(SimVolume& volume, std::size_t entries, std::uint64_t seed) {
    SyntheticRandom random{seed};
    volume.ReserveEntries(entries);
    Tree tree;
    tree.byDepth[0].push_back(kRootDirectoryFrn);
    std::size_t made = 0;
    std::u16string name;

    auto times = [&](std::uint64_t* lastWrite, std::uint64_t* creation) {
        *creation = kEarliestTime + random.Next() % kTimeSpan;
        *lastWrite = *creation + random.Next() % (kEarliestTime + kTimeSpan - *creation);
    };
    std::uint64_t lastWrite = 0;
    std::uint64_t creation = 0;
    for (const auto& [directory, parentName] : kSkeleton) {
        if (made == entries)
            break;
        const int depth = parentName == nullptr ? 1 : 2;
        const std::uint64_t parent = parentName == nullptr ? kRootDirectoryFrn : tree.byDepth[1][0];
        times(&lastWrite, &creation);
        tree.byDepth[depth].push_back(volume.AddEntryQuietly(
            parent, directory, FILE_ATTRIBUTE_DIRECTORY_BIT, 0, lastWrite, creation));
        ++made;
    }
    for (; made < entries; ++made) {
        const bool directory = random.Percent(kDirectoryPercent);
        int depth = PickDepth(random, directory ? kMaxDirectoryDepth : 12);
        const std::uint64_t parent = tree.PickParent(random, &depth);
        times(&lastWrite, &creation);
        if (directory) {
            MakeDirectoryName(random, &name);
            const std::uint64_t frn = volume.AddEntryQuietly(
                parent, name, FILE_ATTRIBUTE_DIRECTORY_BIT, 0, lastWrite, creation);
            tree.byDepth[depth].push_back(frn);
        } else {
            MakeFileName(random, &name);
            volume.AddEntryQuietly(parent, name, FILE_ATTRIBUTE_ARCHIVE_BIT, PickSize(random),
                                   lastWrite, creation);
        }
    }
}

}  // namespace kx::sim
