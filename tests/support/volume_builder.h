// Fixture volumes in a line or two: a list of paths below the root becomes a tree of entries,
// with every directory on the way made once, and the frns come back by path.
//
//   auto drive = testing::MakeDrive('C', {u"Windows\\notepad.exe", u"Users\\a\\doc.txt"});
//   drive.frns.at(u"Users\\a")  // the directory made on the way
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/sim/simulated_volume.h"

namespace kx::testing {

using FrnByPath = std::map<std::u16string, std::uint64_t>;

struct TreeOptions {
    // Through CreateFile/CreateDirectory, with their journal records, instead of quietly.
    bool journaled = false;
    std::int64_t fileSize = 0;
};

// Paths below the root, backslash-separated; a trailing backslash makes a directory. Paths
// already made (by an earlier call too, when frns is passed in again) are not made twice.
// Returns every path made or found, directories on the way included.
FrnByPath AddTree(sim::SimVolume& volume, const std::vector<std::u16string>& paths,
                  const TreeOptions& options = {}, FrnByPath frns = {});

struct FixtureDrive {
    std::shared_ptr<sim::SimVolume> volume;
    FrnByPath frns;
};

// A fresh NTFS drive at letter, holding the tree.
FixtureDrive MakeDrive(char letter, const std::vector<std::u16string>& paths,
                       const TreeOptions& options = {});

}  // namespace kx::testing
