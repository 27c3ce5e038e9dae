#include "index/name_pair_runs.h"

namespace kx {

void AddLetterPairs(const NameView& name, PairSet& set) {
    VisitUnits(name, [&set](const auto* units, std::size_t length) {
        int before = -1;  // the letter before this unit, 0 to 25, or -1
        for (std::size_t i = 0; i < length; ++i) {
            const char16_t unit = FoldAscii(static_cast<char16_t>(units[i]));
            const int letter = LetterOf(unit);
            if (before >= 0 && letter >= 0)
                AddPair(set, PairBitOfLetters(before, letter));
            before = letter;
        }
    });
}

PairQuery PairQueryOf(const char16_t* folded, std::size_t length) {
    PairSet wanted{};
    for (std::size_t i = 0; i + 1 < length; ++i) {
        const int bit = LetterPairBit(folded[i], folded[i + 1]);
        if (bit >= 0)
            AddPair(wanted, bit);
    }
    PairQuery query;
    for (std::size_t w = 0; w < kPairWords; ++w) {
        if (wanted[w] != 0) {
            query.word[query.wordCount] = static_cast<std::uint8_t>(w);
            query.bits[query.wordCount] = wanted[w];
            ++query.wordCount;
        }
    }
    return query;
}

}  // namespace kx
