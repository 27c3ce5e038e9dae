// The substring test behind every keystroke, over names stored in 8-bit or UTF-16 units, in a
// portable and an SSE2 form that the tests hold against each other.
//
// Names are stored as reported and folded while compared: the query is folded once, and a
// stored unit x equals a folded query unit c exactly when (x | m) == c, where m is 0x20 when c
// is one of a to z and 0 otherwise: only A to Z become a to z, and OR-ing 0x20 into any other
// unit cannot turn it into a letter that the query holds unless it was that letter's capital.
// So a vector of units costs one OR beside its compare.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "index/name_view.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace kx {

// A folded query, prepared once per search for both widths of stored names.
class FoldedNeedle {
  public:
    explicit FoldedNeedle(std::u16string_view folded) : wide_(folded) {
        for (char16_t unit : folded) {
            const char16_t mask = unit >= u'a' && unit <= u'z' ? 0x20 : 0;
            wideMask_.push_back(mask);
            ascii_ = ascii_ && unit < 0x80;
            narrow_.push_back(static_cast<std::uint8_t>(unit));
            narrowMask_.push_back(static_cast<std::uint8_t>(mask));
        }
    }

    std::size_t size() const { return wide_.size(); }
    // Every unit below 0x80: only then may an 8-bit name hold it.
    bool Ascii() const { return ascii_; }
    const char16_t* Wide() const { return wide_.data(); }
    const char16_t* WideMask() const { return wideMask_.data(); }
    const std::uint8_t* Narrow() const { return narrow_.data(); }
    const std::uint8_t* NarrowMask() const { return narrowMask_.data(); }

  private:
    std::u16string wide_;
    std::u16string wideMask_;
    std::basic_string<std::uint8_t> narrow_;
    std::basic_string<std::uint8_t> narrowMask_;
    bool ascii_ = true;
};

// Whether text[0, n) equals the needle, folding the text.
template <typename Unit>
inline bool FoldedEqualAt(const Unit* text, const Unit* needle, const Unit* mask, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) {
        if (static_cast<Unit>(text[i] | mask[i]) != needle[i])
            return false;
    }
    return true;
}

// True when the n-unit needle occurs in the len-unit text. Callers guarantee len >= n >= 1.
// Most starts fail at the first unit, so the first and last units (two loads from the same one
// or two cache lines) are compared before the middle. Names are a dozen units long, so this
// beats any search with set-up cost per call.
template <typename Unit>
inline bool ContainsFoldedPlain(const Unit* text, std::size_t len, const Unit* needle,
                                const Unit* mask, std::size_t n) {
    const Unit first = needle[0];
    const Unit firstMask = mask[0];
    const Unit last = needle[n - 1];
    const Unit lastMask = mask[n - 1];
    for (std::size_t p = 0; p + n <= len; ++p) {
        if (static_cast<Unit>(text[p] | firstMask) == first &&
            static_cast<Unit>(text[p + n - 1] | lastMask) == last &&
            FoldedEqualAt(text + p + 1, needle + 1, mask + 1, n > 2 ? n - 2 : 0)) {
            return true;
        }
    }
    return false;
}

#if defined(__SSE2__)
// The SSE2 compares for one width of units.
template <typename Unit>
struct VectorUnits;
template <>
struct VectorUnits<std::uint8_t> {
    static constexpr std::size_t kPerVector = 16;
    static __m128i Splat(std::uint8_t unit) { return _mm_set1_epi8(static_cast<char>(unit)); }
    static __m128i Equal(__m128i a, __m128i b) { return _mm_cmpeq_epi8(a, b); }
};
template <>
struct VectorUnits<char16_t> {
    static constexpr std::size_t kPerVector = 8;
    static __m128i Splat(char16_t unit) { return _mm_set1_epi16(static_cast<short>(unit)); }
    static __m128i Equal(__m128i a, __m128i b) { return _mm_cmpeq_epi16(a, b); }
};

// The same test 16 start positions (8-bit names) or 8 (UTF-16 names) at a time. Candidates are
// the positions where both the first and the last needle unit match, and only those compare the
// middle, so a typical name is decided in one step and no set-up is paid per call. The loads
// reach up to 15 bytes past the text's end, which stays inside its chunk: after a name come the
// next names, or the zero bytes a NameView promises past the last one.
template <typename Unit>
inline bool ContainsFoldedVector(const Unit* text, std::size_t len, const Unit* units,
                                 const Unit* mask, std::size_t n) {
    static_assert(NameView::kReadablePastEnd >= 15,
                  "a vector load may pass the last name by 15 bytes");
    using Lanes = VectorUnits<Unit>;
    constexpr std::size_t kBytesPerUnit = sizeof(Unit);
    const __m128i first = Lanes::Splat(units[0]);
    const __m128i firstMask = Lanes::Splat(mask[0]);
    const __m128i last = Lanes::Splat(units[n - 1]);
    const __m128i lastMask = Lanes::Splat(mask[n - 1]);
    const std::size_t starts = len - n + 1;
    for (std::size_t at = 0; at < starts; at += Lanes::kPerVector) {
        const __m128i heads =
            _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(text + at)), firstMask);
        const __m128i tails = _mm_or_si128(
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + at + n - 1)), lastMask);
        // A mask bit per byte; of a UTF-16 unit's two, the low one is kept.
        unsigned hits = static_cast<unsigned>(_mm_movemask_epi8(
                            _mm_and_si128(Lanes::Equal(heads, first), Lanes::Equal(tails, last)))) &
                        (kBytesPerUnit == 2 ? 0x5555u : 0xFFFFu);
        if (starts - at < Lanes::kPerVector)
            hits &= (1u << (kBytesPerUnit * (starts - at))) - 1;
        while (hits != 0) {
            const std::size_t position =
                at + static_cast<std::size_t>(__builtin_ctz(hits)) / kBytesPerUnit;
            if (n <= 2 || FoldedEqualAt(text + position + 1, units + 1, mask + 1, n - 2))
                return true;
            hits &= hits - 1;
        }
    }
    return false;
}
#endif

inline bool ContainsFoldedPlain(const NameView& name, const FoldedNeedle& needle) {
    if (needle.size() == 0)
        return true;
    if (name.length < needle.size() || (!name.wide && !needle.Ascii()))
        return false;
    if (name.wide)
        return ContainsFoldedPlain(name.WideUnits(), name.length, needle.Wide(), needle.WideMask(),
                                   needle.size());
    return ContainsFoldedPlain(name.bytes, name.length, needle.Narrow(), needle.NarrowMask(),
                               needle.size());
}

// Whether the name contains the needle, folding only A to Z. An 8-bit name cannot hold a
// needle with a unit from 0x80 on, and is passed over at once.
inline bool ContainsFolded(const NameView& name, const FoldedNeedle& needle) {
    const std::size_t n = needle.size();
    if (n == 0)
        return true;
    if (name.length < n || (!name.wide && !needle.Ascii()))
        return false;
#if defined(__SSE2__)
    if (name.wide)
        return ContainsFoldedVector(name.WideUnits(), name.length, needle.Wide(), needle.WideMask(),
                                    n);
    return ContainsFoldedVector(name.bytes, name.length, needle.Narrow(), needle.NarrowMask(), n);
#else
    return ContainsFoldedPlain(name, needle);
#endif
}

}  // namespace kx
