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
// mispredict that branch often enough to cost more than the test itself. SSE2 compares 32-bit
// lanes, so a signature passes when both of its halves do.
inline bool PickBySignatureVector(const NameSignature* signatures, NameSignature needed,
                                  std::size_t from, std::size_t to, std::uint32_t base,
                                  std::uint32_t* picked, std::size_t& count,
                                  const std::atomic<bool>& stop) {
    count = 0;
    const __m128i want = _mm_set1_epi64x(static_cast<long long>(needed));
    std::size_t k = from;
    for (; k + 4 <= to; k += 4) {
        if (stop.load(std::memory_order_relaxed))
            return false;
        const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(signatures + k));
        const __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i*>(signatures + k + 2));
        const unsigned lanes =
            static_cast<unsigned>(_mm_movemask_ps(
                _mm_castsi128_ps(_mm_cmpeq_epi32(_mm_and_si128(low, want), want)))) |
            static_cast<unsigned>(
                _mm_movemask_ps(_mm_castsi128_ps(_mm_cmpeq_epi32(_mm_and_si128(high, want), want))))
                << 4;
        // Lane pairs to one bit per signature: bit 2i and bit 2i + 1 both set.
        unsigned mask = lanes & (lanes >> 1) & 0x55u;
        while (mask != 0) {
            picked[count++] = base + static_cast<std::uint32_t>(k + __builtin_ctz(mask) / 2);
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
