// One volume's table of names and parent links: its records (in segments, with each record's
// name signature and the letter-pair runs beside them), the store of their names, and the map
// from frn to record. This type is the only code that appends, marks dead and compacts, and the
// only one that knows how a name is stored; everything else reads records and names through it.
//
// The owner's lock guards it: readers hold the volume's lock shared, writers exclusively, or
// the table is private to the thread building it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "index/file_record.h"
#include "index/frn_map.h"
#include "index/name_pool.h"
#include "index/name_view.h"
#include "index/record_segment.h"
#include "index/zeroed_block.h"

namespace kx {

struct VolumeIndex;

// What each structure of a table takes, in bytes in use (pages a structure has not reached are
// address space only and not counted).
struct TableMemory {
    std::uint64_t records = 0;
    std::uint64_t names = 0;
    std::uint64_t map = 0;
    std::uint64_t signatures = 0;
    std::uint64_t pairRuns = 0;

    std::uint64_t Total() const { return records + names + map + signatures + pairRuns; }
};

class FileTable {
  public:
    static constexpr std::uint64_t kAbsent = FrnMap::kAbsent;

    // nameChunkShift: see NamePool.
    explicit FileTable(unsigned nameChunkShift = NamePool::kDefaultChunkShift)
        : names_(nameChunkShift) {}
    // A table moved from is empty.
    FileTable(FileTable&& other) noexcept { *this = std::move(other); }
    FileTable& operator=(FileTable&& other) noexcept {
        segments_ = std::move(other.segments_);
        count_ = std::exchange(other.count_, 0);
        names_ = std::move(other.names_);
        frnToIndex_ = std::move(other.frnToIndex_);
        deadCount_ = std::exchange(other.deadCount_, 0);
        highestRecordNumber_ = std::exchange(other.highestRecordNumber_, 0);
        other.segments_.clear();
        return *this;
    }

    // ---- Reading.

    std::size_t Size() const { return count_; }
    // Dead records the table holds now, which compaction drops: not the deaths ever counted on
    // the volume (VolumeIndex::deathsEver).
    std::uint64_t DeadRecordsHeld() const { return deadCount_; }
    const FileRecord& Record(std::size_t index) const {
        return Segment(index >> kSegmentShift).records[index & (kSegmentRecords - 1)];
    }
    NameView Name(const FileRecord& record) const {
        return names_.View(record.NameOffset(), record.nameLength, record.IsWide());
    }
    std::u16string NameText(const FileRecord& record) const { return Name(record).Text(); }
    // Exactly the same units, case included.
    bool NameEquals(const FileRecord& record, const char16_t* units, std::size_t length) const;
    // Units of the record's extension (its last units, from its last "."), 0 without a dot.
    // Inline, since the scan asks it of every hit; only a long extension reads the name again.
    std::size_t ExtensionLength(const FileRecord& record) const {
        if (record.extensionLength < FileRecord::kLongExtension)
            return record.extensionLength;
        return LongExtensionLength(record);
    }

    // Records in order: `for (const FileRecord& record : table)`.
    class Iterator {
      public:
        Iterator(const FileTable* table, std::size_t index) : table_(table), index_(index) {}
        const FileRecord& operator*() const { return table_->Record(index_); }
        Iterator& operator++() {
            ++index_;
            return *this;
        }
        bool operator!=(const Iterator& other) const { return index_ != other.index_; }

      private:
        const FileTable* table_;
        std::size_t index_;
    };
    Iterator begin() const { return Iterator(this, 0); }
    Iterator end() const { return Iterator(this, count_); }

    // The index the map holds for frn (the newest record carrying it, dead or alive), or
    // kAbsent.
    std::uint64_t IndexOf(std::uint64_t frn) const {
        return frnToIndex_.Find(frn, [this](std::uint64_t i) { return Record(i).frn; });
    }
    // The record the map names for frn, null when there is none.
    const FileRecord* NewestRecordOf(std::uint64_t frn) const;

    // ---- What the scan reads besides records and names.

    NameSignature Signature(std::size_t index) const {
        return Segment(index >> kSegmentShift).signatures[index & (kSegmentRecords - 1)];
    }
    // The signatures and letter-pair runs of the segment holding record `index`. A pass over
    // signatures or runs stays inside one segment: SegmentEnd(index) is where the next begins.
    SegmentView SegmentOf(std::size_t index) const {
        const std::size_t first = index & ~(kSegmentRecords - 1);
        return SegmentView(Segment(index >> kSegmentShift), first);
    }
    static std::size_t SegmentEnd(std::size_t index) { return (index | (kSegmentRecords - 1)) + 1; }
    // The letter pairs run `run` (records 16 run to 16 run + 15) holds: every pair of their
    // names, and perhaps pairs of an append that ran out of memory and was taken back.
    PairSet RunPairs(std::size_t run) const;
    // Asks for the record's bytes and its name's: a 24-byte record crosses a cache line in a
    // quarter of the cases (segments are page-aligned), and a name often does too, so both
    // ends are asked for.
    void PrefetchRecord(const FileRecord& record) const {
        __builtin_prefetch(&record);
        __builtin_prefetch(reinterpret_cast<const char*>(&record) + sizeof(FileRecord) - 1);
    }
    void PrefetchName(const FileRecord& record) const {
        const NameView name = Name(record);
        __builtin_prefetch(name.bytes);
        __builtin_prefetch(name.bytes + (name.wide ? 2u : 1u) * name.length);
    }

    // The store of names, for checks of how they are laid out and for memory figures.
    const NamePool& Names() const { return names_; }
    std::size_t MapSize() const { return frnToIndex_.Size(); }

    TableMemory Memory() const;

    // ---- Writing.

    // Appends a live record, not mapped (a build maps all of them at its end). Returns its
    // index. Throws bad_alloc with the table as it was.
    std::size_t Append(std::uint64_t frn, std::uint64_t parentFrn, const char16_t* name,
                       std::uint16_t length, std::uint32_t fileAttributes);
    // Appends a live record and stores its index under frn, as the journal does. Returns the
    // index; *previous gets the index the map held for frn before, or kAbsent. Throws bad_alloc
    // with the table as it was.
    std::size_t AppendMapped(std::uint64_t frn, std::uint64_t parentFrn, const char16_t* name,
                             std::uint16_t length, std::uint32_t fileAttributes,
                             std::uint64_t* previous);
    // Maps every frn to its last record, once a build's records are all in. Should an frn
    // appear twice (a damaged reply), the earlier records die, so that exactly one live record
    // carries it. Returns how many died.
    std::uint64_t MapAll();
    // The live records in order, with their names, signatures and runs, mapped afresh.
    FileTable Compacted() const;

    // Writes `units` over the record's name in place (as many units as it has, in its width)
    // and gives it their signature and letter pairs. Names never change in place otherwise:
    // tests use it to show which records a scan reads.
    void OverwriteNameForTesting(std::size_t index, const char16_t* units);

  private:
    // A volume's records die through MarkDead(VolumeIndex&, index), which also counts them in
    // the volume's deathsEver; the table itself only kills the records a build maps over.
    friend void MarkDead(VolumeIndex& volume, std::uint64_t index);
    // Sets the record's dead flag and counts it in DeadRecordsHeld(); true when it was live.
    bool SetDead(std::size_t index);

    const RecordSegment& Segment(std::size_t segment) const {
        return *static_cast<const RecordSegment*>(segments_[segment].get());
    }
    std::size_t LongExtensionLength(const FileRecord& record) const;
    RecordSegment& WritableSegment(std::size_t segment) {
        return *static_cast<RecordSegment*>(segments_[segment].get());
    }
    RecordSegment& SegmentFor(std::size_t index);
    // Fills the slot at count_ (its segment exists) and counts it.
    void Place(const FileRecord& record, NameSignature signature, const PairSet& pairs);

    // Zeroed pages from the system: the runs start empty, and the pages records do not reach
    // yet are never touched.
    std::vector<ZeroedBlock> segments_;
    std::size_t count_ = 0;
    NamePool names_;
    FrnMap frnToIndex_;
    std::uint64_t deadCount_ = 0;
    // The highest record number appended, so that a build sizes the map's table once.
    std::uint64_t highestRecordNumber_ = 0;
};

}  // namespace kx
