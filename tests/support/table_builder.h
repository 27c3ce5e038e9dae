// Fills a VolumeIndex directly, for tests of the table that need no volume behind it.
#pragma once

#include <cstdint>
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
    const std::uint64_t index = volume.records.size();
    AppendRecord(volume.records, volume.names, frn, parentFrn, name.data(),
                 static_cast<std::uint16_t>(name.size()), AttributesOf(isDirectory));
    ExtendNameSignatures(volume.records, volume.nameSignatures);
    if (volume.namePairs.covered + 1 == volume.records.size())
        ExtendNamePairRuns(volume.records, volume.namePairs);
    volume.frnToIndex.InsertOrAssign(frn, index);
    return index;
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
    for (const FileRecord& record : volume.records)
        live += record.isDead == 0 ? 1 : 0;
    return live;
}

inline std::u16string NameOf(const FileRecord& record) {
    return std::u16string(record.name, record.nameLength);
}

}  // namespace kx::testing
