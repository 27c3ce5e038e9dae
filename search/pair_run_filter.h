// The first pass of a whole scan over a query with letter pairs: runs of 16 records that lack
// one of its pairs are passed over without reading their signatures.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

#include "index/name_pair_runs.h"
#include "search/signature_filter.h"

namespace kx {

// As PickBySignature, over only the runs of [from, to) that may hold the query's pairs.
inline bool PickByPairsAndSignature(const NamePairRuns& runs, const PairQuery& query,
                                    const NameSignature* signatures, std::size_t signedCount,
                                    NameSignature needed, std::size_t from, std::size_t to,
                                    std::uint32_t* picked, std::size_t& count,
                                    const std::atomic<bool>& stop) {
    if (query.Empty())
        return PickBySignature(signatures, signedCount, needed, from, to, picked, count, stop);
    count = 0;
    const auto runEnd = [](std::size_t k) { return (k / kPairRunRecords + 1) * kPairRunRecords; };
    std::size_t k = from;
    while (k < to) {
        while (k < to && !RunMayHold(runs, query, k / kPairRunRecords)) {
            if (stop.load(std::memory_order_relaxed))
                return false;
            k = runEnd(k);
        }
        if (k >= to)
            break;
        // Neighbouring runs that may hold it are read in one call, a vector at a time.
        std::size_t end = runEnd(k);
        while (end < to && RunMayHold(runs, query, end / kPairRunRecords))
            end = runEnd(end);
        if (end > to)
            end = to;
        std::size_t added = 0;
        if (!PickBySignature(signatures, signedCount, needed, k, end, picked + count, added, stop))
            return false;
        count += added;
        k = end;
    }
    return true;
}

}  // namespace kx
