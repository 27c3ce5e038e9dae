// Which pairs of adjacent ASCII letters the names of each run of 16 consecutive records hold,
// exactly. A query's letter pairs rule out a whole run at once, and far better than a name's
// own signature can: there a pair shares its bit with about twenty others, so "ev" passes most
// names holding both letters; here it has a bit of its own, and names that sit together in the
// table (created together, in one folder) share most of their pairs, so a run's set stays small.
// The runs are kept beside the records they sum up (see record_segment.h).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "index/name_view.h"

namespace kx {

constexpr std::size_t kPairRunRecords = 16;
constexpr std::size_t kLetterPairs = 26 * 26;
constexpr std::size_t kPairWords = (kLetterPairs + 63) / 64;

using PairSet = std::array<std::uint64_t, kPairWords>;

// A folded unit's letter, 0 to 25, or -1 unless it is an ASCII letter.
constexpr int LetterOf(char16_t folded) {
    return folded >= u'a' && folded <= u'z' ? folded - u'a' : -1;
}
// The bit of a pair of letters (each from LetterOf, neither -1).
constexpr int PairBitOfLetters(int first, int second) {
    return first * 26 + second;
}
// The bit of a pair of folded units, or -1 unless both are ASCII letters.
constexpr int LetterPairBit(char16_t first, char16_t second) {
    const int a = LetterOf(first);
    const int b = LetterOf(second);
    return a >= 0 && b >= 0 ? PairBitOfLetters(a, b) : -1;
}

inline void AddPair(PairSet& set, int bit) {
    set[static_cast<std::size_t>(bit) / 64] |= std::uint64_t{1} << (bit % 64);
}

// Adds the letter pairs of a name (folded as it goes) to `set`.
void AddLetterPairs(const NameView& name, PairSet& set);

// The letter pairs of a query, as the words and bits a run must hold.
struct PairQuery {
    std::size_t wordCount = 0;
    std::array<std::uint8_t, kPairWords> word{};
    std::array<std::uint64_t, kPairWords> bits{};

    bool Empty() const { return wordCount == 0; }
};

PairQuery PairQueryOf(const char16_t* folded, std::size_t length);

}  // namespace kx
