// What a volume's table must satisfy however it was filled (a build, the journal, compaction,
// a damaged reply, an append that ran out of memory), held against a plain reference worked out
// from each record's name: the name inside its chunk and stored in the narrowest units that hold
// it; its extension, signature and letter pairs as the slow way finds them; a map that names the
// newest record of every frn and no other key; one live record per frn at most; a true dead
// count. Shared by the tests and the fuzz targets.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_set>

#include "common/ascii_fold.h"
#include "index/file_table.h"

namespace kx::testing {

// The first fault found, described, or "" for none. Checks at most `recordLimit` records'
// names (the map and counts are always checked whole).
inline std::string TableFaults(const FileTable& table, std::size_t recordLimit = SIZE_MAX) {
    const NamePool& names = table.Names();
    std::uint64_t dead = 0;
    std::unordered_set<std::uint64_t> distinct;
    for (std::size_t i = 0; i < table.Size(); ++i) {
        const FileRecord& record = table.Record(i);
        const std::string at = "record " + std::to_string(i) + ": ";
        dead += record.IsDead() ? 1 : 0;
        distinct.insert(record.frn);
        const std::uint64_t mapped = table.IndexOf(record.frn);
        if (mapped == FileTable::kAbsent || mapped < i || mapped >= table.Size() ||
            table.Record(mapped).frn != record.frn) {
            return at + "the map does not name the newest record of its frn";
        }
        if (!record.IsDead() && mapped != i)
            return at + "a live record that the map does not name";
        if (i >= recordLimit)
            continue;

        const std::uint64_t offset = record.NameOffset();
        const std::uint64_t bytes = (record.IsWide() ? 2u : 1u) * record.nameLength;
        if ((offset >> names.ChunkShift()) >= names.ChunkCount() ||
            (offset & (names.ChunkBytes() - 1)) + bytes > names.ChunkBytes() ||
            (record.IsWide() && offset % 2 != 0)) {
            return at + "the name lies outside its chunk";
        }
        const std::u16string name = table.NameText(record);
        bool anyWide = false;
        for (char16_t unit : name)
            anyWide = anyWide || unit >= 0x80;
        if (anyWide != record.IsWide())
            return at + "stored wider or narrower than its units need";
        const std::size_t dot = name.rfind(u'.');
        const std::size_t extension = dot == std::u16string::npos ? 0 : name.size() - dot;
        if (table.ExtensionLength(record) != extension ||
            record.extensionLength != std::min<std::size_t>(extension, 255)) {
            return at + "a wrong extension length";
        }
        const std::u16string folded = FoldAscii(name);
        if (table.Signature(i) != NameSignatureOf(folded.data(), folded.size()))
            return at + "a signature that is not its name's";
        const PairSet runPairs = table.RunPairs(i / kPairRunRecords);
        for (std::size_t k = 0; k + 1 < folded.size(); ++k) {
            const int bit = LetterPairBit(folded[k], folded[k + 1]);
            if (bit < 0)
                continue;
            const std::uint64_t word = runPairs[static_cast<std::size_t>(bit) / 64];
            if (((word >> (bit % 64)) & 1u) == 0)
                return at + "a letter pair missing from its run";
        }
    }
    if (dead != table.DeadRecordsHeld())
        return "the dead count is not the number of dead records";
    if (distinct.size() != table.MapSize())
        return "the map holds a key that no record carries";
    return "";
}

}  // namespace kx::testing
