// A table's records in segments of 65,536, each with the name signatures and letter-pair runs
// of its records beside them. A segment is allocated once, zeroed by the system, and never
// moves: appending never copies the records before, so a build needs no join of its pieces at
// the end, the journal's appends never copy the table under the exclusive lock, and a 32-bit
// process never needs one contiguous block the size of the table. Pages a segment does not
// reach yet are address space only.
#pragma once

#include <cstddef>
#include <cstdint>

#include "index/file_record.h"
#include "index/name_pair_runs.h"
#include "index/name_signature.h"

namespace kx {

constexpr unsigned kSegmentShift = 16;
constexpr std::size_t kSegmentRecords = std::size_t{1} << kSegmentShift;
constexpr std::size_t kSegmentRuns = kSegmentRecords / kPairRunRecords;

struct RecordSegment {
    FileRecord records[kSegmentRecords];
    NameSignature signatures[kSegmentRecords];
    // Word-major: pairWords[w][run] is word w of that run's set, so that a query whose pairs
    // fall in one word reads 8 bytes per run.
    std::uint64_t pairWords[kPairWords][kSegmentRuns];
};

// One segment as a whole scan's first pass reads it: the signatures of its records and the
// letter-pair runs, by position within the segment.
class SegmentView {
  public:
    SegmentView(const RecordSegment& segment, std::size_t first)
        : segment_(&segment), first_(first) {}

    // The table's index of the segment's first record.
    std::size_t First() const { return first_; }
    const NameSignature* Signatures() const { return segment_->signatures; }
    // Whether run `run` of the segment may hold a name containing the query.
    bool RunMayHold(const PairQuery& query, std::size_t run) const {
        for (std::size_t k = 0; k < query.wordCount; ++k) {
            if ((segment_->pairWords[query.word[k]][run] & query.bits[k]) != query.bits[k])
                return false;
        }
        return true;
    }

  private:
    const RecordSegment* segment_;
    std::size_t first_;
};

}  // namespace kx
