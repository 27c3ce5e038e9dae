// The substring test behind every keystroke, in a portable and an SSE2 form that the tests
// hold against each other.
#pragma once

#include <cstddef>
#include <cstring>

#include "index/name_pool.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace kx {

// True when the n-unit needle occurs in the len-unit text. Callers guarantee len >= n >= 1.
// Most names fail at the first unit, so the loop compares the first and last needle units
// (two loads from the same one or two cache lines) before touching the middle; names are a
// dozen units long, so this beats any search with set-up cost per call.
inline bool ContainsFoldedPlain(const char16_t* text, std::size_t len, const char16_t* needle,
                                std::size_t n) {
    const char16_t first = needle[0];
    const char16_t last = needle[n - 1];
    const char16_t* const end = text + (len - n) + 1;  // one past the last possible start
    for (const char16_t* p = text; p != end; ++p) {
        if (*p == first && p[n - 1] == last &&
            std::memcmp(p + 1, needle + 1, (n > 2 ? n - 2 : 0) * sizeof(char16_t)) == 0) {
            return true;
        }
    }
    return false;
}

#if defined(__SSE2__)
// The same test eight start positions at a time. Candidates are the positions where both the
// first and the last needle unit match, and only those compare the middle, so a typical name
// is decided in one or two steps and no set-up is paid per call. The loads reach up to 7 units
// past the text's end, which stays inside its chunk: after a folded name come its terminator
// and the next name, and every chunk has NamePool::kReadSlack zero units past its capacity.
inline bool ContainsFoldedVector(const char16_t* text, std::size_t len, const char16_t* needle,
                                 std::size_t n) {
    static_assert(NamePool::kReadSlack >= 8, "a vector load may pass the last name by 7 units");
    const __m128i first = _mm_set1_epi16(static_cast<short>(needle[0]));
    const __m128i last = _mm_set1_epi16(static_cast<short>(needle[n - 1]));
    const std::size_t starts = len - n + 1;
    for (std::size_t at = 0; at < starts; at += 8) {
        const __m128i heads = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + at));
        const __m128i tails = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + at + n - 1));
        // Two mask bits per code unit.
        unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(
            _mm_and_si128(_mm_cmpeq_epi16(heads, first), _mm_cmpeq_epi16(tails, last))));
        if (starts - at < 8)
            mask &= (1u << (2 * (starts - at))) - 1;
        while (mask != 0) {
            const std::size_t position = at + static_cast<std::size_t>(__builtin_ctz(mask)) / 2;
            if (n <= 2 ||
                std::memcmp(text + position + 1, needle + 1, (n - 2) * sizeof(char16_t)) == 0) {
                return true;
            }
            mask &= mask - 1;
            mask &= mask - 1;
        }
    }
    return false;
}
#endif

inline bool ContainsFolded(const char16_t* text, std::size_t len, const char16_t* needle,
                           std::size_t n) {
#if defined(__SSE2__)
    return ContainsFoldedVector(text, len, needle, n);
#else
    return ContainsFoldedPlain(text, len, needle, n);
#endif
}

}  // namespace kx
