// The first pass of the scan: which records' name signatures hold every bit of the query's, in
// a portable and an SSE2 form that the tests hold against each other.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

#include "index/name_signature.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace kx {

// Writes to `picked` base + k for the positions k of [from, to) whose signature has every bit
// of `needed`, in order, and sets `count` to how many. False, part-way, once `stop` is set: it
// is looked at for every record (every four in the SSE2 form).
inline bool PickBySignaturePlain(const NameSignature* signatures, NameSignature needed,
                                 std::size_t from, std::size_t to, std::uint32_t base,
                                 std::uint32_t* picked, std::size_t& count,
                                 const std::atomic<bool>& stop) {
    count = 0;
    for (std::size_t k = from; k < to; ++k) {
        if (stop.load(std::memory_order_relaxed))
            return false;
        if ((signatures[k] & needed) == needed)
            picked[count++] = base + static_cast<std::uint32_t>(k);
    }
    return true;
}

#if defined(__SSE2__)
// Four signatures per step, without a branch per record: a candidate share of one in ten would
// mispredict that branch often enough to cost more than the test itself.
inline bool PickBySignatureVector(const NameSignature* signatures, NameSignature needed,
                                  std::size_t from, std::size_t to, std::uint32_t base,
                                  std::uint32_t* picked, std::size_t& count,
                                  const std::atomic<bool>& stop) {
    static_assert(sizeof(NameSignature) == 4, "four signatures to a vector");
    count = 0;
    const __m128i want = _mm_set1_epi32(static_cast<int>(needed));
    std::size_t k = from;
    for (; k + 4 <= to; k += 4) {
        if (stop.load(std::memory_order_relaxed))
            return false;
        const __m128i four = _mm_loadu_si128(reinterpret_cast<const __m128i*>(signatures + k));
        unsigned mask = static_cast<unsigned>(
            _mm_movemask_ps(_mm_castsi128_ps(_mm_cmpeq_epi32(_mm_and_si128(four, want), want))));
        while (mask != 0) {
            picked[count++] = base + static_cast<std::uint32_t>(k + __builtin_ctz(mask));
            mask &= mask - 1;
        }
    }
    std::size_t rest = 0;
    if (!PickBySignaturePlain(signatures, needed, k, to, base, picked + count, rest, stop))
        return false;
    count += rest;
    return true;
}
#endif

inline bool PickBySignature(const NameSignature* signatures, NameSignature needed, std::size_t from,
                            std::size_t to, std::uint32_t base, std::uint32_t* picked,
                            std::size_t& count, const std::atomic<bool>& stop) {
#if defined(__SSE2__)
    return PickBySignatureVector(signatures, needed, from, to, base, picked, count, stop);
#else
    return PickBySignaturePlain(signatures, needed, from, to, base, picked, count, stop);
#endif
}

}  // namespace kx
