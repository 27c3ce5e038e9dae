// The first pass of a whole scan over a query with letter pairs: runs of 16 records that lack
// one of its pairs are passed over without reading their signatures.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

#include "index/record_segment.h"
#include "search/signature_filter.h"

namespace kx {

// As PickBySignature over records [from, to) of one segment, whose first record is the table's
// record `base`, reading only the runs that may hold the query's pairs.
inline bool PickByPairsAndSignature(const RecordSegment& segment, const PairQuery& query,
                                    NameSignature needed, std::size_t from, std::size_t to,
                                    std::uint32_t base, std::uint32_t* picked, std::size_t& count,
                                    const std::atomic<bool>& stop) {
    const NameSignature* signatures = segment.signatures;
    if (query.Empty())
        return PickBySignature(signatures, needed, from, to, base, picked, count, stop);
    count = 0;
    const auto runEnd = [](std::size_t k) { return (k / kPairRunRecords + 1) * kPairRunRecords; };
    std::size_t k = from;
    while (k < to) {
        while (k < to && !RunMayHold(segment, query, k / kPairRunRecords)) {
            if (stop.load(std::memory_order_relaxed))
                return false;
            k = runEnd(k);
        }
        if (k >= to)
            break;
        // Neighbouring runs that may hold it are read in one call, a vector at a time.
        std::size_t end = runEnd(k);
        while (end < to && RunMayHold(segment, query, end / kPairRunRecords))
            end = runEnd(end);
        if (end > to)
            end = to;
        std::size_t added = 0;
        if (!PickBySignature(signatures, needed, k, end, base, picked + count, added, stop))
            return false;
        count += added;
        k = end;
    }
    return true;
}

}  // namespace kx
