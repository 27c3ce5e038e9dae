#include "index/file_table.h"

#include <cstring>
#include <new>

#include "platform/usn_layout.h"

namespace kx {

namespace {

constexpr std::size_t kSegmentMask = kSegmentRecords - 1;

struct NameSummary {
    NameSignature signature = 0;
    PairSet pairs{};
    std::size_t extensionLength = 0;
};

// Everything a record keeps about its name besides the name, in one pass over the units while
// they are in the cache: the signature, the letter pairs and the extension.
template <typename Unit>
NameSummary Summarize(const Unit* units, std::size_t length) {
    NameSummary summary;
    int letterBefore = -1;
    std::size_t lastDot = length;
    for (std::size_t i = 0; i < length; ++i) {
        const auto raw = static_cast<char16_t>(units[i]);
        const char16_t unit = FoldAscii(raw);
        summary.signature |= NameSignatureBit(unit);
        const int letter = LetterOf(unit);
        if (letterBefore >= 0 && letter >= 0)
            AddPair(summary.pairs, PairBitOfLetters(letterBefore, letter));
        if (raw == u'.')
            lastDot = i;
        letterBefore = letter;
    }
    summary.extensionLength = lastDot < length ? length - lastDot : 0;
    return summary;
}

std::uint8_t StoredExtensionLength(std::size_t length) {
    return length >= FileRecord::kLongExtension ? FileRecord::kLongExtension
                                                : static_cast<std::uint8_t>(length);
}

FileRecord MakeRecord(std::uint64_t frn, std::uint64_t parentFrn, const NamePool::Stored& stored,
                      std::uint16_t length, std::size_t extensionLength, bool isDirectory) {
    FileRecord record{};
    record.frn = frn;
    record.parentFrn = parentFrn;
    record.nameOffsetLow = static_cast<std::uint32_t>(stored.offset);
    record.nameLength = length;
    record.extensionLength = StoredExtensionLength(extensionLength);
    record.flags = static_cast<std::uint8_t>(
        (isDirectory ? FileRecord::kDirectory : 0) | (stored.wide ? FileRecord::kWide : 0) |
        ((stored.offset >> 32) << FileRecord::kOffsetHighShift));
    return record;
}

}  // namespace

bool FileTable::NameEquals(const FileRecord& record, const char16_t* units,
                           std::size_t length) const {
    if (record.nameLength != length)
        return false;
    const NameView name = Name(record);
    if (name.wide)
        return std::memcmp(name.bytes, units, length * sizeof(char16_t)) == 0;
    for (std::size_t i = 0; i < length; ++i) {
        if (units[i] != name.bytes[i])
            return false;
    }
    return true;
}

std::size_t FileTable::LongExtensionLength(const FileRecord& record) const {
    const NameView name = Name(record);
    for (std::size_t i = name.length; i > 0; --i) {
        if (name.Unit(i - 1) == u'.')
            return name.length - (i - 1);
    }
    return 0;
}

const FileRecord* FileTable::NewestRecordOf(std::uint64_t frn) const {
    const std::uint64_t index = IndexOf(frn);
    if (index == kAbsent || index >= count_)
        return nullptr;
    const FileRecord& record = Record(static_cast<std::size_t>(index));
    return record.frn == frn ? &record : nullptr;
}

PairSet FileTable::RunPairs(std::size_t run) const {
    const std::size_t first = run * kPairRunRecords;
    const RecordSegment& segment = Segment(first >> kSegmentShift);
    PairSet pairs{};
    for (std::size_t w = 0; w < kPairWords; ++w)
        pairs[w] = segment.pairWords[w][(first & kSegmentMask) / kPairRunRecords];
    return pairs;
}

TableMemory FileTable::Memory() const {
    TableMemory memory;
    memory.records = count_ * sizeof(FileRecord);
    memory.signatures = count_ * sizeof(NameSignature);
    memory.pairRuns = (count_ + kPairRunRecords - 1) / kPairRunRecords * kPairWords * 8;
    memory.names = names_.BytesUsed();
    memory.map = frnToIndex_.BytesUsed();
    return memory;
}

RecordSegment& FileTable::SegmentFor(std::size_t index) {
    const std::size_t segment = index >> kSegmentShift;
    if (segment == segments_.size()) {
        // Owned before the list grows, so that a failure to grow it frees the segment.
        ZeroedBlock fresh(sizeof(RecordSegment));
        segments_.push_back(std::move(fresh));
    }
    return WritableSegment(segment);
}

void FileTable::Place(const FileRecord& record, NameSignature signature, const PairSet& pairs) {
    RecordSegment& segment = WritableSegment(count_ >> kSegmentShift);
    const std::size_t slot = count_ & kSegmentMask;
    segment.records[slot] = record;
    segment.signatures[slot] = signature;
    const std::size_t run = slot / kPairRunRecords;
    for (std::size_t w = 0; w < kPairWords; ++w)
        segment.pairWords[w][run] |= pairs[w];
    const std::uint64_t number = RecordNumberOf(record.frn);
    if (number > highestRecordNumber_)
        highestRecordNumber_ = number;
    ++count_;
}

std::size_t FileTable::Append(std::uint64_t frn, std::uint64_t parentFrn, const char16_t* name,
                              std::uint16_t length, std::uint32_t fileAttributes) {
    const std::size_t index = count_;
    SegmentFor(index);
    const NameSummary summary = Summarize(name, length);
    const NamePool::Stored stored = names_.Append(name, length);
    Place(MakeRecord(frn, parentFrn, stored, length, summary.extensionLength,
                     (fileAttributes & FILE_ATTRIBUTE_DIRECTORY_BIT) != 0),
          summary.signature, summary.pairs);
    return index;
}

std::size_t FileTable::AppendMapped(std::uint64_t frn, std::uint64_t parentFrn,
                                    const char16_t* name, std::uint16_t length,
                                    std::uint32_t fileAttributes, std::uint64_t* previous) {
    const std::size_t index = Append(frn, parentFrn, name, length, fileAttributes);
    try {
        *previous = frnToIndex_.InsertOrAssign(frn, index, count_,
                                               [this](std::uint64_t i) { return Record(i).frn; });
    } catch (const std::bad_alloc&) {
        // Taken back. What stays behind is harmless: a name no record points at, and letter
        // pairs in its run that no record there may have, which only costs the scan a look.
        --count_;
        throw;
    }
    return index;
}

std::uint64_t FileTable::MapAll() {
    const auto frnAt = [this](std::uint64_t i) { return Record(i).frn; };
    std::uint64_t highest = highestRecordNumber_;
    if (!FrnMap::WithinReach(highest, count_)) {
        // A number far beyond the others (a damaged or hostile reply) goes aside; the table is
        // sized for the highest that it can hold, so that it grows once, not per record.
        highest = 0;
        for (std::size_t i = 0; i < count_; ++i) {
            const std::uint64_t number = RecordNumberOf(Record(i).frn);
            if (number > highest && FrnMap::WithinReach(number, count_))
                highest = number;
        }
    }
    frnToIndex_.ReserveRecordNumbers(highest, count_);
    std::uint64_t died = 0;
    for (std::size_t i = 0; i < count_; ++i) {
        const std::uint64_t previous = frnToIndex_.InsertOrAssign(Record(i).frn, i, count_, frnAt);
        if (previous != kAbsent && SetDead(static_cast<std::size_t>(previous)))
            ++died;
    }
    return died;
}

bool FileTable::SetDead(std::size_t index) {
    FileRecord& record = WritableSegment(index >> kSegmentShift).records[index & kSegmentMask];
    if (record.IsDead())
        return false;
    record.flags |= FileRecord::kDead;
    ++deadCount_;
    return true;
}

FileTable FileTable::Compacted() const {
    FileTable live(names_.ChunkShift());
    for (std::size_t i = 0; i < count_; ++i) {
        const RecordSegment& segment = Segment(i >> kSegmentShift);
        const FileRecord& record = segment.records[i & kSegmentMask];
        if (record.IsDead())
            continue;
        live.SegmentFor(live.count_);
        const NameView name = Name(record);
        const NamePool::Stored stored = live.names_.AppendStored(name);
        NameSummary summary;
        AddLetterPairs(name, summary.pairs);
        live.Place(MakeRecord(record.frn, record.parentFrn, stored, record.nameLength,
                              record.extensionLength, record.IsDirectory()),
                   segment.signatures[i & kSegmentMask], summary.pairs);
    }
    live.MapAll();
    return live;
}

void FileTable::OverwriteNameForTesting(std::size_t index, const char16_t* units) {
    const FileRecord& record = Record(index);
    // The pool's bytes are this table's own and writable; only the view hands them out const.
    auto* bytes = const_cast<std::uint8_t*>(Name(record).bytes);
    for (std::size_t i = 0; i < record.nameLength; ++i) {
        if (record.IsWide())
            reinterpret_cast<char16_t*>(bytes)[i] = units[i];
        else
            bytes[i] = static_cast<std::uint8_t>(units[i]);
    }
    RecordSegment& segment = WritableSegment(index >> kSegmentShift);
    const std::size_t slot = index & kSegmentMask;
    segment.signatures[slot] = NameSignatureOf(Name(record));
    PairSet pairs{};
    AddLetterPairs(Name(record), pairs);
    for (std::size_t w = 0; w < kPairWords; ++w)
        segment.pairWords[w][slot / kPairRunRecords] |= pairs[w];
}

}  // namespace kx
