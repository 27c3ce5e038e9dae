// A simulated volume that mirrors a directory tree of this machine, so that the program can be
// tried on real names: every file and directory below a root becomes an entry below the
// volume's root, with its size and modification time.
#pragma once

#include <cstddef>
#include <filesystem>

#include "platform/sim/simulated_volume.h"

namespace kx::sim {

struct MirrorSummary {
    std::size_t added = 0;
    // Unreadable entries, special files (sockets, pipes, devices) and names no NTFS path can
    // hold (a backslash in them).
    std::size_t skipped = 0;
    bool truncated = false;  // maxEntries was reached before the walk ended
};

// Adds the tree below root quietly (no journal records). Symbolic links are added as
// reparse-point files and never followed. Creation times are not portable to read, so an
// entry's creation time is its modification time. Children are added in name order, so a
// tree that does not change always yields the same frns.
MirrorSummary MirrorDirectoryTree(SimVolume& volume, const std::filesystem::path& root,
                                  std::size_t maxEntries);

}  // namespace kx::sim
