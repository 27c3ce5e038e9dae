// The first pass of a whole scan over a query with letter pairs: runs of 16 records that lack
// one of its pairs are passed over without reading their signatures.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

#include "index/file_table.h"
#include "search/signature_filter.h"

namespace kx {

// As PickBySignature over records [from, to) of one segment (positions within it), reading
// only the runs that may hold the query's pairs. Picked records are the table's indexes.
inline bool PickByPairsAndSignature(const SegmentView& segment, const PairQuery& query,
                                    NameSignature needed, std::size_t from, std::size_t to,
                                    std::uint32_t* picked, std::size_t& count,
                                    const std::atomic<bool>& stop) {
    const NameSignature* signatures = segment.Signatures();
    const auto base = static_cast<std::uint32_t>(segment.First());
    if (query.Empty())
        return PickBySignature(signatures, needed, from, to, base, picked, count, stop);
    count = 0;
    const auto runEnd = [](std::size_t k) { return (k / kPairRunRecords + 1) * kPairRunRecords; };
    std::size_t k = from;
    while (k < to) {
        while (k < to && !segment.RunMayHold(query, k / kPairRunRecords)) {
            if (stop.load(std::memory_order_relaxed))
                return false;
            k = runEnd(k);
        }
        if (k >= to)
            break;
        // Neighbouring runs that may hold it are read in one call, a vector at a time.
        std::size_t end = runEnd(k);
        while (end < to && segment.RunMayHold(query, end / kPairRunRecords))
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
