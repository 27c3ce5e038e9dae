// Which pairs of adjacent ASCII letters the names of each run of 16 consecutive records hold,
// exactly. A query's letter pairs rule out a whole run at once, and far better than a name's
// own signature can: there a pair shares its bit with about twenty others, so "ev" passes most
// names holding both letters; here it has a bit of its own, and names that sit together in the
// table (created together, in one folder) share most of their pairs, so a run's set stays small.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "index/file_record.h"

namespace kx {

constexpr std::size_t kPairRunRecords = 16;
constexpr std::size_t kLetterPairs = 26 * 26;
constexpr std::size_t kPairWords = (kLetterPairs + 63) / 64;

// The bit of a pair of folded units, or -1 unless both are ASCII letters.
constexpr int LetterPairBit(char16_t first, char16_t second) {
    if (first < u'a' || first > u'z' || second < u'a' || second > u'z')
        return -1;
    return (first - u'a') * 26 + (second - u'a');
}

// Word-major: words[w][run] is word w of that run's set, so that a query whose pairs fall in
// one word reads 8 bytes per run.
struct NamePairRuns {
    std::array<std::vector<std::uint64_t>, kPairWords> words;
    // The records summed up, a prefix of the table; a run reaching past it may hold any pair.
    std::size_t covered = 0;

    std::size_t RunCount() const { return words[0].size(); }
};

// Adds the pairs of records [runs.covered, records.size()) to their runs. Throws bad_alloc with
// the runs as they were before the record that did not fit.
void ExtendNamePairRuns(const std::vector<FileRecord>& records, NamePairRuns& runs);

// The letter pairs of a query, as the words and bits a run must hold.
struct PairQuery {
    std::size_t wordCount = 0;
    std::array<std::uint8_t, kPairWords> word{};
    std::array<std::uint64_t, kPairWords> bits{};

    bool Empty() const { return wordCount == 0; }
};

PairQuery PairQueryOf(const char16_t* folded, std::size_t length);

// Whether run `run` may hold a name containing the query.
inline bool RunMayHold(const NamePairRuns& runs, const PairQuery& query, std::size_t run) {
    if ((run + 1) * kPairRunRecords > runs.covered)
        return true;
    for (std::size_t k = 0; k < query.wordCount; ++k) {
        if ((runs.words[query.word[k]][run] & query.bits[k]) != query.bits[k])
            return false;
    }
    return true;
}

}  // namespace kx
