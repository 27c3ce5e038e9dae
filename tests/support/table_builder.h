// Fills a VolumeIndex directly, for tests of the table that need no volume behind it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "index/journal_monitor.h"
#include "index/volume_index.h"
#include "platform/usn_layout.h"

namespace kx::testing {

// The attributes NTFS gives a fresh directory or a fresh file.
inline std::uint32_t AttributesOf(bool isDirectory) {
    return isDirectory ? FILE_ATTRIBUTE_DIRECTORY_BIT : FILE_ATTRIBUTE_ARCHIVE_BIT;
}

// Appends a live record and maps it, as the journal monitor does.
inline std::uint64_t AddRecord(VolumeIndex& volume, std::uint64_t frn, std::uint64_t parentFrn,
                               const std::u16string& name, bool isDirectory = false) {
    std::uint64_t previous = 0;
    return volume.table.AppendMapped(frn, parentFrn, name.data(),
                                     static_cast<std::uint16_t>(name.size()),
                                     AttributesOf(isDirectory), &previous);
}

inline void AddRoot(VolumeIndex& volume) {
    AddRecord(volume, kRootDirectoryFrn, kRootDirectoryFrn, u".", true);
}

// One journal record as the monitor sees it.
inline void Journal(VolumeIndex& volume, std::uint32_t reason, std::uint64_t frn,
                    std::uint64_t parentFrn, const std::u16string& name, bool isDirectory = false) {
    UsnRecordView change;
    change.frn = frn;
    change.parentFrn = parentFrn;
    change.reason = reason;
    change.fileAttributes = AttributesOf(isDirectory);
    change.name = name.data();
    change.nameLength = static_cast<std::uint16_t>(name.size());
    ApplyJournalRecord(volume, change);
}

inline std::size_t LiveCount(const VolumeIndex& volume) {
    std::size_t live = 0;
    for (std::size_t i = 0; i < volume.table.Size(); ++i)
        live += volume.table.Record(i).IsDead() ? 0 : 1;
    return live;
}

inline std::u16string NameOf(const VolumeIndex& volume, std::size_t index) {
    return volume.table.NameText(volume.table.Record(index));
}

// The live record that carries frn, as a search would see it, copied out of the table. The
// caller holds the volume's lock or owns the volume.
struct LiveFile {
    std::u16string name;
    std::uint64_t parentFrn = 0;
    std::uint64_t index = 0;
    bool isDirectory = false;
};
inline std::optional<LiveFile> LiveFileOf(const VolumeIndex& volume, std::uint64_t frn) {
    const FileRecord* record = volume.table.NewestRecordOf(frn);
    if (record == nullptr || record->IsDead())
        return std::nullopt;
    return LiveFile{volume.table.NameText(*record), record->parentFrn, volume.table.IndexOf(frn),
                    record->IsDirectory()};
}

}  // namespace kx::testing
