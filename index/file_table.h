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

#include "common/zeroed_block.h"
#include "index/file_record.h"
#include "index/frn_map.h"
#include "index/name_pool.h"
#include "index/name_view.h"
#include "index/record_segment.h"

namespace kx {

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
    std::uint64_t DeadCount() const { return deadCount_; }
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
    std::size_t ExtensionLength(const FileRecord& record) const;

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

    // For the scan, which walks a segment at a time.
    std::size_t SegmentCount() const { return segments_.size(); }
    const RecordSegment& Segment(std::size_t segment) const {
        return *static_cast<const RecordSegment*>(segments_[segment].get());
    }
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
    // Sets the record's dead flag; true when it was live.
    bool MarkDead(std::size_t index);
    // The live records in order, with their names, signatures and runs, mapped afresh.
    FileTable Compacted() const;

  private:
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
