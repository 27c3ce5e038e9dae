#include "tests/support/volume_builder.h"

#include "platform/sim/simulated_drives.h"
#include "platform/usn_layout.h"

namespace kx::testing {

namespace {

std::uint64_t MakeOne(sim::SimVolume& volume, std::uint64_t parent, const std::u16string& name,
                      bool directory, const TreeOptions& options) {
    if (options.journaled) {
        return directory ? volume.CreateDirectory(parent, name)
                         : volume.CreateFile(parent, name, options.fileSize);
    }
    return volume.AddEntryQuietly(
        parent, name, directory ? FILE_ATTRIBUTE_DIRECTORY_BIT : FILE_ATTRIBUTE_ARCHIVE_BIT,
        directory ? 0 : options.fileSize);
}

}  // namespace

FrnByPath AddTree(sim::SimVolume& volume, const std::vector<std::u16string>& paths,
                  const TreeOptions& options, FrnByPath frns) {
    for (const std::u16string& path : paths) {
        std::uint64_t parent = kRootDirectoryFrn;
        std::size_t start = 0;
        while (start < path.size()) {
            std::size_t end = path.find(u'\\', start);
            const bool last = end == std::u16string::npos || end + 1 == path.size();
            if (end == std::u16string::npos)
                end = path.size();
            const std::u16string sofar = path.substr(0, end);
            auto found = frns.find(sofar);
            if (found == frns.end()) {
                const bool directory = !last || end < path.size();
                const std::uint64_t frn =
                    MakeOne(volume, parent, path.substr(start, end - start), directory, options);
                found = frns.emplace(sofar, frn).first;
            }
            parent = found->second;
            start = end + 1;
        }
    }
    return frns;
}

FixtureDrive MakeDrive(char letter, const std::vector<std::u16string>& paths,
                       const TreeOptions& options) {
    FixtureDrive drive;
    drive.volume = sim::AddNtfsDrive(letter);
    drive.frns = AddTree(*drive.volume, paths, options);
    return drive;
}

}  // namespace kx::testing
